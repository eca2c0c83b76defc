/* An ordinary toolchain build: its start-up code and strlen come from MSVCRT.DLL. */
#include <string.h>

int main(int argc, char** argv)
{
    (void)argv;
    return (int)strlen(argc > 5 ? "many" : "few");
}
