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

// The sequence, one value. WM_CLOSE (the taskbar's Close, End Task), the stage
// messages and another party's registry step all decide from it: any program may
// post any message to any window, and a modal loop hands each to the backdrop.
enum Stage {
    STAGE_BEFORE_WIZARD,  // the wizard's message is on its way
    STAGE_WIZARD,         // the wizard waits: a close cancels it
    STAGE_REMOVAL,        // from Finish to the run's end: a close and a shutdown that
                          // reach the program (under a box of the run, or once a busy
                          // step looks at its queue) are held
    STAGE_RESTART_OFFER,  // until the offer is answered: a close declines it
    STAGE_DONE            // ending: nothing more comes up, the close is silent
};
static int s_stage = STAGE_BEFORE_WIZARD;

static void SetStage(int stage)
{
    if ((stage == STAGE_REMOVAL) != (s_stage == STAGE_REMOVAL))
        BlockShutdown(g_hwndMain, stage == STAGE_REMOVAL);
    s_stage = stage;
    g_bFinished = stage >= STAGE_RESTART_OFFER;
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

static HWND WaitingWindow(HWND main, DWORD process)
{
    RunningInstance running = {main, process, NULL};
    EnumWindows(FindWaitingWindow, reinterpret_cast<LPARAM>(&running));
    return running.waiting;
}

// A second start changes nothing: it brings the first one's window to the front.
static void ShowRunningInstance()
{
    HWND main = FindWindowA(g_szProgramCaption, NULL);
    if (main == NULL) return;
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    HWND waiting = WaitingWindow(main, process);
    SetForegroundWindow(waiting != NULL ? waiting : main);
}

// Answers the program's window that waits for the user as its button would: the
// sequence then goes on from that window's answer.
static void AnswerWaitingWindow(HWND hwnd, WPARAM button)
{
    HWND waiting = WaitingWindow(hwnd, GetCurrentProcessId());
    if (waiting != NULL) SendMessageA(waiting, WM_COMMAND, button, 0);
}

// A stage message acts only in its own stage, and only while no dialog or box of the
// program is up over the backdrop (a modal one disables it).
static int InTurn(HWND hwnd, int stage)
{
    return s_stage == stage && !(GetWindowLongA(hwnd, GWL_STYLE) & WS_DISABLED);
}

// The end of a run that removed nothing: its boxes in turn (0 for none), then the close.
static void CloseAfter(HWND hwnd, int first, int second)
{
    SetStage(STAGE_DONE);
    ShowTabledMessage(hwnd, first);
    ShowTabledMessage(hwnd, second);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

// The restart dialog with the body text (0: the offer after a removal); Windows is
// asked to restart when the user agrees.
static void OfferRestart(HWND hwnd, int text)
{
    SetStage(STAGE_RESTART_OFFER);
    INT_PTR answer = DialogBoxParamA(g_hDialogInstance, MAKEINTRESOURCEA(IDD_RESTART), hwnd,
                                     RestartDlgProc, text);
    SetStage(STAGE_DONE);
    if (answer == 1) {
        EnableShutdownPrivilege();
        if (!ExitWindowsEx(EWX_REBOOT, 0)) ShowTabledMessage(NULL, MSG_EXIT_WINDOWS);
    }
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

// A copy away from the package, or a user without the rights (who would get half a
// removal), is told at once, in one box, and nothing changes; a removal that went
// through is offered its restart. Else the wizard, and its answer, unless another
// party's registry step has taken the sequence on to the restart offer meanwhile.
static void RunWizardStage(HWND hwnd)
{
    int verdict = InstallationVerdict();
    if (verdict == MSG_ONLY_RESTART_LEFT) {
        OfferRestart(hwnd, verdict);
        return;
    }
    if (verdict != 0) {
        CloseAfter(hwnd, verdict, 0);
        return;
    }
    SetStage(STAGE_WIZARD);
    // Only Finish goes on: the sheet's error result -1 (it could not be shown) is no yes.
    int finished = RunWizard(hwnd) > 0;
    if (s_stage == STAGE_RESTART_OFFER) {
        PostMessageA(hwnd, UM_OFFER_RESTART, 0, 0);
    } else if (finished) {
        SetStage(STAGE_REMOVAL);
        PostMessageA(hwnd, UM_RUN_REMOVAL, 0, 0);
    } else {
        CloseAfter(hwnd, 0, MSG_EXITING);
    }
}

// 1 when the close ends the program now; else the stage's own window is answered
// and the sequence closes after it, or the close is held until the run has ended.
static int CloseInStage(HWND hwnd)
{
    switch (s_stage) {
    case STAGE_BEFORE_WIZARD:  // before anything came up: the warning, then the close
        CloseAfter(hwnd, 0, MSG_EXITING);
        return 0;
    case STAGE_WIZARD:
        AnswerWaitingWindow(hwnd, IDCANCEL);
        return 0;
    case STAGE_REMOVAL:
        // Before the run, its cancel question is open: the close says Yes.
        if (CancelQuestionOpen()) AnswerWaitingWindow(hwnd, IDYES);
        return 0;
    case STAGE_RESTART_OFFER:
        AnswerWaitingWindow(hwnd, IDCANCEL);
        return 0;
    }
    // A box of the end (a refusal, the warning, a refused restart) ends as its OK does.
    if (WaitingWindow(hwnd, GetCurrentProcessId()) == NULL) return 1;
    AnswerWaitingWindow(hwnd, IDOK);
    return 0;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_hDialogInstance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
        SetStage(STAGE_BEFORE_WIZARD);
        PostMessageA(hwnd, UM_RUN_WIZARD, 0, 0);
        return 0;

    case UM_RUN_WIZARD:
        if (InTurn(hwnd, STAGE_BEFORE_WIZARD)) RunWizardStage(hwnd);
        return 0;

    case UM_RUN_REMOVAL:
        if (!InTurn(hwnd, STAGE_REMOVAL)) return 0;
        // A dialog that could not be made (-1) ran nothing: as a Cancel.
        if (DialogBoxParamA(g_hDialogInstance, MAKEINTRESOURCEA(IDD_PROGRESS), hwnd,
                            ProgressDlgProc, 0) > 0) {
            SetStage(STAGE_RESTART_OFFER);
            PostMessageA(hwnd, UM_OFFER_RESTART, 0, 0);
        } else {
            CloseAfter(hwnd, MSG_ABORTING, MSG_EXITING);
        }
        return 0;

    case UM_OFFER_RESTART:
        if (InTurn(hwnd, STAGE_RESTART_OFFER)) OfferRestart(hwnd, 0);
        return 0;

    case UM_RUN_SETUP_REMOVAL:
        // Heard only while the wizard waits, and once: the removal run has its own.
        if (s_stage != STAGE_WIZARD) return 0;
        SetStage(STAGE_REMOVAL);
        RunSetupRemoval(hwnd);
        // The wizard ends; the restart offer comes after it.
        SetStage(STAGE_RESTART_OFFER);
        AnswerWaitingWindow(hwnd, IDCANCEL);
        return 0;

    case WM_CLOSE:
        if (!CloseInStage(hwnd)) return 0;
        FreeResourceLibrary();
        break;

    case WM_QUERYENDSESSION:
        // A shutdown that reaches the removal is refused, as a close is: while a box of
        // the run is up, or when the step it waited for is done. Elsewhere the session
        // may end (at the wizard nothing has changed yet).
        if (s_stage == STAGE_REMOVAL) return FALSE;
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
