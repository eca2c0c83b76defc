// REMOVR's entry point and its full-screen backdrop window, whose procedure runs
// the removal as a chain of stages, one modal dialog per posted private message.
#ifndef REMOVR_STARTUP_H
#define REMOVR_STARTUP_H

#include <windows.h>

// Private messages of the main window.
#define UM_RUN_REMOVAL (WM_USER + 4)         // 1028: progress dialog and removal run
#define UM_OFFER_RESTART (WM_USER + 8)       // 1032: restart dialog
#define UM_RUN_SETUP_REMOVAL (WM_USER + 10)  // 1034: registry step alone, for other parties
#define UM_RUN_WIZARD (WM_USER + 11)         // 1035: confirmation wizard

extern HINSTANCE g_hInstance;        // the program's instance
extern HINSTANCE g_hDialogInstance;  // where the dialogs are created from
extern HWND g_hwndMain;              // the backdrop window
extern int g_bFinished;              // 1 once the sequence reached its end: closing is silent

// Registers the class, creates and shows the backdrop and fills the system and
// Windows directories. 1, or 0 when the class cannot be registered.
int InitInstance(HINSTANCE hInstance, HINSTANCE hPrevInstance, int nCmdShow);

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
