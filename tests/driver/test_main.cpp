// The main of the GoogleTest programs: GoogleTest's own, but with failures reported
// through failure_printer.h, so that a failed check under the emulated bench is
// printed instead of taking the whole program down.
#include <gtest/gtest.h>

#include "failure_printer.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    FailurePrinter::Install();
    return RUN_ALL_TESTS();
}
