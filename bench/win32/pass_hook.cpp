// PASSHOOK.DLL: the smallest possible system-wide WH_CBT hook, the benchmark's
// yardstick for PELTOAPI's auto-jump hook. Installed the same way (by the library
// itself, for every thread, with the hook handle kept in a shared section) and
// built the same way (no run-time library, its own entry point), but its hook
// procedure only passes every event on.
#include <windows.h>

// Shared by every process that the hook reaches, as PELTOAPI keeps its own.
HHOOK g_hPassHook __attribute__((section(".shpass"), shared)) = NULL;

static HINSTANCE g_hPassInstance = NULL;

extern "C" BOOL WINAPI PassHookEntry(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)lpReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hPassInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

extern "C" LRESULT CALLBACK PassThroughCbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(g_hPassHook, nCode, wParam, lParam);
}

// Switches the hook on for every thread; 1 when it is on.
extern "C" __declspec(dllexport) int PassHookOn(void)
{
    if (g_hPassHook == NULL)
        g_hPassHook = SetWindowsHookExA(WH_CBT, PassThroughCbtProc, g_hPassInstance, 0);
    return g_hPassHook != NULL;
}

// Switches the hook off. Safe to call when it is off.
extern "C" __declspec(dllexport) void PassHookOff(void)
{
    if (g_hPassHook != NULL) {
        UnhookWindowsHookEx(g_hPassHook);
        g_hPassHook = NULL;
    }
}
