// The main of the GoogleTest programs: GoogleTest's own, but with failures reported
// through failure_printer.h, so that a failed check under the emulated bench is
// printed instead of taking the whole program down, and only under the Windows
// setting the test asked for.
#include "failure_printer.h"

int main(int argc, char** argv)
{
    return RunTestProgram(&argc, argv);
}
