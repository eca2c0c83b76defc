// REMOVR.EXE's process entry, in place of a C run-time's start-up code: no run-time
// library, no global constructors, no command-line parsing, nothing set up but
// what WinMain is handed. Also the two memory routines that the compiler itself
// may call for block copies and clears.
#include <windows.h>

#include "startup.h"

extern "C" void WinMainCRTStartup()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int nCmdShow = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    char noCommandLine[] = "";
    int result = WinMain(GetModuleHandleA(NULL), NULL, noCommandLine, nCmdShow);
    ExitProcess(static_cast<UINT>(result));
}

// Built with -fno-builtin (see program.cmake), so these loops stay loops and never
// become calls to themselves.
extern "C" void* memset(void* block, int value, size_t count)
{
    unsigned char* p = static_cast<unsigned char*>(block);
    while (count-- > 0) *p++ = static_cast<unsigned char>(value);
    return block;
}

extern "C" void* memcpy(void* to, const void* from, size_t count)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
    while (count-- > 0) *out++ = *in++;
    return to;
}
