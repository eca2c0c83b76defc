// PELTOAPI.DLL, the package's hook library: the auto-jump hook and the zoom action.
// Microsoft C++ binds to the decorated export names by the declarations' own C++
// linkage; mingw-built programs link libpeltoapi.a, which binds the C names
// declared for them to the same decorated exports.
#ifndef PELTOAPI_H
#define PELTOAPI_H

#include <windows.h>

// Posted to ghWndScroller for each announced new window. wParam: 1 a visible
// default push button (mode 1), 2 or 4 a window with a system menu (mode 2 or 3);
// lParam: the window being created.
#define WM_AUTOJUMP (WM_USER + 260)

#ifdef PELTOAPI_BUILD
#define PELTOAPI_IMPORT
#else
#define PELTOAPI_IMPORT __declspec(dllimport)
#endif

#if defined(_MSC_VER) && defined(__cplusplus)

// Needs STRICT handles (the default), so that HWND decorates as HWND__*.
PELTOAPI_IMPORT int __stdcall SetAutoJump(int nMode);
PELTOAPI_IMPORT LRESULT __stdcall CbtHookProcedure(int nCode, WPARAM wParam, LPARAM lParam);
PELTOAPI_IMPORT int __stdcall DataZoomExplorer(POINT ptScreen, int nAction, HWND hWndCommand);
PELTOAPI_IMPORT extern HWND ghWndScroller;
PELTOAPI_IMPORT extern UINT g_uMsgMouseWheel;
extern "C" PELTOAPI_IMPORT void __cdecl DoNothing(void);

#else

#ifdef __cplusplus
extern "C" {
#endif

// Switches the system-wide auto-jump hook: 0 or -1 off, any other mode on. Returns 1.
PELTOAPI_IMPORT int WINAPI SetAutoJump(int nMode);
// The WH_CBT hook procedure itself.
PELTOAPI_IMPORT LRESULT CALLBACK CbtHookProcedure(int nCode, WPARAM wParam, LPARAM lParam);
// Expands or collapses the tree-view item under ptScreen, double-clicks the list
// view there (nAction 1) or sends its command to hWndCommand (nAction 0). Returns 1.
PELTOAPI_IMPORT int WINAPI DataZoomExplorer(POINT ptScreen, int nAction, HWND hWndCommand);
// Shared by every process: the receiver of WM_AUTOJUMP, and a message number the
// package's programs keep here for one another.
PELTOAPI_IMPORT extern HWND ghWndScroller;
PELTOAPI_IMPORT extern UINT g_uMsgMouseWheel;
PELTOAPI_IMPORT void __cdecl DoNothing(void);

#ifdef __cplusplus
}
#endif

#endif

#endif
