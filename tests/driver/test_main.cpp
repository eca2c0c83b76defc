// The main of the GoogleTest programs of both trees: GoogleTest's own, but a run
// that executes no test fails, and under Wine failures are reported through
// failure_printer.h, so that a failed check under the emulated bench is printed
// instead of taking the whole program down, and only under the Windows setting the
// test asked for.
#include "failure_printer.h"

int main(int argc, char** argv)
{
    return RunTestProgram(&argc, argv);
}
