// A program of the package as Microsoft's toolchain builds it: compiled by clang-cl
// in Microsoft mode from peltoapi.h alone, linked by lld-link against PELTOAPI.LIB,
// no C run-time, its own entry point. It proves the decorated bindings under Wine:
// the hook switched on in modes 1 and 2 announces windows that a second process (this
// program started again) makes, the shared variables written through the imports are
// what that process reads through its own imports, the zoom action reaches a real
// list view with its point and window arguments intact, and DoNothing returns.
//   msvc_client                    the test
//   msvc_client child RECEIVER     the second process (RECEIVER in hexadecimal)
#include <windows.h>
#include <commctrl.h>
#include <stdarg.h>

#include "peltoapi.h"

// child -> receiver: wParam ghWndScroller, lParam g_uMsgMouseWheel as the child reads them.
#define MSG_CHILD_SAW (WM_APP + 1)
// child -> receiver: lParam the child's control window.
#define MSG_CHILD_HELLO (WM_APP + 2)
// child -> receiver: wParam a WindowKind, lParam the window just made.
#define MSG_CHILD_MADE (WM_APP + 3)
// test -> child control window: make the window set once more.
#define MSG_MAKE_WINDOWS (WM_APP + 4)
// test -> child control window: end.
#define MSG_QUIT (WM_APP + 5)

enum WindowKind {
    KIND_FRAME,       // own class, WS_OVERLAPPEDWINDOW (so WS_SYSMENU), hidden
    KIND_DEFBUTTON,   // "Button", visible BS_DEFPUSHBUTTON child of the frame
    KIND_PUSHBUTTON,  // "Button", visible BS_PUSHBUTTON child of the frame
    KIND_COUNT
};

static const char RECEIVER_CLASS[] = "MsvcClientReceiver";
static const char FRAME_CLASS[] = "MsvcClientFrame";
static const DWORD DEADLINE_MS = 120000;  // process starts under emulation take seconds

static HINSTANCE g_hInstance;
static int g_nPassed;
static int g_nFailed;

// What the receiver got.
struct Notification {
    WPARAM wCode;
    HWND hwnd;
};
static Notification g_notes[256];
static int g_nNotes;
static volatile bool g_bHello;
static HWND g_hwndChildControl;
static HWND g_hwndMade[KIND_COUNT];
static bool g_bChildSaw;
static WPARAM g_wChildScroller;
static LPARAM g_lChildMouseWheel;
static int g_nCommands;
static WPARAM g_wCommand;
static LPARAM g_lCommand;

// What the list view got.
static WNDPROC g_oldListProc;
static int g_nDoubleClicks;
static WPARAM g_wDoubleClick;
static LPARAM g_lDoubleClick;

// No C run-time: the compiler may still emit calls for struct copies and clears.
extern "C" void* __cdecl memset(void* pDest, int nValue, unsigned int cb)
{
    volatile unsigned char* p = (volatile unsigned char*)pDest;
    while (cb-- > 0)
        *p++ = (unsigned char)nValue;
    return pDest;
}

extern "C" void* __cdecl memcpy(void* pDest, const void* pSrc, unsigned int cb)
{
    volatile unsigned char* p = (volatile unsigned char*)pDest;
    const unsigned char* q = (const unsigned char*)pSrc;
    while (cb-- > 0)
        *p++ = *q++;
    return pDest;
}

static void Print(const char* pszFormat, ...)
{
    char szLine[1024];  // wsprintfA writes at most 1024 characters
    va_list args;
    va_start(args, pszFormat);
    // Every format below has a bounded output (numbers and short fixed texts).
    int cch = wvsprintfA(szLine, pszFormat, args);
    va_end(args);
    DWORD cbWritten;
    if (cch > 0)
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), szLine, (DWORD)cch, &cbWritten, NULL);
}

static void Check(bool bOk, const char* pszWhat, unsigned long nGot, unsigned long nExpected)
{
    if (bOk) {
        ++g_nPassed;
        return;
    }
    ++g_nFailed;
    Print("FAIL: %s: got 0x%lx, expected 0x%lx\r\n", pszWhat, nGot, nExpected);
}

static void CheckEqual(const char* pszWhat, unsigned long nGot, unsigned long nExpected)
{
    Check(nGot == nExpected, pszWhat, nGot, nExpected);
}

static LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_AUTOJUMP:
        if (g_nNotes < (int)(sizeof(g_notes) / sizeof(g_notes[0]))) {
            g_notes[g_nNotes].wCode = wParam;
            g_notes[g_nNotes].hwnd = (HWND)lParam;
            ++g_nNotes;
        }
        return 0;
    case MSG_CHILD_SAW:
        g_bChildSaw = true;
        g_wChildScroller = wParam;
        g_lChildMouseWheel = lParam;
        return 0;
    case MSG_CHILD_HELLO:
        g_hwndChildControl = (HWND)lParam;
        g_bHello = true;
        return 0;
    case MSG_CHILD_MADE:
        if (wParam < KIND_COUNT)
            g_hwndMade[wParam] = (HWND)lParam;
        return 0;
    case WM_COMMAND:
        ++g_nCommands;
        g_wCommand = wParam;
        g_lCommand = lParam;
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

static LRESULT CALLBACK ListProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_LBUTTONDBLCLK) {
        ++g_nDoubleClicks;
        g_wDoubleClick = wParam;
        g_lDoubleClick = lParam;
        return 0;
    }
    return CallWindowProcA(g_oldListProc, hwnd, uMsg, wParam, lParam);
}

// The receiver's class runs receiverProc: the test's receiver, or the child's control
// window.
static bool RegisterClasses(WNDPROC receiverProc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = receiverProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = RECEIVER_CLASS;
    if (!RegisterClassA(&wc))
        return false;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = FRAME_CLASS;
    return RegisterClassA(&wc) != 0;
}

// Handles the messages of this thread (sent ones included) until *pbDone turns true,
// hProcess ends, or the deadline passes.
static bool PumpUntil(const volatile bool* pbDone, HANDLE hProcess)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (*pbDone)
            return true;
        DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= DEADLINE_MS)
            return false;
        DWORD nHandles = hProcess != NULL ? 1 : 0;
        DWORD dwWait = MsgWaitForMultipleObjects(nHandles, &hProcess, FALSE,
                                                 DEADLINE_MS - dwElapsed, QS_ALLINPUT);
        if (nHandles == 1 && dwWait == WAIT_OBJECT_0)
            return *pbDone;
    }
}

static int FindNotification(HWND hwnd, WPARAM* pwCode)
{
    int nFound = 0;
    for (int i = 0; i < g_nNotes; ++i)
        if (g_notes[i].hwnd == hwnd) {
            *pwCode = g_notes[i].wCode;
            ++nFound;
        }
    return nFound;
}

// Asks the child for its window set and checks which of them the hook announced.
// Every post of the hook happens inside the child's window creation, so all are in
// this thread's queue once the child has answered.
static void TestWindowSet(int nMode, int nAnnounced, WPARAM wCode)
{
    for (int i = 0; i < KIND_COUNT; ++i)
        g_hwndMade[i] = NULL;
    g_nNotes = 0;
    DWORD_PTR dwResult = 0;
    LRESULT lSent = SendMessageTimeoutA(g_hwndChildControl, MSG_MAKE_WINDOWS, 0, 0,
                                        SMTO_ABORTIFHUNG, DEADLINE_MS, &dwResult);
    Check(lSent != 0 && dwResult == 1, "the child made its windows", (unsigned long)dwResult, 1);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);

    for (int nKind = 0; nKind < KIND_COUNT; ++nKind) {
        Check(g_hwndMade[nKind] != NULL, "a window of the child", (unsigned long)nKind, 0);
        WPARAM wGot = 0;
        int nFound = FindNotification(g_hwndMade[nKind], &wGot);
        if (nKind == nAnnounced) {
            Print("mode %d: window kind %d announced %d time(s), code %lu\r\n", nMode, nKind,
                  nFound, (unsigned long)wGot);
            CheckEqual("notifications of the announced window", (unsigned long)nFound, 1);
            CheckEqual("its notification code", (unsigned long)wGot, (unsigned long)wCode);
        } else {
            CheckEqual("notifications of a window not announced", (unsigned long)nFound, 0);
        }
    }
}

// The hook in modes 1 and 2 and the shared variables, with a second process.
static void TestHookAndSharedState(HWND hwndReceiver)
{
    // A hook recorded by a process that has ended would keep the library from
    // installing one: switch off first.
    CheckEqual("SetAutoJump(0)", (unsigned long)SetAutoJump(0), 1);
    UINT uWheel = 0xC000 + (UINT)(GetCurrentProcessId() & 0x3FFF);
    ghWndScroller = hwndReceiver;
    g_uMsgMouseWheel = uWheel;
    CheckEqual("SetAutoJump(1)", (unsigned long)SetAutoJump(1), 1);

    // Started while the hook is on, the child never holds it: its end leaves the hook.
    char szPath[260];
    DWORD cchPath = GetModuleFileNameA(NULL, szPath, sizeof(szPath));
    if (cchPath == 0 || cchPath >= sizeof(szPath)) {
        Check(false, "the program's own path", cchPath, 0);
        return;
    }
    char szCommand[400];
    wsprintfA(szCommand, "\"%s\" child %lx", szPath, (unsigned long)hwndReceiver);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(szPath, szCommand, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        Check(false, "the child started", 0, 1);
        return;
    }
    CloseHandle(pi.hThread);

    g_bHello = false;
    bool bHello = PumpUntil(&g_bHello, pi.hProcess);
    Check(bHello, "the child's hello", 0, 1);
    if (bHello) {
        Check(g_bChildSaw, "the child read the shared variables", 0, 1);
        CheckEqual("ghWndScroller in the child", (unsigned long)g_wChildScroller,
                   (unsigned long)hwndReceiver);
        CheckEqual("g_uMsgMouseWheel in the child", (unsigned long)g_lChildMouseWheel, uWheel);

        TestWindowSet(1, KIND_DEFBUTTON, 1);
        CheckEqual("SetAutoJump(2)", (unsigned long)SetAutoJump(2), 1);
        TestWindowSet(2, KIND_FRAME, 2);
        PostMessageA(g_hwndChildControl, MSG_QUIT, 0, 0);
    }

    if (WaitForSingleObject(pi.hProcess, DEADLINE_MS) != WAIT_OBJECT_0) {
        Check(false, "the child ended", 0, 1);
        TerminateProcess(pi.hProcess, 1);
    } else {
        DWORD dwCode = 1;
        GetExitCodeProcess(pi.hProcess, &dwCode);
        CheckEqual("the child's exit code", dwCode, 0);
    }
    CloseHandle(pi.hProcess);
    CheckEqual("SetAutoJump(0) at the end", (unsigned long)SetAutoJump(0), 1);
    ghWndScroller = NULL;
}

// The zoom action on a real list view: the double-click lands at the point taken
// from the window's corner, the command goes to the window named.
static void TestZoomOnListView(HWND hwndCommand)
{
    InitCommonControls();
    HWND hwndHost = CreateWindowExA(WS_EX_TOPMOST, FRAME_CLASS, "", WS_POPUP | WS_VISIBLE, 120,
                                    90, 320, 240, NULL, NULL, g_hInstance, NULL);
    HWND hwndList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_LIST,
                                    20, 20, 200, 160, hwndHost, NULL, g_hInstance, NULL);
    if (hwndHost == NULL || hwndList == NULL) {
        Check(false, "a list view", 0, 1);
        return;
    }
    g_oldListProc = (WNDPROC)SetWindowLongA(hwndList, GWL_WNDPROC, (LONG)ListProc);
    RECT rc;
    GetWindowRect(hwndList, &rc);
    POINT pt = {rc.left + 10, rc.top + 5};
    CheckEqual("the list view under the point", (unsigned long)WindowFromPoint(pt),
               (unsigned long)hwndList);

    g_nDoubleClicks = 0;
    g_nCommands = 0;
    CheckEqual("DataZoomExplorer, action 1", (unsigned long)DataZoomExplorer(pt, 1, hwndCommand), 1);
    CheckEqual("double-clicks", (unsigned long)g_nDoubleClicks, 1);
    CheckEqual("the double-click's keys", (unsigned long)g_wDoubleClick, MK_LBUTTON);
    CheckEqual("the double-click's point", (unsigned long)g_lDoubleClick, 0x0005000A);
    CheckEqual("commands after action 1", (unsigned long)g_nCommands, 0);

    CheckEqual("DataZoomExplorer, action 0", (unsigned long)DataZoomExplorer(pt, 0, hwndCommand), 1);
    CheckEqual("commands to the window named", (unsigned long)g_nCommands, 1);
    CheckEqual("the command", (unsigned long)g_wCommand, 0x1A022);
    CheckEqual("the command's lParam", (unsigned long)g_lCommand, 0);
    CheckEqual("double-clicks after action 0", (unsigned long)g_nDoubleClicks, 1);
    DestroyWindow(hwndHost);
}

// The imports are bound to the library's own exports, by their decorated names.
static void TestBindings(void)
{
    HMODULE hLibrary = GetModuleHandleA("PELTOAPI.DLL");
    Check(hLibrary != NULL, "PELTOAPI.DLL loaded with the program", 0, 1);
    if (hLibrary == NULL)
        return;
    CheckEqual("&ghWndScroller",
               (unsigned long)&ghWndScroller,
               (unsigned long)GetProcAddress(hLibrary, "?ghWndScroller@@3PAUHWND__@@A"));
    CheckEqual("&g_uMsgMouseWheel",
               (unsigned long)&g_uMsgMouseWheel,
               (unsigned long)GetProcAddress(hLibrary, "?g_uMsgMouseWheel@@3IA"));
    CheckEqual("SetAutoJump", (unsigned long)&SetAutoJump,
               (unsigned long)GetProcAddress(hLibrary, "?SetAutoJump@@YGHH@Z"));
    CheckEqual("CbtHookProcedure", (unsigned long)&CbtHookProcedure,
               (unsigned long)GetProcAddress(hLibrary, "?CbtHookProcedure@@YGJHIJ@Z"));
    CheckEqual("DataZoomExplorer", (unsigned long)&DataZoomExplorer,
               (unsigned long)GetProcAddress(hLibrary,
                                             "?DataZoomExplorer@@YGHUtagPOINT@@HPAUHWND__@@@Z"));
    CheckEqual("DoNothing", (unsigned long)&DoNothing,
               (unsigned long)GetProcAddress(hLibrary, "DoNothing"));
    DoNothing();
    ++g_nPassed;  // it returned, with the stack as it was
}

static int RunTest(void)
{
    if (!RegisterClasses(ReceiverProc)) {
        Print("FAIL: window classes\r\n");
        return 1;
    }
    HWND hwndReceiver = CreateWindowExA(0, RECEIVER_CLASS, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                        g_hInstance, NULL);
    if (hwndReceiver == NULL) {
        Print("FAIL: the receiver window\r\n");
        return 1;
    }
    TestBindings();
    TestHookAndSharedState(hwndReceiver);
    TestZoomOnListView(hwndReceiver);
    DestroyWindow(hwndReceiver);
    Print("msvc_client: %d checks passed, %d failed\r\n", g_nPassed, g_nFailed);
    return g_nFailed == 0 ? 0 : 1;
}

// The second process.
static HWND g_hwndReceiver;
static HWND g_hwndChildWindows[KIND_COUNT];

static HWND MakeChildWindow(int nKind, LPCSTR pszClass, DWORD dwStyle, HWND hwndParent)
{
    HWND hwnd = CreateWindowExA(0, pszClass, "", dwStyle, 0, 0, 80, 24, hwndParent, NULL,
                                g_hInstance, NULL);
    g_hwndChildWindows[nKind] = hwnd;
    SendMessageA(g_hwndReceiver, MSG_CHILD_MADE, (WPARAM)nKind, (LPARAM)hwnd);
    return hwnd;
}

// The window set stays until the next request, so no handle is used twice meanwhile.
static LRESULT MakeWindowSet(void)
{
    if (g_hwndChildWindows[KIND_FRAME] != NULL)
        DestroyWindow(g_hwndChildWindows[KIND_FRAME]);
    HWND hwndFrame = MakeChildWindow(KIND_FRAME, FRAME_CLASS, WS_OVERLAPPEDWINDOW, NULL);
    HWND hwndDefault = MakeChildWindow(KIND_DEFBUTTON, "Button",
                                       WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, hwndFrame);
    HWND hwndPush = MakeChildWindow(KIND_PUSHBUTTON, "Button",
                                    WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, hwndFrame);
    return hwndFrame != NULL && hwndDefault != NULL && hwndPush != NULL ? 1 : 0;
}

static LRESULT CALLBACK ChildControlProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case MSG_MAKE_WINDOWS:
        return MakeWindowSet();
    case MSG_QUIT:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

static bool ParseHex(const char* psz, unsigned long* pnValue)
{
    unsigned long nValue = 0;
    int nDigits = 0;
    for (; *psz != '\0' && *psz != ' '; ++psz, ++nDigits) {
        char c = *psz;
        int nDigit = c >= '0' && c <= '9'   ? c - '0'
                     : c >= 'a' && c <= 'f' ? c - 'a' + 10
                     : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                            : -1;
        if (nDigit < 0 || nDigits >= 8)
            return false;
        nValue = nValue * 16 + (unsigned long)nDigit;
    }
    *pnValue = nValue;
    return nDigits > 0;
}

// The argument after " child ", or null when the program runs as the test.
static const char* ChildArgument(const char* pszCommandLine)
{
    static const char KEY[] = " child ";
    for (const char* p = pszCommandLine; *p != '\0'; ++p) {
        int i = 0;
        while (KEY[i] != '\0' && p[i] == KEY[i])
            ++i;
        if (KEY[i] == '\0')
            return p + i;
    }
    return NULL;
}

static int RunChild(const char* pszReceiver)
{
    unsigned long nReceiver;
    if (!ParseHex(pszReceiver, &nReceiver))
        return 2;
    g_hwndReceiver = (HWND)nReceiver;
    if (!RegisterClasses(ChildControlProc))
        return 3;
    // Read through this process's own imports of the shared section.
    SendMessageA(g_hwndReceiver, MSG_CHILD_SAW, (WPARAM)ghWndScroller, (LPARAM)g_uMsgMouseWheel);
    HWND hwndControl = CreateWindowExA(0, RECEIVER_CLASS, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                       g_hInstance, NULL);
    if (hwndControl == NULL)
        return 4;
    SendMessageA(g_hwndReceiver, MSG_CHILD_HELLO, 0, (LPARAM)hwndControl);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (g_hwndChildWindows[KIND_FRAME] != NULL)
        DestroyWindow(g_hwndChildWindows[KIND_FRAME]);
    DestroyWindow(hwndControl);
    return 0;
}

extern "C" void __cdecl ClientEntry(void)
{
    g_hInstance = (HINSTANCE)GetModuleHandleA(NULL);
    const char* pszChild = ChildArgument(GetCommandLineA());
    ExitProcess((UINT)(pszChild != NULL ? RunChild(pszChild) : RunTest()));
}
