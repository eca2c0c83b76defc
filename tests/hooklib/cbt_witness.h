// CBTWITNESS.DLL, a second system-wide CBT hook for hook_test: installed before
// PELTOAPI's, so that the system calls it after PELTOAPI's hook and only when that
// hook passes the event on. It reports the events of one process to a window of the
// test and vetoes the creation of every window named WITNESS_VETO_NAME.
#ifndef PELTOAPI_TEST_CBT_WITNESS_H
#define PELTOAPI_TEST_CBT_WITNESS_H

#include <windows.h>

// witness -> test, posted: wParam the hook code, lParam the hook's wParam.
#define WM_WITNESS (WM_APP + 20)
#define WITNESS_VETO_NAME "PeltoapiTestVeto"

#ifdef CBT_WITNESS_BUILD
#define WITNESS_API __declspec(dllexport)
#else
#define WITNESS_API __declspec(dllimport)
#endif

extern "C" {
// Installs the hook for every thread (once) and reports the events of the threads of
// process dwProcessId to hwndReport. Returns 1 when the hook is on.
WITNESS_API int WitnessOn(HWND hwndReport, DWORD dwProcessId);
// Removes it. Safe to call when it is off.
WITNESS_API void WitnessOff(void);
}

#endif
