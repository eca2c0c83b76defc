/* Built like the deliverable, but binds one KERNEL32 function by ordinal only. */
#include <windows.h>

void Entry(void)
{
    ExitProcess(GetTickCount() == 0);
}
