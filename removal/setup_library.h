// The setup library's removal call, followed by the package's registry plan.
#ifndef REMOVR_SETUP_LIBRARY_H
#define REMOVR_SETUP_LIBRARY_H

#include <windows.h>

// 1 when the setup library was called and the registry cleanup ran, or when nothing
// of the package is registered any more (an earlier run's registry step ended):
// neither then runs again. 0 when the library or its entry point was missing (one
// box owned by owner; registry untouched).
int RunSetupRemoval(HWND owner);

// Calls the setup library's entry with (owner, 0, ""), whether the entry removes its
// arguments from the stack (__stdcall) or leaves them (__cdecl).
void CallSetupEntry(FARPROC entry, HWND owner);

#endif
