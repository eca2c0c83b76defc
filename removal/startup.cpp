// REMOVR's entry point, the backdrop window and the order of the removal's stages.
#include "startup.h"

#include <commctrl.h>

#include "dialogs.h"
#include "installation.h"
#include "messages.h"
#include "paint.h"
#include "path_rules.h"
#include "platform.h"
#include "removal_table.h"
#include "resources/resource.h"
#include "setup_library.h"

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
// Held while an instance runs. Windows 95/98 refuse a name with a backslash.
static const char kRunningName[] = "Varsen Uninstall running";

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

// Any program may post any message to any window: a stage message is acted on only
// as the next stage of the program's own sequence, the one it posted last itself.
static UINT s_uNextStage = 0;
// Another party's registry step (UM_RUN_SETUP_REMOVAL) is heard only while the wizard
// waits, in a run that may remove the package, and once: the removal run has its own.
static int s_bSetupRemovalOpen = 0;

static void PostStage(HWND hwnd, UINT stage)
{
    s_uNextStage = stage;
    PostMessageA(hwnd, stage, 0, 0);
}

// 1 when stage is the program's next one, which it takes: any other is out of turn.
static int TakeStage(UINT stage)
{
    if (stage != s_uNextStage) return 0;
    s_uNextStage = 0;
    return 1;
}

// The running instance's window and the one of its windows that waits for the user.
struct RunningInstance {
    HWND main;
    DWORD process;
    HWND waiting;
};

// The topmost window of the instance, visible and enabled, beside its backdrop: the
// wizard, the progress dialog, the restart offer or a box; a dialog under a box is
// disabled.
static BOOL CALLBACK FindWaitingWindow(HWND window, LPARAM lParam)
{
    RunningInstance* running = reinterpret_cast<RunningInstance*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != running->process || window == running->main || !IsWindowVisible(window) ||
        (GetWindowLongA(window, GWL_STYLE) & WS_DISABLED))
        return TRUE;
    running->waiting = window;
    return FALSE;
}

// A second start changes nothing: it brings the first one's window to the front.
static void ShowRunningInstance()
{
    RunningInstance running = {FindWindowA(g_szProgramCaption, NULL), 0, NULL};
    if (running.main == NULL) return;
    running.waiting = running.main;
    GetWindowThreadProcessId(running.main, &running.process);
    EnumWindows(FindWaitingWindow, reinterpret_cast<LPARAM>(&running));
    SetForegroundWindow(running.waiting);
}

// A run that cannot remove the package is refused before the wizard, in one box,
// with nothing changed; the close is then silent.
static int RefuseBeforeWizard(HWND hwnd)
{
    int id = InstallationRefusal();
    if (id == 0) return 0;
    ShowTabledMessage(hwnd, id);
    g_bFinished = 1;
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 1;
}

// The wizard; its answer, unless another party's registry step has taken the
// sequence on to the restart offer meanwhile.
static void RunWizardStage(HWND hwnd)
{
    s_bSetupRemovalOpen = 1;
    // Only Finish goes on: the sheet's error result -1 (it could not be shown) is no yes.
    int finished = RunWizard(hwnd) > 0;
    int takenOver = !s_bSetupRemovalOpen;
    s_bSetupRemovalOpen = 0;
    if (takenOver) return;
    if (finished) PostStage(hwnd, UM_RUN_REMOVAL);
    else PostMessageA(hwnd, WM_CLOSE, 0, 0);
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
        PostStage(hwnd, UM_RUN_WIZARD);
        return 0;

    case UM_RUN_WIZARD:
        // A copy away from the package, or a user without the rights (who would get
        // half a removal), is told at once.
        if (TakeStage(message) && !RefuseBeforeWizard(hwnd)) RunWizardStage(hwnd);
        return 0;

    case UM_RUN_REMOVAL:
        if (!TakeStage(message)) return 0;
        // A dialog that could not be made (-1) ran nothing: as a Cancel.
        if (DialogBoxParamA(g_hDialogInstance, MAKEINTRESOURCEA(IDD_PROGRESS), hwnd,
                            ProgressDlgProc, 0) > 0) {
            PostStage(hwnd, UM_OFFER_RESTART);
        } else {
            ShowTabledMessage(hwnd, MSG_ABORTING);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;

    case UM_OFFER_RESTART:
        if (!TakeStage(message)) return 0;
        OfferRestart(hwnd);
        break;

    case UM_RUN_SETUP_REMOVAL:
        if (!s_bSetupRemovalOpen) return 0;
        s_bSetupRemovalOpen = 0;
        RunSetupRemoval(hwnd);
        g_bFinished = 1;
        PostStage(hwnd, UM_OFFER_RESTART);
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

    // One removal at a time: a second start only shows the first one.
    CreateMutexA(NULL, FALSE, kRunningName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowRunningInstance();
        return 0;
    }

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
