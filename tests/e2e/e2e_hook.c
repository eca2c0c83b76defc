/* Test-only hook library loaded into REMOVR.EXE by the end-to-end driver: counts the
 * backdrop's paints and, when asked, cancels the progress dialog as it is shown,
 * before its first paint (a posted command is read before any paint). State is
 * shared between the driver and the program through a shared section. */
#include <windows.h>

#define SHARED __attribute__((section(".shared"), shared))

volatile LONG g_mainPaints SHARED = 0;
volatile LONG g_cancelProgressEarly SHARED = 0;
volatile LONG g_progressCancelsPosted SHARED = 0;

static int IsBackdrop(HWND window)
{
    char name[32];
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, "Varsen Uninstall") == 0;
}

static void Observe(HWND window, UINT message, WPARAM wParam)
{
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
__declspec(dllexport) void ResetCounts(void)
{
    InterlockedExchange(&g_mainPaints, 0);
    InterlockedExchange(&g_progressCancelsPosted, 0);
}
