/* Built like the deliverable, for the 80386, but with one conditional move: an
   instruction no processor before the Pentium Pro has. */
#include <windows.h>

void Entry(void)
{
    DWORD ticks = GetTickCount(), code = 1;
    __asm__("test %1, %1\n\tcmovz %1, %0" : "+r"(code) : "r"(ticks) : "cc");
    ExitProcess(code);
}
