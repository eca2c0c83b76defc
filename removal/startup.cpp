// REMOVR's entry point, the backdrop window and the order of the removal's stages.
#include "startup.h"

#include <commctrl.h>

#include "dialogs.h"
#include "file_pass.h"
#include "messages.h"
#include "paint.h"
#include "path_rules.h"
#include "removal_table.h"
#include "resources/resource.h"
#include "setup_registry.h"

HINSTANCE g_hInstance = NULL;
HINSTANCE g_hDialogInstance = NULL;
HWND g_hwndMain = NULL;
int g_bFinished = 0;

static const char kInitialTitle[] = "Varsen Install";
static const DWORD kMainStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
static const UINT kMainClassStyle = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
// Below 3.12 (0x030C) the program does not run.
static const unsigned int kNewestRefusedVersion = 779;

// Drive and directory of the running program, ending in a backslash. 0 when they
// cannot be made: the file table must never be resolved against anything else.
static int SetInstallDirFromModule()
{
    char path[REMOVR_PATH_SIZE];
    char drive[PATH_DRIVE_SIZE];
    char dir[PATH_DIR_SIZE];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    g_szInstallDir[0] = '\0';
    if (length == 0 || length >= sizeof path) return 0;
    if (!SplitPath(path, drive, sizeof drive, dir, sizeof dir, NULL, 0, NULL, 0)) return 0;
    if (!JoinPath(g_szInstallDir, sizeof g_szInstallDir, drive, dir, NULL, NULL)) return 0;
    return IsFullDirectory(g_szInstallDir);
}

static void SetSystemDirs()
{
    UINT length = GetSystemDirectoryA(g_szSystemDir, sizeof g_szSystemDir);
    if (length == 0 || length >= sizeof g_szSystemDir) g_szSystemDir[0] = '\0';
    length = GetWindowsDirectoryA(g_szWindowsDir, sizeof g_szWindowsDir);
    if (length == 0 || length >= sizeof g_szWindowsDir) g_szWindowsDir[0] = '\0';
    if (g_szWindowsDir[0] == '\0' || !SetInfDirFromWindowsDir()) g_szInfDir[0] = '\0';
}

int InitInstance(HINSTANCE hInstance, HINSTANCE hPrevInstance, int nCmdShow)
{
    if (hPrevInstance == NULL) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.style = kMainClassStyle;
        wc.lpfnWndProc = MainWndProc;
        wc.hInstance = hInstance;
        wc.hIcon = LoadIconA(NULL, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszMenuName = g_szProgramCaption;  // no such menu: the window has none
        wc.lpszClassName = g_szProgramCaption;
        if (!RegisterClassA(&wc)) return 0;
    }

    int width = LOWORD(GetSystemMetrics(SM_CXSCREEN));
    int height = LOWORD(GetSystemMetrics(SM_CYSCREEN));
    // WM_CREATE posts the first stage; it runs once the message loop does.
    g_hwndMain = CreateWindowExA(0, g_szProgramCaption, kInitialTitle, kMainStyle, 0, 0, width,
                                 height, NULL, NULL, hInstance, NULL);
    SetWindowTextA(g_hwndMain, g_szProductName);
    SetSystemDirs();
    ShowWindow(g_hwndMain, nCmdShow);
    UpdateWindow(g_hwndMain);
    return 1;
}

// On the NT family a process may restart Windows only with its shutdown privilege
// switched on. Windows 95/98 have no privileges and only stub the security calls,
// so they are looked up here, on the NT family only, never imported.
typedef BOOL(WINAPI* OpenProcessTokenProc)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* LookupPrivilegeValueProc)(LPCSTR, LPCSTR, PLUID);
typedef BOOL(WINAPI* AdjustTokenPrivilegesProc)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                                PTOKEN_PRIVILEGES, PDWORD);

static void EnableShutdownPrivilege()
{
    OpenProcessTokenProc openToken;
    LookupPrivilegeValueProc lookup;
    AdjustTokenPrivilegesProc adjust;
    if (!IsNtPlatform() || !LookUpAdvapiCall(&openToken, "OpenProcessToken") ||
        !LookUpAdvapiCall(&lookup, "LookupPrivilegeValueA") ||
        !LookUpAdvapiCall(&adjust, "AdjustTokenPrivileges"))
        return;

    HANDLE token;
    if (!openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (lookup(NULL, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        adjust(token, FALSE, &privileges, 0, NULL, NULL);
    CloseHandle(token);
}

static void OfferRestart(HWND hwnd)
{
    INT_PTR answer = DialogBoxParamA(g_hDialogInstance, MAKEINTRESOURCEA(IDD_RESTART), hwnd,
                                     RestartDlgProc, 0);
    if (answer == 1) {
        EnableShutdownPrivilege();
        if (!ExitWindowsEx(EWX_REBOOT, 0)) ShowTabledMessage(NULL, MSG_EXIT_WINDOWS);
    }
    g_bFinished = 1;
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_hDialogInstance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
        g_bFinished = 0;
        PostMessageA(hwnd, UM_RUN_WIZARD, 0, 0);
        return 0;

    case UM_RUN_WIZARD:
        // A user of the NT family without an administrator's rights would get half a
        // removal: told at once, and nothing is changed.
        if (IsNtPlatform() && !MayRemoveRegistryEntries()) {
            ShowTabledMessage(hwnd, MSG_NEEDS_ADMINISTRATOR);
            g_bFinished = 1;
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
        // Only Finish goes on: the sheet's error result -1 (it could not be shown) is
        // no yes.
        PostMessageA(hwnd, RunWizard(hwnd) > 0 ? UM_RUN_REMOVAL : WM_CLOSE, 0, 0);
        return 0;

    case UM_RUN_REMOVAL:
        if (DialogBoxParamA(g_hDialogInstance, MAKEINTRESOURCEA(IDD_PROGRESS), hwnd,
                            ProgressDlgProc, 0) != 0) {
            PostMessageA(hwnd, UM_OFFER_RESTART, 0, 0);
        } else {
            ShowTabledMessage(hwnd, MSG_ABORTING);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;

    case UM_OFFER_RESTART:
        OfferRestart(hwnd);
        break;

    case UM_RUN_SETUP_REMOVAL:
        RunSetupRemoval(hwnd);
        g_bFinished = 1;
        PostMessageA(hwnd, UM_OFFER_RESTART, 0, 0);
        return 0;

    case WM_CLOSE:
        if (!g_bFinished) ShowTabledMessage(hwnd, MSG_EXITING);
        FreeResourceLibrary();
        break;

    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;

    case WM_PAINT:
        return PaintBackdrop(hwnd, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;  // no command line is read
    DWORD version = GetVersion();
    unsigned int packed = (LOBYTE(LOWORD(version)) << 8) | HIBYTE(LOWORD(version));
    if (packed <= kNewestRefusedVersion) return 0;

    g_hInstance = hInstance;
    if (!SetInstallDirFromModule()) return 0;
    LoadResourceLibrary();
    // The progress dialog's bar is a common control: its class must exist.
    InitCommonControls();
    if (!InitInstance(hInstance, hPrevInstance, nCmdShow)) {
        FreeResourceLibrary();
        return 0;
    }

    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        // -1: the loop cannot go on, and msg holds nothing to read.
        if (got == -1) return 0;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
