// PELTOAPI: the storage shared across processes, the library entry and the
// system-wide auto-jump hook that announces new windows to ghWndScroller.
#include "shared_state.h"
#include "window_filter.h"

// The rule's constants and the numbers the library is built around must be the
// platform's own.
static_assert(FILTER_WS_VISIBLE == WS_VISIBLE, "WS_VISIBLE");
static_assert(FILTER_WS_SYSMENU == WS_SYSMENU, "WS_SYSMENU");
static_assert(FILTER_BS_TYPEMASK == BS_TYPEMASK, "BS_TYPEMASK");
static_assert(FILTER_BS_DEFPUSHBUTTON == BS_DEFPUSHBUTTON, "BS_DEFPUSHBUTTON");
static_assert(WM_AUTOJUMP == 0x504, "WM_AUTOJUMP is WM_USER + 260");
static_assert(WH_CBT == 5 && HCBT_CREATEWND == 3, "the CBT hook and its creation code");
static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record the system expects");
static_assert(VER_PLATFORM_WIN32_NT == 2, "the NT platform identifier");
static_assert(DLL_PROCESS_ATTACH == 1 && DLL_PROCESS_DETACH == 0, "the entry reasons");

// Per process: set when this process loaded the library at its start while no hook
// was on; such a process takes the hook down when it unloads the library.
static int g_bHookOwner = 0;
static OSVERSIONINFOA g_osVersion;

// Other processes write these words at any time: each is read once, where the
// source says so, whatever the optimiser would do with a plain read.
static HWND ReadReceiver(void)
{
    return *(const volatile HWND*)&ghWndScroller;
}

static int ReadAutoJumpMode(void)
{
    return *(const volatile int*)&g_nAutoJumpMode;
}

static void RemoveHook(void)
{
    if (g_hCbtHook != NULL) {
        UnhookWindowsHookEx(g_hCbtHook);
        g_hCbtHook = NULL;
    }
}

static BOOL ProcessAttach(HINSTANCE hInstance, LPVOID lpReserved)
{
    g_hLibInstance = hInstance;
    DisableThreadLibraryCalls(hInstance);
    if (lpReserved == NULL)  // loaded at run time, or by the system for the hook
        return TRUE;
    if (g_hCbtHook != NULL) {
        // Windows 95/98 may not take a start-up load while the hook is on.
        g_osVersion.dwOSVersionInfoSize = sizeof(g_osVersion);
        GetVersionExA(&g_osVersion);
        return g_osVersion.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    g_bHookOwner = 1;
    return TRUE;
}

extern "C" BOOL WINAPI DllEntry(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        return ProcessAttach(hInstance, lpReserved);
    case DLL_PROCESS_DETACH:
        if (g_bHookOwner)
            RemoveHook();  // whichever process installed it; the mode stays
        return TRUE;
    default:
        return TRUE;
    }
}

extern "C" int WINAPI SetAutoJump(int nMode)
{
    if (nMode == AUTOJUMP_MODE_OFF || nMode == AUTOJUMP_MODE_OFF_ALT) {
        g_nAutoJumpMode = AUTOJUMP_MODE_OFF;
        RemoveHook();
        return 1;
    }
    g_nAutoJumpMode = nMode;
    if (g_hCbtHook == NULL)  // never a second hook: with one on, only the mode changes
        g_hCbtHook = SetWindowsHookExA(WH_CBT, CbtHookProcedure, g_hLibInstance, 0);
    return 1;
}

// Runs inside every window creation of every hooked thread: cheapest tests first,
// post and never send, and always pass the event on.
static void AnnounceNewWindow(HWND hWndReceiver, HWND hWndNew, const CBT_CREATEWNDA* pCreate)
{
    if (hWndNew == NULL || pCreate == NULL || pCreate->lpcs == NULL)
        return;
    int nMode = ReadAutoJumpMode();
    unsigned long dwStyle = (unsigned long)pCreate->lpcs->style;
    char szClassName[10];
    const char* pszClassName = NULL;
    if (AutoJumpNeedsClassName(nMode, dwStyle) &&
        GetClassNameA(hWndNew, szClassName, sizeof(szClassName)) != 0)
        pszClassName = szClassName;
    int nCode = AutoJumpCode(nMode, pszClassName, dwStyle);
    if (nCode != AUTOJUMP_NONE)
        PostMessageA(hWndReceiver, WM_AUTOJUMP, (WPARAM)nCode, (LPARAM)hWndNew);
}

extern "C" LRESULT CALLBACK CbtHookProcedure(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode >= 0) {
        HWND hWndReceiver = ReadReceiver();
        if (hWndReceiver != NULL && nCode == HCBT_CREATEWND)
            AnnounceNewWindow(hWndReceiver, (HWND)wParam, (const CBT_CREATEWNDA*)lParam);
    }
    return CallNextHookEx(g_hCbtHook, nCode, wParam, lParam);
}

extern "C" void __cdecl DoNothing(void)
{
}
