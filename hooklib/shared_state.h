// The library's internal view of its storage shared by every process, in section
// ._SCLDAT (defined in shared_state.cpp), and of its entry point.
#ifndef PELTOAPI_SHARED_STATE_H
#define PELTOAPI_SHARED_STATE_H

// The exports are C functions inside the library; peltoapi.def publishes them under
// their C++ decorated names. The public header's declarations check their types.
#define PELTOAPI_BUILD
#include "peltoapi.h"
#include <commctrl.h>

extern "C" {
extern HHOOK g_hCbtHook;
extern HINSTANCE g_hLibInstance;
extern TVHITTESTINFO g_tvHitTest;
extern int g_nAutoJumpMode;

BOOL WINAPI DllEntry(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
}

#endif
