// PELTOAPI.DLL, the package's hook library: the auto-jump hook and the zoom action.
//
// Microsoft C++ (32-bit x86): include this header, with <windows.h>'s STRICT
// handles (the default), and link PELTOAPI.LIB. The five functions and variables are
// declared with C++ linkage, so the compiler binds them to the library's decorated
// export names; DoNothing is a plain C name. A C program built with Microsoft's
// tools cannot declare the decorated names and is refused below.
// mingw-w64 (C or C++): link libpeltoapi.a, which binds the C names declared here
// for GCC to the same decorated exports.
//
// What callers must know:
// - SetAutoJump never installs a second hook: with one recorded it only changes the
//   mode. Windows removes a hook when the process that installed it ends, but the
//   library keeps the handle unless that process removed it (SetAutoJump(0) or -1,
//   or its unload as the process that loaded the library at its start while no hook
//   was installed). So after the process that switched the hook on has ended, a
//   caller switches it off (0) before switching it on again.
// - Calls of SetAutoJump must not overlap one another, nor calls of DataZoomExplorer
//   one another, in any threads or processes: the library has no locks.
// - DataZoomExplorer on a tree view hands the tree view the address of the library's
//   one shared hit-test record. A tree view of another process reads it there only
//   if the library is mapped in that process (at its fixed base, as always): that
//   holds in every process that has loaded it, and while the hook is on in every
//   process that creates windows. Never aim it at a tree view of a process where the
//   library is not loaded.
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

#if defined(_MSC_VER) && !defined(__cplusplus)
#error "PELTOAPI's exports have C++ linkage: include peltoapi.h from C++"
#endif

#if defined(_MSC_VER)

// Exactly the types of the decorated exports (HWND must be STRICT's HWND__*).
// Switches the system-wide auto-jump hook: 0 or -1 off, any other mode on. Returns 1.
PELTOAPI_IMPORT int __stdcall SetAutoJump(int nMode);
// The WH_CBT hook procedure itself.
PELTOAPI_IMPORT LRESULT __stdcall CbtHookProcedure(int nCode, WPARAM wParam, LPARAM lParam);
// Expands or collapses the tree-view item under ptScreen, double-clicks the list
// view there (nAction 1) or sends its command to hWndCommand (nAction 0). Returns 1.
PELTOAPI_IMPORT int __stdcall DataZoomExplorer(POINT ptScreen, int nAction, HWND hWndCommand);
// Shared by every process: the receiver of WM_AUTOJUMP, and a message number the
// package's programs keep here for one another.
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
