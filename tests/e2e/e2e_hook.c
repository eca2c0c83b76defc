/* Test-only hook library loaded into REMOVR.EXE by the end-to-end driver: counts the
 * backdrop's paints and, when asked, cancels the progress dialog as it is shown,
 * before its first paint (a posted command is read before any paint). It also counts
 * what reaches the progress dialog: its paints, its start messages, the Cancel
 * commands and marker messages the driver posts, and the removal runs begun (the
 * range the run sets on the bar). State is shared between the driver and the
 * program through a shared section. */
#include <windows.h>
#include <commctrl.h>

#define SHARED __attribute__((section(".shared"), shared))

volatile LONG g_mainPaints SHARED = 0;
volatile LONG g_cancelProgressEarly SHARED = 0;
volatile LONG g_progressCancelsPosted SHARED = 0;
volatile LONG g_progressPaints SHARED = 0;
volatile LONG g_progressStarts SHARED = 0;     /* UM_BEGIN_PASS taken from the queue */
volatile LONG g_progressCancels SHARED = 0;    /* IDCANCEL commands taken from the queue */
volatile LONG g_progressMarkers SHARED = 0;    /* WM_NULL with PROGRESS_MARKER taken */
volatile LONG g_removalRuns SHARED = 0;        /* PBM_SETRANGE sent to the bar */

#define UM_BEGIN_PASS (WM_USER + 9)
#define PROGRESS_MARKER 0x5EED

static int IsBackdrop(HWND window)
{
    char name[32];
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, "Varsen Uninstall") == 0;
}

static int IsProgressDialog(HWND window)
{
    return GetDlgItem(window, 1003) != NULL && GetDlgItem(window, 1004) != NULL;
}

/* What reaches the progress dialog and its bar. */
static void ObserveProgress(HWND window, UINT message, WPARAM wParam)
{
    if (message == PBM_SETRANGE && GetDlgCtrlID(window) == 1003 &&
        IsProgressDialog(GetParent(window))) {
        InterlockedIncrement(&g_removalRuns);
        return;
    }
    if (!IsProgressDialog(window)) return;
    if (message == WM_PAINT) InterlockedIncrement(&g_progressPaints);
    else if (message == UM_BEGIN_PASS) InterlockedIncrement(&g_progressStarts);
    else if (message == WM_COMMAND && wParam == IDCANCEL) InterlockedIncrement(&g_progressCancels);
    else if (message == WM_NULL && wParam == PROGRESS_MARKER) InterlockedIncrement(&g_progressMarkers);
}

static void Observe(HWND window, UINT message, WPARAM wParam)
{
    if (window == NULL) return;
    ObserveProgress(window, message, wParam);
    if (message == WM_PAINT && IsBackdrop(window)) {
        InterlockedIncrement(&g_mainPaints);
    } else if (message == WM_SHOWWINDOW && wParam && g_cancelProgressEarly &&
               GetDlgItem(window, 1003)) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        InterlockedIncrement(&g_progressCancelsPosted);
    }
}

/* Sent messages: WM_SHOWWINDOW, and the paint that UpdateWindow sends. */
__declspec(dllexport) LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = (const CWPSTRUCT*)lParam;
        Observe(sent->hwnd, sent->message, sent->wParam);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

/* Messages taken from the queue: the paints that the message loops dispatch. */
__declspec(dllexport) LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* taken = (const MSG*)lParam;
        Observe(taken->hwnd, taken->message, taken->wParam);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

__declspec(dllexport) void SetCancelProgressEarly(LONG on) { InterlockedExchange(&g_cancelProgressEarly, on); }
__declspec(dllexport) LONG MainPaints(void) { return g_mainPaints; }
__declspec(dllexport) LONG ProgressCancelsPosted(void) { return g_progressCancelsPosted; }
__declspec(dllexport) LONG ProgressPaints(void) { return g_progressPaints; }
__declspec(dllexport) LONG ProgressStarts(void) { return g_progressStarts; }
__declspec(dllexport) LONG ProgressCancels(void) { return g_progressCancels; }
__declspec(dllexport) LONG ProgressMarkers(void) { return g_progressMarkers; }
__declspec(dllexport) LONG RemovalRuns(void) { return g_removalRuns; }
__declspec(dllexport) void ResetCounts(void)
{
    InterlockedExchange(&g_mainPaints, 0);
    InterlockedExchange(&g_progressCancelsPosted, 0);
    InterlockedExchange(&g_progressPaints, 0);
    InterlockedExchange(&g_progressStarts, 0);
    InterlockedExchange(&g_progressCancels, 0);
    InterlockedExchange(&g_progressMarkers, 0);
    InterlockedExchange(&g_removalRuns, 0);
}
