/* Test-only hook library loaded into REMOVR.EXE by the end-to-end driver: once in
 * the program, it points the program's import of ExitWindowsEx at a recorder, so
 * that an accepted restart is counted and answered from the test instead of ending
 * the session of the whole Wine prefix. State is shared through a shared section. */
#include <windows.h>

#include "import_patch.h"

#define SHARED __attribute__((section(".shared"), shared))

volatile LONG g_importPatched SHARED = 0;
volatile LONG g_exitRequests SHARED = 0;
volatile LONG g_lastExitFlags SHARED = -1;
volatile LONG g_exitAnswer SHARED = TRUE;
/* The icon of the last message box seen: 0 none, 1 warning, 2 error, 3 question,
 * 4 information, 5 another. Icon handles only compare inside the program. */
volatile LONG g_lastBoxIcon SHARED = 0;

static BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason)
{
    (void)reason;
    InterlockedExchange(&g_lastExitFlags, (LONG)flags);
    InterlockedIncrement(&g_exitRequests);
    if (!g_exitAnswer) SetLastError(ERROR_ACCESS_DENIED);
    return g_exitAnswer != 0;
}

/* Replaces every import slot of the program that holds user32's ExitWindowsEx. */
static void PatchProgramImport(void)
{
    int patched = PatchImport(GetModuleHandleA(NULL), "user32.dll", "ExitWindowsEx",
                              (FARPROC)(void*)RecordExitWindows, NULL);
    InterlockedExchangeAdd(&g_importPatched, patched);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) PatchProgramImport();
    return TRUE;
}

static void NoteBoxIcon(HWND window)
{
    static const LPCSTR kIcons[] = {IDI_WARNING, IDI_ERROR, IDI_QUESTION, IDI_INFORMATION};
    char name[16];
    HWND box = GetAncestor(window, GA_ROOT);
    if (box == NULL || GetDlgItem(box, 0xFFFF) == NULL) return;
    if (GetClassNameA(box, name, sizeof name) == 0 || lstrcmpA(name, "#32770") != 0) return;
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        HICON icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        LONG code = 5;
        for (int i = 0; i < 4; i++)
            if (icon != NULL && LoadIconA(NULL, kIcons[i]) == icon) code = i + 1;
        if (icon != NULL) InterlockedExchange(&g_lastBoxIcon, code);
        return;
    }
}

/* On the program's GUI thread: brings this library in, and looks at the boxes. */
__declspec(dllexport) LRESULT CALLBACK LoadHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) NoteBoxIcon(((const MSG*)lParam)->hwnd);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

__declspec(dllexport) void SetExitAnswer(LONG answer) { InterlockedExchange(&g_exitAnswer, answer); }
__declspec(dllexport) LONG ImportPatched(void) { return g_importPatched; }
__declspec(dllexport) LONG ExitRequests(void) { return g_exitRequests; }
__declspec(dllexport) LONG LastExitFlags(void) { return g_lastExitFlags; }
__declspec(dllexport) LONG LastBoxIcon(void) { return g_lastBoxIcon; }
__declspec(dllexport) void ResetExitRequests(void)
{
    InterlockedExchange(&g_importPatched, 0);
    InterlockedExchange(&g_exitRequests, 0);
    InterlockedExchange(&g_lastExitFlags, -1);
    InterlockedExchange(&g_lastBoxIcon, 0);
}
