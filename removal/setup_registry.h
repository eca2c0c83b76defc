// The setup library's removal call and the package's registry entries.
#ifndef REMOVR_SETUP_REGISTRY_H
#define REMOVR_SETUP_REGISTRY_H

#include <windows.h>

// 1 when the setup library was called and the registry cleanup ran; 0 when the
// library or its entry point was missing (one box owned by owner; registry untouched).
int RunSetupRemoval(HWND owner);

// 0 when this run may not delete the package's keys under HKEY_LOCAL_MACHINE (the
// NT family's users without an administrator's rights); decided by opening the
// package's removal key with the access its deletion needs.
int MayRemoveRegistryEntries();

// Calls the setup library's entry with (owner, 0, ""), whether the entry removes its
// arguments from the stack (__stdcall) or leaves them (__cdecl).
void CallSetupEntry(FARPROC entry, HWND owner);

// A call of ADVAPI32 looked up by name, for those that only the NT family
// implements (Windows 95/98 export stubs that fail); NULL when it is not there.
FARPROC AdvapiCall(const char* name);

// The same into a pointer of the call's own type; 0 when it is not there.
template <typename Proc>
int LookUpAdvapiCall(Proc* proc, const char* name)
{
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(AdvapiCall(name)));
    return *proc != NULL;
}

#endif
