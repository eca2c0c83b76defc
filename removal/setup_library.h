// The setup library's removal call, followed by the package's registry plan.
#ifndef REMOVR_SETUP_LIBRARY_H
#define REMOVR_SETUP_LIBRARY_H

#include <windows.h>

// The setup library's share of the removal: 1 when the library was called, or when
// the registry step has begun already (an earlier run's share is not run again). 0
// when the library or its entry point was missing (one box owned by owner).
int RunSetupShare(HWND owner);

// The share, then the registry step (not the uninstall entry, which the run deletes
// last); 1, or 0 when the share could not run (the registry is then untouched).
int RunSetupRemoval(HWND owner);

// Calls the setup library's entry with (owner, 0, ""), whether the entry removes its
// arguments from the stack (__stdcall) or leaves them (__cdecl).
void CallSetupEntry(FARPROC entry, HWND owner);

#endif
