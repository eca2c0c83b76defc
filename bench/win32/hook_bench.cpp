// Cost of PELTOAPI's auto-jump hook on window creation: windows created (and
// destroyed) per second in this process with the hook on in mode 1 and in mode 2,
// against the same with a pass-through hook (PASSHOOK.DLL, installed system-wide the
// same way) and with no hook at all, all in one run.
//
// Two workloads, each N windows created and then destroyed per measurement:
//   buttons  visible default push buttons of class "Button" (mode 1 announces each)
//   popups   popups with a system menu (mode 2 announces each)
// The announcements go to a receiver window on a thread of its own, set as
// ghWndScroller, which drains its queue and records them; every measurement checks
// that exactly the expected announcements of its own windows arrived. The hook is
// system-wide, so windows that other programs create meanwhile are announced too:
// they are counted apart, as a sign that the machine was not quiet.
//
//   hook_bench [--windows N] [--repetitions R]   measure; one RESULT line per figure
//   hook_bench --off                             only switch every hook off
//
// The hooks reach every process of the prefix: whatever happens, both are switched
// off before the program ends.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "peltoapi.h"

extern "C" {
__declspec(dllimport) int PassHookOn(void);
__declspec(dllimport) void PassHookOff(void);
}

namespace {

const char kReceiverClass[] = "HookBenchReceiver";
const char kPopupClass[] = "HookBenchPopup";
const char kParentClass[] = "HookBenchParent";
const UINT WM_BENCH_BARRIER = WM_APP + 1;
const DWORD kReceiverDeadlineMs = 60000;

enum HookSetting { HOOK_NONE, HOOK_PASS_THROUGH, HOOK_MODE1, HOOK_MODE2, HOOK_SETTING_COUNT };
const char* const kHookNames[HOOK_SETTING_COUNT] = {"none", "pass_through", "mode1", "mode2"};

enum Workload { WORKLOAD_BUTTONS, WORKLOAD_POPUPS, WORKLOAD_COUNT };
const char* const kWorkloadNames[WORKLOAD_COUNT] = {"buttons", "popups"};

// ---- Switching the hooks ----

HWND g_hwndReceiver = NULL;
HWND g_hwndScrollerBefore = NULL;

void HooksOff()
{
    SetAutoJump(0);
    PassHookOff();
}

// Both hooks off and the receiver given back; idempotent, callable from any thread.
void AllHooksOff()
{
    HooksOff();
    if (g_hwndReceiver != NULL && ghWndScroller == g_hwndReceiver)
        ghWndScroller = g_hwndScrollerBefore;
}

void AllHooksOffAtExit()
{
    AllHooksOff();
}

BOOL WINAPI OnConsoleControl(DWORD dwCtrlType)
{
    (void)dwCtrlType;
    AllHooksOff();
    return FALSE;  // and let the default handler end the process
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo)
{
    (void)pInfo;
    AllHooksOff();
    return EXCEPTION_CONTINUE_SEARCH;
}

bool SwitchHook(HookSetting setting)
{
    HooksOff();
    switch (setting) {
    case HOOK_NONE:
        return true;
    case HOOK_PASS_THROUGH:
        return PassHookOn() != 0;
    case HOOK_MODE1:
        return SetAutoJump(1) == 1;
    case HOOK_MODE2:
        return SetAutoJump(2) == 1;
    default:
        return false;
    }
}

// ---- The receiver: its own thread, its own queue ----

// The windows announced since the last measurement began; the receiver's thread
// appends, the measuring thread reads once the receiver has caught up.
CRITICAL_SECTION g_announcedLock;
std::vector<HWND> g_announced;
HANDLE g_receiverReady = NULL;
HANDLE g_barrierReached = NULL;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_AUTOJUMP) {
        EnterCriticalSection(&g_announcedLock);
        g_announced.push_back((HWND)lParam);
        LeaveCriticalSection(&g_announcedLock);
        return 0;
    }
    if (uMsg == WM_BENCH_BARRIER) {
        SetEvent(g_barrierReached);
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

DWORD WINAPI ReceiverThread(LPVOID)
{
    g_hwndReceiver = CreateWindowExA(0, kReceiverClass, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL,
                                     GetModuleHandleA(NULL), NULL);
    SetEvent(g_receiverReady);
    if (g_hwndReceiver == NULL)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// Waits until the receiver has handled every post made so far by this thread: the
// hook posts from this thread, so a post of our own queues up behind them.
bool ReceiverCaughtUp()
{
    ResetEvent(g_barrierReached);
    if (!PostMessageA(g_hwndReceiver, WM_BENCH_BARRIER, 0, 0))
        return false;
    return WaitForSingleObject(g_barrierReached, kReceiverDeadlineMs) == WAIT_OBJECT_0;
}

// ---- One measurement ----

struct Measurement {
    double windowsPerSecond;
    LONG announced;  // of this measurement's windows
    LONG foreign;    // of other windows, of other programs
};

HWND CreateWorkloadWindow(Workload workload, HWND hwndParent, int i)
{
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    if (workload == WORKLOAD_BUTTONS)
        return CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                               (i % 10) * 30, (i / 10 % 10) * 20, 28, 18, hwndParent, NULL,
                               hInstance, NULL);
    // Not shown: mode 2 looks at the style only, and showing a top-level window
    // would mostly measure the display.
    return CreateWindowExA(0, kPopupClass, "Popup", WS_POPUP | WS_CAPTION | WS_SYSMENU, 10, 10,
                           120, 80, NULL, NULL, hInstance, NULL);
}

void DrainOwnQueue()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool Measure(Workload workload, int nWindows, Measurement* pResult)
{
    // The buttons' parent: made before the clock starts, without a system menu so
    // that no hook announces it.
    HWND hwndParent = CreateWindowExA(0, kParentClass, "", WS_POPUP, 0, 0, 320, 220, NULL, NULL,
                                      GetModuleHandleA(NULL), NULL);
    if (hwndParent == NULL)
        return false;
    DrainOwnQueue();
    if (!ReceiverCaughtUp())
        return false;
    EnterCriticalSection(&g_announcedLock);
    g_announced.clear();
    LeaveCriticalSection(&g_announcedLock);

    std::vector<HWND> windows(nWindows, (HWND)NULL);
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    bool ok = true;
    for (int i = 0; i < nWindows && ok; ++i) {
        windows[i] = CreateWorkloadWindow(workload, hwndParent, i);
        ok = windows[i] != NULL;
    }
    for (HWND hwnd : windows)
        if (hwnd != NULL)
            DestroyWindow(hwnd);
    QueryPerformanceCounter(&stop);

    DestroyWindow(hwndParent);
    DrainOwnQueue();
    if (!ok || !ReceiverCaughtUp())
        return false;
    double seconds = (double)(stop.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
    pResult->windowsPerSecond = seconds > 0 ? nWindows / seconds : 0;
    std::vector<HWND> own(windows);
    std::sort(own.begin(), own.end());
    pResult->announced = 0;
    pResult->foreign = 0;
    EnterCriticalSection(&g_announcedLock);
    for (HWND hwnd : g_announced) {
        if (std::binary_search(own.begin(), own.end(), hwnd))
            ++pResult->announced;
        else
            ++pResult->foreign;
    }
    LeaveCriticalSection(&g_announcedLock);
    return true;
}

LONG ExpectedAnnouncements(HookSetting setting, Workload workload, int nWindows)
{
    if (setting == HOOK_MODE1 && workload == WORKLOAD_BUTTONS)
        return nWindows;
    if (setting == HOOK_MODE2 && workload == WORKLOAD_POPUPS)
        return nWindows;
    return 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool RegisterClasses()
{
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    const char* const names[] = {kReceiverClass, kPopupClass, kParentClass};
    for (const char* name : names) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = name == kReceiverClass ? ReceiverProc : DefWindowProcA;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = name;
        if (!RegisterClassA(&wc))
            return false;
    }
    return true;
}

// Another program with the auto-jump hook in use: its receiver is a live window.
bool HookInUseElsewhere()
{
    HWND hwnd = ghWndScroller;
    return hwnd != NULL && IsWindow(hwnd);
}

int Run(int nWindows, int nRepetitions)
{
    if (HookInUseElsewhere()) {
        fprintf(stderr, "hook_bench: another program's window %p receives the auto-jump hook; "
                        "not measured\n", (void*)ghWndScroller);
        return 3;
    }
    if (!RegisterClasses()) {
        fprintf(stderr, "hook_bench: cannot register the window classes\n");
        return 1;
    }
    InitializeCriticalSection(&g_announcedLock);
    g_receiverReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_barrierReached = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE hThread = CreateThread(NULL, 0, ReceiverThread, NULL, 0, NULL);
    if (hThread == NULL || WaitForSingleObject(g_receiverReady, kReceiverDeadlineMs) != WAIT_OBJECT_0 ||
        g_hwndReceiver == NULL) {
        fprintf(stderr, "hook_bench: the receiver did not start\n");
        return 1;
    }
    g_hwndScrollerBefore = ghWndScroller;
    ghWndScroller = g_hwndReceiver;

    // Every setting once per repetition, in turn, so that a drift of the machine
    // spreads over all of them alike. Repetition 0 warms up and is not counted: the
    // first time a hook is on, the other processes of the prefix load its library.
    std::vector<double> rates[HOOK_SETTING_COUNT][WORKLOAD_COUNT];
    long nForeign = 0;
    int nStatus = 0;
    for (int rep = 0; rep <= nRepetitions && nStatus == 0; ++rep) {
        for (int s = 0; s < HOOK_SETTING_COUNT && nStatus == 0; ++s) {
            HookSetting setting = (HookSetting)s;
            if (!SwitchHook(setting)) {
                fprintf(stderr, "hook_bench: cannot switch the hook to %s\n", kHookNames[s]);
                nStatus = 1;
                break;
            }
            for (int w = 0; w < WORKLOAD_COUNT; ++w) {
                Workload workload = (Workload)w;
                Measurement m;
                if (!Measure(workload, nWindows, &m)) {
                    fprintf(stderr, "hook_bench: %s with hook %s failed\n", kWorkloadNames[w],
                            kHookNames[s]);
                    nStatus = 1;
                    break;
                }
                LONG expected = ExpectedAnnouncements(setting, workload, nWindows);
                if (m.announced != expected) {
                    fprintf(stderr, "hook_bench: %s with hook %s: %ld announcements, expected %ld\n",
                            kWorkloadNames[w], kHookNames[s], (long)m.announced, (long)expected);
                    nStatus = 2;
                    break;
                }
                printf("SAMPLE hook workload=%s hook=%s rep=%d windows_per_s=%.1f announced=%ld "
                       "foreign=%ld%s\n",
                       kWorkloadNames[w], kHookNames[s], rep, m.windowsPerSecond,
                       (long)m.announced, (long)m.foreign, rep == 0 ? " warmup" : "");
                nForeign += m.foreign;
                fflush(stdout);
                if (rep > 0)
                    rates[s][w].push_back(m.windowsPerSecond);
            }
        }
        HooksOff();
    }
    AllHooksOff();
    PostMessageA(g_hwndReceiver, WM_CLOSE, 0, 0);
    WaitForSingleObject(hThread, 5000);
    CloseHandle(hThread);
    if (nStatus != 0)
        return nStatus;

    for (int w = 0; w < WORKLOAD_COUNT; ++w)
        for (int s = 0; s < HOOK_SETTING_COUNT; ++s)
            printf("RESULT hook workload=%s hook=%s windows=%d repetitions=%d "
                   "median_windows_per_s=%.1f\n",
                   kWorkloadNames[w], kHookNames[s], nWindows, nRepetitions,
                   Median(rates[s][w]));
    printf("RESULT hook foreign_announcements=%ld\n", nForeign);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int nWindows = 200;
    int nRepetitions = 5;
    bool bOffOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--off") == 0)
            bOffOnly = true;
        else if (strcmp(argv[i], "--windows") == 0 && i + 1 < argc)
            nWindows = atoi(argv[++i]);
        else if (strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc)
            nRepetitions = atoi(argv[++i]);
        else {
            fprintf(stderr, "usage: hook_bench [--windows N] [--repetitions R] | --off\n");
            return 2;
        }
    }
    if (bOffOnly) {
        AllHooksOff();
        if (!IsWindow(ghWndScroller))
            ghWndScroller = NULL;
        printf("hook_bench: hooks off\n");
        return 0;
    }
    if (nWindows < 1 || nRepetitions < 1) {
        fprintf(stderr, "hook_bench: N and R must be positive\n");
        return 2;
    }
    atexit(AllHooksOffAtExit);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    SetUnhandledExceptionFilter(OnUnhandledException);
    int nStatus = Run(nWindows, nRepetitions);
    AllHooksOff();
    return nStatus;
}
