// A program of the package as Microsoft's toolchain builds it: compiled by clang-cl
// in Microsoft mode from peltoapi.h alone, linked by lld-link against PELTOAPI.LIB,
// no C run-time, its own entry point. It proves the binding under Wine: each import
// is the library's own export of that decorated name, each function called through
// it returns as declared, and each shared variable written through its import is
// what the library holds. What the hook and the zoom action do across processes is
// tests/hooklib/hook_test.cpp's.
#include <windows.h>
#include <stdarg.h>

#include "peltoapi.h"

static const char RECEIVER_CLASS[] = "MsvcClientReceiver";

static int g_nPassed;
static int g_nFailed;
static HWND g_hwndWatched;  // the window whose announcements are counted
static int g_nAnnounced;
static WPARAM g_wCode;

// No C run-time: the compiler may still emit calls for struct clears.
extern "C" void* __cdecl memset(void* pDest, int nValue, unsigned int cb)
{
    volatile unsigned char* p = (volatile unsigned char*)pDest;
    while (cb-- > 0)
        *p++ = (unsigned char)nValue;
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

static void CheckEqual(const char* pszWhat, unsigned long nGot, unsigned long nExpected)
{
    if (nGot == nExpected) {
        ++g_nPassed;
        return;
    }
    ++g_nFailed;
    Print("FAIL: %s: got 0x%lx, expected 0x%lx\r\n", pszWhat, nGot, nExpected);
}

static LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The hook announces the windows of every process of the prefix: only the one
    // named counts.
    if (uMsg == WM_AUTOJUMP && (HWND)lParam == g_hwndWatched) {
        ++g_nAnnounced;
        g_wCode = wParam;
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

// The imports are bound to the library's own exports, by their decorated names.
static void TestBindings(HMODULE hLibrary)
{
    CheckEqual("&ghWndScroller", (unsigned long)&ghWndScroller,
               (unsigned long)GetProcAddress(hLibrary, "?ghWndScroller@@3PAUHWND__@@A"));
    CheckEqual("&g_uMsgMouseWheel", (unsigned long)&g_uMsgMouseWheel,
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
}

// Each shared variable written and read back through its import; the library reads
// ghWndScroller as its receiver below.
static void TestSharedVariables(HMODULE hLibrary, HWND hwndReceiver)
{
    const volatile UINT* pWheel = (const volatile UINT*)GetProcAddress(hLibrary, "?g_uMsgMouseWheel@@3IA");
    const volatile HWND* pScroller =
        (const volatile HWND*)GetProcAddress(hLibrary, "?ghWndScroller@@3PAUHWND__@@A");
    if (pWheel == NULL || pScroller == NULL)
        return;  // the binding checks say so
    UINT uWheel = 0xC000 + (UINT)(GetCurrentProcessId() & 0x3FFF);
    g_uMsgMouseWheel = uWheel;
    CheckEqual("g_uMsgMouseWheel in the library", *pWheel, uWheel);
    CheckEqual("g_uMsgMouseWheel read back", g_uMsgMouseWheel, uWheel);
    ghWndScroller = hwndReceiver;
    CheckEqual("ghWndScroller in the library", (unsigned long)*pScroller, (unsigned long)hwndReceiver);
    CheckEqual("ghWndScroller read back", (unsigned long)ghWndScroller, (unsigned long)hwndReceiver);
}

// One call of each function, arguments that show they arrived.
static void TestCalls(HWND hwndReceiver)
{
    CheckEqual("SetAutoJump(2)", (unsigned long)SetAutoJump(2), 1);
    // Called as the hook calls it for a window with a system menu being made: in
    // mode 2 the procedure announces that window to ghWndScroller with code 2.
    CREATESTRUCTA create = {};
    create.style = WS_POPUP | WS_SYSMENU;
    CBT_CREATEWNDA cbt = {&create, NULL};
    g_hwndWatched = hwndReceiver;
    g_nAnnounced = 0;
    CbtHookProcedure(HCBT_CREATEWND, (WPARAM)hwndReceiver, (LPARAM)&cbt);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    CheckEqual("announcements of the window", (unsigned long)g_nAnnounced, 1);
    CheckEqual("the announcement's code", (unsigned long)g_wCode, 2);
    CheckEqual("SetAutoJump(0)", (unsigned long)SetAutoJump(0), 1);
    // A point with no window under it: nothing to act on.
    POINT ptNowhere = {-20000, -20000};
    CheckEqual("DataZoomExplorer", (unsigned long)DataZoomExplorer(ptNowhere, 0, hwndReceiver), 1);
    DoNothing();
    ++g_nPassed;  // it returned, with the stack as it was
}

extern "C" void __cdecl ClientEntry(void)
{
    HINSTANCE hInstance = (HINSTANCE)GetModuleHandleA(NULL);
    HMODULE hLibrary = GetModuleHandleA("PELTOAPI.DLL");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = RECEIVER_CLASS;
    HWND hwndReceiver = RegisterClassA(&wc) ? CreateWindowExA(0, RECEIVER_CLASS, "", WS_POPUP, 0, 0, 10, 10,
                                                              NULL, NULL, hInstance, NULL)
                                            : NULL;
    if (hLibrary == NULL || hwndReceiver == NULL) {
        Print("FAIL: PELTOAPI.DLL loaded with the program and a receiver window\r\n");
        ExitProcess(1);
    }
    TestBindings(hLibrary);
    TestSharedVariables(hLibrary, hwndReceiver);
    TestCalls(hwndReceiver);
    ghWndScroller = NULL;
    DestroyWindow(hwndReceiver);
    Print("msvc_client: %d checks passed, %d failed\r\n", g_nPassed, g_nFailed);
    ExitProcess(g_nFailed == 0 ? 0 : 1);
}
