// Wizard page, progress dialog, restart dialog and their centring.
#include "dialogs.h"

#include <commctrl.h>

#include "messages.h"
#include "removal_run.h"
#include "resources/resource.h"
#include "startup.h"

HWND g_hwndProgress = NULL;
HWND g_hwndStatus = NULL;
int g_bFirstPaint;  // set as the progress dialog opens; zero here keeps .data empty

static const char kWizardCaption[] = "Review Wizard";

// Progress dialog state beside the first-paint flag. The cancel question is a
// message box, whose loop dispatches the dialog's first paint and start message: the
// run must not begin under an open question, nor after a Yes.
static int s_bAskingCancel = 0;  // the question is on screen
static int s_bPassPending = 0;   // the start message came while it was
static int s_bPassStarted = 0;   // the run has begun: Cancel is no longer heard
static int s_bCancelled = 0;     // ended with 0

static void MoveCentred(HWND window, HWND reference)
{
    RECT r, w;
    GetWindowRect(reference, &r);
    GetWindowRect(window, &w);
    int x = (r.left + r.right) / 2 + (w.left - w.right) / 2;
    int y = (r.top + r.bottom) / 2 + (w.top - w.bottom) / 2;
    MoveWindow(window, x, y, w.right - w.left, w.bottom - w.top, FALSE);
}

void CenterOnParent(HWND hwnd)
{
    HWND parent = GetParent(hwnd);
    if (parent != NULL) MoveCentred(hwnd, parent);
}

void CenterSheetOnMain(HWND hwndPage)
{
    HWND sheet = GetParent(hwndPage);
    if (sheet != NULL && g_hwndMain != NULL) MoveCentred(sheet, g_hwndMain);
}

void InitWizardPage(PROPSHEETPAGEA* page, int templateId, DLGPROC dialogProc)
{
    ZeroMemory(page, sizeof *page);
    page->dwSize = PROPSHEETPAGEA_V1_SIZE;
    page->dwFlags = PSP_DEFAULT;
    page->hInstance = g_hInstance;
    page->pszTemplate = MAKEINTRESOURCEA(templateId);
    page->pfnDlgProc = dialogProc;
    page->lParam = 0;
}

int RunWizard(HWND hwndParent)
{
    PROPSHEETPAGEA page;
    InitWizardPage(&page, IDD_WIZARD_PAGE, WizardPageProc);

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOAPPLYNOW;
    header.hwndParent = hwndParent;
    header.pszCaption = kWizardCaption;
    header.nPages = 1;
    header.nStartPage = 0;
    header.ppsp = &page;
    return static_cast<int>(PropertySheetA(&header));
}

INT_PTR CALLBACK WizardPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    switch (message) {
    case WM_INITDIALOG:
        LoadDialogText(MSG_WIZARD_BODY, GetDlgItem(hwnd, IDC_WIZARD_BODY));
        CenterSheetOnMain(hwnd);
        return TRUE;

    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            // Finish is the only way on: no Back, no Next.
            PostMessageA(GetParent(hwnd), PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
            return TRUE;
        case PSN_KILLACTIVE:
        case PSN_RESET:
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, FALSE);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int CancelQuestionOpen()
{
    return s_bAskingCancel;
}

static void AskToCancel(HWND hwnd)
{
    if (s_bPassStarted || s_bAskingCancel || s_bCancelled) return;
    s_bAskingCancel = 1;
    int answer = ShowTabledMessage(hwnd, MSG_CANCEL_QUESTION);
    s_bAskingCancel = 0;
    if (answer == IDYES) {
        s_bCancelled = 1;
        EndDialog(hwnd, 0);
    } else if (s_bPassPending) {
        s_bPassPending = 0;
        PostMessageA(hwnd, UM_BEGIN_PASS, 0, 0);
    }
}

static void BeginPass(HWND hwnd)
{
    if (s_bPassStarted || s_bCancelled) return;
    if (s_bAskingCancel) {
        s_bPassPending = 1;  // started once the question is answered No
        return;
    }
    s_bPassStarted = 1;
    RunRemoval(hwnd, g_hwndProgress, g_hwndStatus);
}

INT_PTR CALLBACK ProgressDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        g_bFirstPaint = 1;
        s_bAskingCancel = s_bPassPending = s_bPassStarted = s_bCancelled = 0;
        g_hwndProgress = GetDlgItem(hwnd, IDC_PROGRESS_BAR);
        g_hwndStatus = GetDlgItem(hwnd, IDC_STATUS_LINE);
        CenterOnParent(hwnd);
        return TRUE;

    case WM_PAINT:
        // The run starts once the dialog is on screen; the dialog manager paints.
        if (g_bFirstPaint == 1) {
            g_bFirstPaint = 0;
            PostMessageA(hwnd, UM_BEGIN_PASS, 0, 0);
        }
        return FALSE;

    case WM_COMMAND:
        // The whole wParam: only clicks and the dialog manager's Escape count.
        if (wParam != IDCANCEL) return FALSE;
        AskToCancel(hwnd);
        return TRUE;

    case UM_BEGIN_PASS:
        BeginPass(hwnd);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK RestartDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The library's translation of the offer, or another text of the program's own.
        if (lParam == 0) LoadDialogText(MSG_RESTART_BODY, GetDlgItem(hwnd, IDC_RESTART_BODY));
        else SetDlgItemTextA(hwnd, IDC_RESTART_BODY, LoadMessageText(static_cast<int>(lParam)));
        CenterOnParent(hwnd);
        return TRUE;

    case WM_COMMAND:
        if (wParam == IDOK) {
            EndDialog(hwnd, 1);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(hwnd, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
