// PELTOAPI.DLL under Wine, across real processes: the library as loaded and its
// shared section, the auto-jump hook announcing the windows that another process creates
// (posted, with every event passed on to a second hook, CBTWITNESS.DLL, below it),
// the rules of a start-up load against loads by the hook and at run time, and the
// zoom action on another process's views. The child runs under this program's
// Windows setting. This program links the library's import library and so binds by
// the decorated names. Started again as "probe" it is the program that loads the
// library at start.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

#include "cbt_witness.h"
#include "child_protocol.h"
#include "failure_printer.h"
#include "gui_driver.h"
#include "peltoapi.h"
#include "win32_test_support.h"

static const DWORD DEADLINE_MS = 30000;  // for anything another process must do
static const char PROBE_READY_EVENT[] = "PeltoapiTestProbeReady";
static const char PROBE_QUIT_EVENT[] = "PeltoapiTestProbeQuit";
static const char TEST_WINDOW_CLASS[] = "PeltoapiTestWindow";
static const DWORD EXIT_DLL_INIT_FAILED = 0xC0000142;  // STATUS_DLL_INIT_FAILED

// ---- The library's image as loaded in this process ----

static const IMAGE_NT_HEADERS32* NtHeaders(HMODULE hModule)
{
    const BYTE* pBase = (const BYTE*)hModule;
    return (const IMAGE_NT_HEADERS32*)(pBase + ((const IMAGE_DOS_HEADER*)pBase)->e_lfanew);
}

static HMODULE Library(void)
{
    return GetModuleHandleA("PELTOAPI.DLL");
}

// The header of the section ._SCLDAT (scripts/check-pe checks its flags), or null.
static const IMAGE_SECTION_HEADER* SharedSection(HMODULE hModule)
{
    const IMAGE_NT_HEADERS32* pNt = NtHeaders(hModule);
    const IMAGE_SECTION_HEADER* pSection = IMAGE_FIRST_SECTION(pNt);
    for (int i = 0; i < pNt->FileHeader.NumberOfSections; ++i, ++pSection)
        if (memcmp(pSection->Name, "._SCLDAT", 8) == 0)
            return pSection;
    return NULL;
}

// The shared fields, read as 32-bit words at their place in the section.
enum SharedWord {
    SW_HOOK = 0,
    SW_INSTANCE = 1,
    SW_HITTEST_X = 2,  // g_tvHitTest: pt.x, pt.y, flags, hItem
    SW_SCROLLER = 6,
    SW_MODE = 7,
    SW_MOUSEWHEEL = 8,
    SW_COUNT = 9
};

static volatile DWORD* SharedWords(void)
{
    HMODULE hModule = Library();
    const IMAGE_SECTION_HEADER* pSection = SharedSection(hModule);
    if (pSection == NULL)
        return NULL;  // the section test says why
    return (volatile DWORD*)((BYTE*)hModule + pSection->VirtualAddress);
}

static DWORD Shared(SharedWord nWord)
{
    volatile DWORD* pWords = SharedWords();
    return pWords != NULL ? pWords[nWord] : 0xDEADBEEF;
}

// For states that the exports reach only through another process's end.
static void SetShared(SharedWord nWord, DWORD dwValue)
{
    volatile DWORD* pWords = SharedWords();
    if (pWords != NULL)
        pWords[nWord] = dwValue;
}

// ---- Processes ----

static std::string OwnPath(void)
{
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    return std::string(szPath, cch);
}

static std::string ProgramDirectory(void)
{
    std::string path = OwnPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

static bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION* pInfo)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    return CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, pInfo) != 0;
}

// The exit code, or STILL_ACTIVE when the process overran and was ended.
static DWORD WaitForExit(const PROCESS_INFORMATION& info)
{
    DWORD dwExit = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, DEADLINE_MS) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &dwExit);
    else
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return dwExit;
}

static std::string Hex(ULONG_PTR value)
{
    char sz[20];
    snprintf(sz, sizeof(sz), "%lx", (unsigned long)value);
    return sz;
}

// ---- The test's own window: receiver of WM_AUTOJUMP, target of the list view's
// command and the child's partner ----

struct Announcement {
    WPARAM nCode;
    HWND hwnd;
    bool bSent;  // arrived as a message sent from another thread, not posted
};

// What the witness hook saw: the hook code and the hook's wParam.
struct WitnessEvent {
    WPARAM nCode;
    HWND hwnd;
};

static HWND g_hwndTest;
static HWND g_hwndChild;  // the child's control window
static PROCESS_INFORMATION g_childInfo;
static HWND g_hwndMade[KIND_COUNT];
static std::vector<Announcement> g_announcements;
static std::vector<WitnessEvent> g_witnessed;
static std::vector<std::string> g_commands;

static LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_AUTOJUMP:
        g_announcements.push_back({wParam, (HWND)lParam, InSendMessage() != FALSE});
        return 0;
    case WM_WITNESS:
        g_witnessed.push_back({wParam, (HWND)lParam});
        return 0;
    case WM_COMMAND:
        g_commands.push_back(Hex(wParam) + " " + Hex((ULONG_PTR)lParam));
        return 0;
    case CHILD_HELLO:
        g_hwndChild = (HWND)lParam;
        return 0;
    case CHILD_MADE:
        if (wParam < KIND_COUNT)
            g_hwndMade[wParam] = (HWND)lParam;
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

static void DispatchPending(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

static HWND TestWindow(void)
{
    if (g_hwndTest == NULL) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = TEST_WINDOW_CLASS;
        RegisterClassA(&wc);
        g_hwndTest = CreateWindowExA(0, TEST_WINDOW_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                     wc.hInstance, NULL);
    }
    return g_hwndTest;
}

static LRESULT SendToChild(UINT uMsg, WPARAM wParam)
{
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutA(g_hwndChild, uMsg, wParam, 0, SMTO_NORMAL, DEADLINE_MS, &dwResult))
        return -1;
    return (LRESULT)dwResult;
}

static DWORD OwnPlatform(void)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    GetVersionExA(&info);
    return info.dwPlatformId;
}

// The child runs under the Windows setting of this program. Settings go by program
// name, so under one it runs as a copy named for it, as this program does.
static std::string ChildProgram(void)
{
    std::string program = ProgramDirectory() + "window_maker.exe";
    const char* pszWinver = getenv("WINE_WINVER");
    if (pszWinver == NULL || *pszWinver == '\0')
        return program;
    std::string name = std::string("window_maker-") + pszWinver + ".exe";
    std::string copy = ProgramDirectory() + name;
    HKEY hKey;
    std::string key = "Software\\Wine\\AppDefaults\\" + name;
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE) ||
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey,
                        NULL) != ERROR_SUCCESS)
        return program;  // the platform check in ChildRunning says so
    RegSetValueExA(hKey, "Version", 0, REG_SZ, (const BYTE*)pszWinver, (DWORD)strlen(pszWinver) + 1);
    RegCloseKey(hKey);
    return copy;
}

// Starts window_maker once; it lives until the end of the program or EndChild.
static bool ChildRunning(void)
{
    if (g_hwndChild != NULL)
        return true;
    if (g_childInfo.hProcess != NULL)
        return false;  // it was started and failed
    std::string commandLine = "\"" + ChildProgram() + "\" " + Hex((ULONG_PTR)TestWindow()) + " " +
                              Hex(GetCurrentProcessId());
    if (!StartProcess(commandLine, &g_childInfo))
        return false;
    // Its hello, unless it ends first.
    WaitUntil(
        [] {
            DispatchPending();
            return g_hwndChild != NULL || WaitForSingleObject(g_childInfo.hProcess, 0) == WAIT_OBJECT_0;
        },
        DEADLINE_MS);
    if (g_hwndChild == NULL)
        return false;
    LRESULT nPlatform = SendToChild(CHILD_QUERY, CHILD_QUERY_PLATFORM);
    if (nPlatform != (LRESULT)OwnPlatform()) {
        ADD_FAILURE() << "the child runs on platform " << nPlatform << ", this program on "
                      << OwnPlatform();
        return false;
    }
    return true;
}

static DWORD EndChild(void)
{
    if (g_childInfo.hProcess == NULL)
        return 0;
    if (g_hwndChild != NULL)
        PostMessageA(g_hwndChild, CHILD_QUIT, 0, 0);
    DWORD dwExit = WaitForExit(g_childInfo);
    g_hwndChild = NULL;
    memset(&g_childInfo, 0, sizeof(g_childInfo));
    return dwExit;
}

// ---- Auto-jump rounds ----

// The codes posted for each window of the set, in order: "" none, "2" one post of 2.
typedef std::vector<std::string> RoundCodes;

static const RoundCodes NONE(KIND_COUNT);
static const RoundCodes MODE1 = {"", "1", "", "", "", "", "1", ""};
static const RoundCodes MODE2 = {"2", "", "", "", "", "", "2", "2"};
static const RoundCodes MODE3 = {"4", "", "", "", "", "", "4", "4"};

// Has the child make its window set and collects what reached the receiver for
// those windows (others of the prefix's processes are announced too and ignored).
// Every announcement must have been posted: one sent would have arrived while this
// thread waited for the child's reply, with InSendMessage() true.
static void ExpectRound(const RoundCodes& expected, const char* pszWhat)
{
    SCOPED_TRACE(pszWhat);
    memset(g_hwndMade, 0, sizeof(g_hwndMade));
    g_announcements.clear();
    g_witnessed.clear();
    LRESULT nThreadPosts = SendToChild(CHILD_MAKE_WINDOWS, 0);
    DispatchPending();  // the posts came before the reply, so they are all queued
    EXPECT_EQ(0, nThreadPosts) << "posts to the child's own thread queue";
    size_t nSent = 0;
    for (const Announcement& a : g_announcements)
        nSent += a.bSent ? 1 : 0;
    EXPECT_EQ(0u, nSent) << "announcements sent instead of posted, of " << g_announcements.size();
    RoundCodes got(KIND_COUNT);
    for (int nKind = 0; nKind < KIND_COUNT; ++nKind) {
        EXPECT_NE((HWND)NULL, g_hwndMade[nKind]) << "window kind " << nKind << " not made";
        for (const Announcement& a : g_announcements)
            if (g_hwndMade[nKind] != NULL && a.hwnd == g_hwndMade[nKind])
                got[nKind] += std::to_string(a.nCode);
    }
    EXPECT_EQ(expected, got);
}

// A hidden popup with a system menu, made and destroyed in this process.
static std::string OwnWindowCodes(void)
{
    g_announcements.clear();
    HWND hwnd = CreateWindowExA(0, "Static", "", WS_POPUP | WS_SYSMENU, 0, 0, 10, 10, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    DestroyWindow(hwnd);
    DispatchPending();
    std::string codes;
    for (const Announcement& a : g_announcements)
        if (a.hwnd == hwnd)
            codes += std::to_string(a.nCode);
    return codes;
}

// Hook off, this process's window the receiver, and no stray hook about: this Wine
// does not remove a global hook when the process that set it ends, so a run that
// died with the hook on leaves it calling the procedure once more per event.
static void ResetHook(void)
{
    ghWndScroller = TestWindow();
    SetAutoJump(2);
    EXPECT_EQ("2", OwnWindowCodes()) << "a hook of this library file from an earlier run is "
                                        "still installed: restart the Wine bench";
    SetAutoJump(0);
    DispatchPending();
}

// ---- The library as loaded ----

// The image's base, sections, flags, exports and imports are scripts/check-pe's;
// here what only a load shows, and the file's flag that check leaves out.
TEST(Library, LoadsAtItsOwnBaseAndHoldsTheSharedFieldsInOrderFromZero)
{
    HMODULE hModule = Library();
    ASSERT_NE((HMODULE)NULL, hModule);
    const IMAGE_NT_HEADERS32* pNt = NtHeaders(hModule);
    EXPECT_EQ((DWORD)(ULONG_PTR)hModule, pNt->OptionalHeader.ImageBase);
    EXPECT_EQ(IMAGE_FILE_RELOCS_STRIPPED, pNt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    DoNothing();  // bound by its plain name

    const IMAGE_SECTION_HEADER* pSection = SharedSection(hModule);
    ASSERT_NE((const IMAGE_SECTION_HEADER*)NULL, pSection);
    EXPECT_GE(pSection->Misc.VirtualSize, SW_COUNT * 4u);

    const BYTE* pSectionBase = (const BYTE*)hModule + pSection->VirtualAddress;
    EXPECT_EQ(pSectionBase + SW_SCROLLER * 4, (const BYTE*)&ghWndScroller);
    EXPECT_EQ(pSectionBase + SW_MOUSEWHEEL * 4, (const BYTE*)&g_uMsgMouseWheel);
    EXPECT_EQ((DWORD)(ULONG_PTR)hModule, Shared(SW_INSTANCE));
    ResetHook();
    EXPECT_EQ(0u, Shared(SW_HOOK));
    EXPECT_EQ(1, SetAutoJump(7));
    EXPECT_NE(0u, Shared(SW_HOOK));
    EXPECT_EQ(7u, Shared(SW_MODE));
    SetAutoJump(0);

    // Zero at the first load: the section's bytes in the file.
    char szPath[MAX_PATH];
    GetModuleFileNameA(hModule, szPath, MAX_PATH);
    std::string file = ReadBytes(szPath);
    ASSERT_GE(file.size(), (size_t)pSection->PointerToRawData + SW_COUNT * 4);
    for (DWORD i = 0; i < pSection->SizeOfRawData && pSection->PointerToRawData + i < file.size(); ++i)
        ASSERT_EQ(0, file[pSection->PointerToRawData + i]) << "byte " << i << " of the section";
}

// ---- The auto-jump hook, announcing the windows of another process ----

TEST(AutoJump, OffModesRemoveTheHookAndOtherModesOnlyPassEventsOn)
{
    ResetHook();
    ASSERT_TRUE(ChildRunning());
    const int offModes[] = {-1, 0};
    for (int nOff : offModes) {
        SetAutoJump(2);
        EXPECT_EQ(1, SetAutoJump(nOff));
        EXPECT_EQ(0u, Shared(SW_HOOK));
        EXPECT_EQ(0u, Shared(SW_MODE));
        ExpectRound(NONE, nOff < 0 ? "mode -1" : "mode 0");
    }
    // With no hook on, but a mode left behind (as the owner's end leaves it).
    for (int nOff : offModes) {
        SCOPED_TRACE("mode " + std::to_string(nOff) + " with no hook");
        SetShared(SW_MODE, 5);
        ASSERT_EQ(0u, Shared(SW_HOOK));
        EXPECT_EQ(1, SetAutoJump(nOff));
        EXPECT_EQ(0u, Shared(SW_HOOK));
        EXPECT_EQ(0u, Shared(SW_MODE));
        EXPECT_EQ("", OwnWindowCodes());
    }

    EXPECT_EQ(1, SetAutoJump(7));
    DWORD dwHook = Shared(SW_HOOK);
    EXPECT_NE(0u, dwHook);
    ExpectRound(NONE, "mode 7");
    SetAutoJump(2);
    EXPECT_EQ(dwHook, Shared(SW_HOOK));
    ExpectRound(MODE2, "mode 2 on the hook of mode 7");
    SetAutoJump(0);
}

// What the witness saw of the child's last round: "code:kind" for each event whose
// wParam is a window of the set.
static std::vector<std::string> WitnessedRound(void)
{
    std::vector<std::string> events;
    for (const WitnessEvent& e : g_witnessed)
        for (int nKind = 0; nKind < KIND_COUNT; ++nKind)
            if (e.hwnd != NULL && e.hwnd == g_hwndMade[nKind])
                events.push_back(std::to_string(e.nCode) + ":" + std::to_string(nKind));
    return events;
}

// Each mode announces its windows on the one hook the first installed (one post per
// window), and the library the hook brought into the child shares the variables.
// A hook installed before PELTOAPI's is called after it, only through its
// CallNextHookEx: it sees every event only if each is passed on, and its veto of a
// creation holds only if PELTOAPI's hook returns what CallNextHookEx returned.
TEST(AutoJump, AnnouncesByModeOnOneHookAndPassesEveryEventOn)
{
    ResetHook();
    ASSERT_TRUE(ChildRunning());
    ASSERT_EQ(1, WitnessOn(TestWindow(), g_childInfo.dwProcessId));
    ExpectRound(NONE, "the witness alone");
    const std::vector<std::string> baseline = WitnessedRound();
    for (int nKind = 0; nKind < KIND_COUNT; ++nKind)
        EXPECT_NE(baseline.end(), std::find(baseline.begin(), baseline.end(),
                                            std::to_string(HCBT_CREATEWND) + ":" + std::to_string(nKind)))
            << "the witness saw no creation of window kind " << nKind;
    EXPECT_EQ(1, SendToChild(CHILD_MAKE_VETOED, 0)) << "the witness alone vetoes";

    struct {
        int nMode;
        bool bReceiver;
        const RoundCodes* pCodes;
        const char* pszWhat;
    } const cases[] = {
        {1, true, &MODE1, "mode 1"},
        {2, true, &MODE2, "mode 2 after mode 1"},
        {3, true, &MODE3, "mode 3"},
        {7, true, &NONE, "mode 7"},
        // A post to the null receiver would land in the child's thread queue.
        {1, false, &NONE, "mode 1 without a receiver"},
        {2, false, &NONE, "mode 2 without a receiver"},
        {3, false, &NONE, "mode 3 without a receiver"},
    };
    g_uMsgMouseWheel = 0xC0DE;
    DWORD dwHook = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ghWndScroller = c.bReceiver ? TestWindow() : NULL;
        EXPECT_EQ(1, SetAutoJump(c.nMode));
        if (dwHook == 0)
            dwHook = Shared(SW_HOOK);
        EXPECT_NE(0u, dwHook);
        EXPECT_EQ(dwHook, Shared(SW_HOOK)) << "a second hook";
        ExpectRound(*c.pCodes, c.pszWhat);
        EXPECT_EQ((LRESULT)Library(), SendToChild(CHILD_QUERY, CHILD_QUERY_LIBRARY));
        EXPECT_EQ((LRESULT)ghWndScroller, SendToChild(CHILD_QUERY, CHILD_QUERY_SCROLLER));
        EXPECT_EQ(0xC0DE, SendToChild(CHILD_QUERY, CHILD_QUERY_MOUSEWHEEL));
        EXPECT_EQ(baseline, WitnessedRound()) << "the events that reached the witness";
        EXPECT_EQ(1, SendToChild(CHILD_MAKE_VETOED, 0)) << "the child made the vetoed window";
        HWND hwnd = CreateWindowExA(0, "Button", WITNESS_VETO_NAME,
                                    WS_POPUP | WS_VISIBLE | WS_SYSMENU | BS_DEFPUSHBUTTON, 0, 0, 80, 24,
                                    NULL, NULL, GetModuleHandleA(NULL), NULL);
        EXPECT_EQ((HWND)NULL, hwnd) << "this process made the vetoed window";
        if (hwnd != NULL)
            DestroyWindow(hwnd);
    }
    WitnessOff();
    ResetHook();
}

// ---- Loading the library at a program's start ----

TEST(StartupLoad, WhileAHookIsOnLoadsOnNtOnlyAndTakesNoOwnership)
{
    ResetHook();
    SetAutoJump(2);
    DWORD dwHook = Shared(SW_HOOK);
    ASSERT_NE(0u, dwHook);
    PROCESS_INFORMATION info;
    ASSERT_TRUE(StartProcess("\"" + OwnPath() + "\" probe " + Hex((ULONG_PTR)TestWindow()), &info));
    DWORD dwExit = WaitForExit(info);
    if (OwnPlatform() == VER_PLATFORM_WIN32_NT)
        EXPECT_EQ(0u, dwExit) << "the probe's own checks (see RunProbe)";
    else
        EXPECT_EQ(EXIT_DLL_INIT_FAILED, dwExit) << "the load must fail";
    // The probe held no owner mark: its end left the hook alone.
    EXPECT_EQ(dwHook, Shared(SW_HOOK));
    EXPECT_EQ("2", OwnWindowCodes());
    SetAutoJump(0);
}

TEST(StartupLoad, OwnerEndRemovesTheHookWhoeverInstalledItAndKeepsTheMode)
{
    ResetHook();
    HANDLE hReady = CreateEventA(NULL, TRUE, FALSE, PROBE_READY_EVENT);
    HANDLE hQuit = CreateEventA(NULL, TRUE, FALSE, PROBE_QUIT_EVENT);
    ASSERT_TRUE(hReady != NULL && hQuit != NULL);
    PROCESS_INFORMATION info;
    ASSERT_TRUE(StartProcess("\"" + OwnPath() + "\" probe-wait", &info));
    HANDLE waits[2] = {hReady, info.hProcess};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, DEADLINE_MS)) << "probe ready";

    SetAutoJump(3);  // installed by this process, after the owner's start
    EXPECT_NE(0u, Shared(SW_HOOK));
    EXPECT_EQ("4", OwnWindowCodes());

    SetEvent(hQuit);
    EXPECT_EQ(0u, WaitForExit(info));
    EXPECT_EQ(0u, Shared(SW_HOOK));
    EXPECT_EQ(3u, Shared(SW_MODE));
    EXPECT_EQ("", OwnWindowCodes()) << "the hook must be off in the system";

    SetAutoJump(2);  // installs again, once
    EXPECT_NE(0u, Shared(SW_HOOK));
    EXPECT_EQ("2", OwnWindowCodes());
    SetAutoJump(0);
    CloseHandle(hReady);
    CloseHandle(hQuit);
}

// ---- The zoom action on the views of another process ----

static ZoomShared* g_pZoom;

static bool ViewsReady(void)
{
    if (g_pZoom != NULL)
        return true;
    if (!ChildRunning())
        return false;
    HANDLE hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                         sizeof(ZoomShared), ZOOM_SHARED_NAME);
    ZoomShared* pZoom = (ZoomShared*)MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (pZoom == NULL || SendToChild(CHILD_MAKE_VIEWS, 0) != 1)
        return false;
    g_pZoom = pZoom;
    return true;
}

static const char* const ZOOMVIEW_NAMES[ZOOMVIEW_COUNT] = {"tree", "list", "button", "listbox", "lookalike"};

static std::string ItemName(LPARAM lItem)
{
    if (lItem == 0)
        return "none";
    return lItem == (LPARAM)g_pZoom->hItemFirst ? "first" : "other";
}

// What the views got, one line per message.
static std::vector<std::string> ViewLog(void)
{
    std::vector<std::string> lines;
    for (LONG i = 0; i < g_pZoom->nRecords && i < ZOOM_MAX_RECORDS; ++i) {
        const ZoomRecord& r = g_pZoom->records[i];
        std::string line = ZOOMVIEW_NAMES[r.nView];
        if (r.uMsg == TVM_HITTEST)
            line += " hittest (" + std::to_string(r.ptHitTest.x) + "," + std::to_string(r.ptHitTest.y) +
                    ") -> " + ItemName(r.lResult);
        else if (r.uMsg == TVM_EXPAND)
            line += " expand " + std::to_string(r.wParam) + " " + ItemName(r.lParam);
        else
            line += " message " + Hex(r.uMsg) + " " + Hex(r.wParam) + " " + Hex((ULONG_PTR)r.lParam);
        lines.push_back(line);
    }
    return lines;
}

// The screen point at (dx, dy) from the corner of the view's window rectangle.
static POINT ViewPoint(int nView, LONG dx, LONG dy)
{
    RECT rc = {};
    GetWindowRect(g_pZoom->hwndView[nView], &rc);
    POINT pt = {rc.left + dx, rc.top + dy};
    return pt;
}

typedef std::vector<std::string> Lines;

// One zoom action, which returns 1: the messages the views got and the commands that
// reached the test window must be those expected.
static void ExpectZoom(POINT pt, int nAction, HWND hwndCommand, const Lines& viewLog,
                       const Lines& commands)
{
    SCOPED_TRACE("action " + std::to_string(nAction) + (hwndCommand ? "" : " without a window"));
    g_pZoom->nRecords = 0;
    g_commands.clear();
    EXPECT_EQ(1, DataZoomExplorer(pt, nAction, hwndCommand));
    DispatchPending();
    EXPECT_EQ(viewLog, ViewLog());
    EXPECT_EQ(commands, g_commands);
}

static bool FirstItemExpanded(void)
{
    return (SendMessageA(g_pZoom->hwndView[ZOOMVIEW_TREE], TVM_GETITEMSTATE,
                         (WPARAM)g_pZoom->hItemFirst, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

TEST(Zoom, TreeViewExpandsAndCollapsesTheItemUnderThePoint)
{
    ASSERT_TRUE(ViewsReady());
    ASSERT_FALSE(FirstItemExpanded());
    // The point is taken from the window's corner, border included, and handed to the
    // tree view as it is.
    const POINT ptItem = g_pZoom->ptItemFirst;
    const std::string hitTest =
        "tree hittest (" + std::to_string(ptItem.x) + "," + std::to_string(ptItem.y) + ") -> first";
    struct {
        int nAction;
        const char* pszExpand;
        bool bExpanded;
    } const cases[] = {
        {0, "tree expand 2 first", true},
        {1, "tree expand 1 first", false},
        {2, "tree expand 2 first", true},
        {3, "tree expand 3 first", false},  // TVE_TOGGLE
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("action " + std::to_string(c.nAction));
        ExpectZoom(ViewPoint(ZOOMVIEW_TREE, ptItem.x, ptItem.y), c.nAction, TestWindow(),
                   {hitTest, c.pszExpand}, {});
        EXPECT_EQ(c.bExpanded, FirstItemExpanded());
    }
    EXPECT_EQ((DWORD)ptItem.x, Shared((SharedWord)(SW_HITTEST_X + 0)));
    EXPECT_EQ((DWORD)ptItem.y, Shared((SharedWord)(SW_HITTEST_X + 1)));
}

TEST(Zoom, TreeViewPointWithoutAnItemExpandsNothing)
{
    ASSERT_TRUE(ViewsReady());
    const POINT pt = g_pZoom->ptTreeEmpty;
    ExpectZoom(ViewPoint(ZOOMVIEW_TREE, pt.x, pt.y), 0, TestWindow(),
               {"tree hittest (" + std::to_string(pt.x) + "," + std::to_string(pt.y) + ") -> none",
                "tree expand 2 none"},
               {});
    EXPECT_FALSE(FirstItemExpanded());
}

TEST(Zoom, ListViewDoubleClickOrCommandToTheNamedWindow)
{
    ASSERT_TRUE(ViewsReady());
    const POINT pt = ViewPoint(ZOOMVIEW_LIST, 10, 5);
    ExpectZoom(pt, 1, TestWindow(), {"list message 203 1 5000a"}, {});
    ExpectZoom(pt, 0, TestWindow(), {}, {"1a022 0"});
    ExpectZoom(pt, 0, NULL, {}, {});
    const int otherActions[] = {2, 3, -1};
    for (int nAction : otherActions)
        ExpectZoom(pt, nAction, TestWindow(), {}, {});
}

TEST(Zoom, OtherWindowsAndNoWindowGetNothing)
{
    ASSERT_TRUE(ViewsReady());
    const int views[] = {ZOOMVIEW_BUTTON, ZOOMVIEW_LISTBOX, ZOOMVIEW_LOOKALIKE};
    for (int nView : views) {
        for (int nAction = 0; nAction <= 1; ++nAction) {
            SCOPED_TRACE(std::string(ZOOMVIEW_NAMES[nView]) + " action " + std::to_string(nAction));
            ExpectZoom(ViewPoint(nView, 10, 5), nAction, TestWindow(), {}, {});
        }
    }
    POINT ptNowhere = {-20000, -20000};
    ExpectZoom(ptNowhere, 0, TestWindow(), {}, {});
}

// ---- Loads by the hook and at run time while the hook is on: refused on no
// platform, unlike a start-up load (last: they end the child) ----

TEST(HookDrivenLoad, SucceedsWhileTheHookIsOnAndAnnounces)
{
    EXPECT_EQ(0u, EndChild()) << "the child of every round before";
    ResetHook();
    SetAutoJump(2);
    ASSERT_NE(0u, Shared(SW_HOOK));
    ASSERT_TRUE(ChildRunning());  // the creation of its first window brings the library in
    EXPECT_EQ((LRESULT)Library(), SendToChild(CHILD_QUERY, CHILD_QUERY_LIBRARY));
    ExpectRound(MODE2, "a child started with the hook on");
    SetAutoJump(0);
}

TEST(RunTimeLoad, SucceedsWhileTheHookIsOnAnnouncesAndTakesNoOwnership)
{
    EXPECT_EQ(0u, EndChild());  // for a child that has never had the library
    ResetHook();
    ASSERT_TRUE(ChildRunning());
    SetAutoJump(2);
    DWORD dwHook = Shared(SW_HOOK);
    EXPECT_NE(0u, dwHook);
    ASSERT_EQ(0, SendToChild(CHILD_QUERY, CHILD_QUERY_LIBRARY)) << "no window made since the hook went on";
    EXPECT_EQ((LRESULT)Library(), SendToChild(CHILD_LOAD_LIBRARY, 0)) << "loaded at its base";
    ExpectRound(MODE2, "after the load at run time");
    EXPECT_EQ(0u, EndChild());
    EXPECT_EQ(dwHook, Shared(SW_HOOK));
    EXPECT_EQ("2", OwnWindowCodes());
    SetAutoJump(0);
}

// ---- The probe: this program started again, loading the library at its start ----

static int RunProbe(int argc, char** argv)
{
    HMODULE hModule = Library();
    if (hModule == NULL)
        return 10;
    if ((DWORD)(ULONG_PTR)hModule != NtHeaders(hModule)->OptionalHeader.ImageBase)
        return 11;
    if (strcmp(argv[1], "probe") == 0) {
        // The receiver that the test set in its own process.
        HWND hwndExpected = argc > 2 ? (HWND)(ULONG_PTR)strtoul(argv[2], NULL, 16) : NULL;
        return ghWndScroller == hwndExpected ? 0 : 12;
    }
    HANDLE hReady = OpenEventA(EVENT_MODIFY_STATE, FALSE, PROBE_READY_EVENT);
    HANDLE hQuit = OpenEventA(SYNCHRONIZE, FALSE, PROBE_QUIT_EVENT);
    if (hReady == NULL || hQuit == NULL)
        return 13;
    SetEvent(hReady);
    return WaitForSingleObject(hQuit, 2 * DEADLINE_MS) == WAIT_OBJECT_0 ? 0 : 14;
}

int main(int argc, char** argv)
{
    if (argc > 1 && strncmp(argv[1], "probe", 5) == 0)
        return RunProbe(argc, argv);
    int nResult = RunTestProgram(&argc, argv);
    SetAutoJump(0);
    WitnessOff();
    DWORD dwChildExit = EndChild();
    if (dwChildExit != 0)
        fprintf(stderr, "window_maker ended with %lu\n", (unsigned long)dwChildExit);
    return nResult != 0 || dwChildExit != 0;
}
