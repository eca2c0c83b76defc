// The confirmation wizard, the progress dialog that hosts the removal run, the
// restart offer, and the centring of each over the backdrop.
#ifndef REMOVR_DIALOGS_H
#define REMOVR_DIALOGS_H

#include <windows.h>
#include <prsht.h>

// Posted by the progress dialog to itself at its first paint: starts the run.
#define UM_BEGIN_PASS (WM_USER + 9)  // 1033

extern HWND g_hwndProgress;  // progress bar, control 1003 of the progress dialog
extern HWND g_hwndStatus;    // status line, control 1004
extern int g_bFirstPaint;    // 1 from the progress dialog's start to its first paint

// The one-page wizard: non-zero for Finish (or the sheet's error -1), 0 for Cancel.
int RunWizard(HWND hwndParent);

// A page record of the first, 40-byte version for the template and procedure.
void InitWizardPage(PROPSHEETPAGEA* page, int templateId, DLGPROC dialogProc);

INT_PTR CALLBACK WizardPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Ends with 1 when the run went to its end, 0 when the user cancelled before it.
INT_PTR CALLBACK ProgressDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// 1 while the progress dialog asks whether to cancel: the run has not begun.
int CancelQuestionOpen();
// Ends with 1 for restart now, 0 for not now. Its parameter: 0 for the offer after a
// removal, else the id of the program's own text for the body.
INT_PTR CALLBACK RestartDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Centres a window over its parent (an owned dialog: its owner); no parent, no move.
void CenterOnParent(HWND hwnd);
// Centres a property page's sheet over the main window.
void CenterSheetOnMain(HWND hwndPage);

#endif
