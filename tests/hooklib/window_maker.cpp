// The window-making child of hook_test: on request it creates a set of windows (for
// the auto-jump hook) or a tree view, list view and other views (for the zoom
// action), whose messages of interest it logs. It does not link PELTOAPI, so the
// library reaches it only through the system-wide hook or the load the views need.
//   window_maker TEST_WINDOW TEST_PROCESS_ID   (both in hexadecimal)
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cbt_witness.h"
#include "child_protocol.h"
#include "peltoapi.h"

static const char CTL_CLASS[] = "WindowMakerControl";
static const char FRAME_CLASS[] = "WindowMakerFrame";
static const char LIBRARY_NAME[] = "PELTOAPI.DLL";

static HINSTANCE g_hInstance;
static HWND g_hwndTest;
static ZoomShared* g_pZoom;
static WNDPROC g_oldViewProc[ZOOMVIEW_COUNT];

static HWND MakeWindow(int nKind, const char* pszClass, DWORD dwStyle, HWND hwndParent)
{
    HWND hwnd = CreateWindowExA(0, pszClass, "", dwStyle, 0, 0, 80, 24, hwndParent, NULL,
                                g_hInstance, NULL);
    SendMessageA(g_hwndTest, CHILD_MADE, (WPARAM)nKind, (LPARAM)hwnd);
    return hwnd;
}

// One window of each kind, then other hook events on them (showing, activation,
// minimising, destruction), which must never be announced.
static LRESULT MakeWindowSet(void)
{
    HWND hwndFrame = MakeWindow(KIND_FRAME, FRAME_CLASS, WS_OVERLAPPEDWINDOW, NULL);
    MakeWindow(KIND_DEFBUTTON, "Button", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, hwndFrame);
    MakeWindow(KIND_PUSHBUTTON, "Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, hwndFrame);
    HWND hwndHidden = MakeWindow(KIND_HIDDEN_DEFBUTTON, "Button", WS_CHILD | BS_DEFPUSHBUTTON,
                                 hwndFrame);
    ShowWindow(hwndHidden, SW_SHOWNOACTIVATE);
    MakeWindow(KIND_CHECKBOX, "Button", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, hwndFrame);
    MakeWindow(KIND_BUTTON2, "Button2", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, hwndFrame);
    HWND hwndPopup = MakeWindow(KIND_SYSMENU_BUTTON, "Button",
                                WS_POPUP | WS_VISIBLE | WS_SYSMENU | BS_DEFPUSHBUTTON, NULL);
    HWND hwndStatic = MakeWindow(KIND_SYSMENU_STATIC, "Static", WS_POPUP | WS_SYSMENU, NULL);
    ShowWindow(hwndFrame, SW_SHOW);
    ShowWindow(hwndFrame, SW_MINIMIZE);
    DestroyWindow(hwndStatic);
    DestroyWindow(hwndPopup);
    DestroyWindow(hwndFrame);

    // A post to a null receiver lands in this thread's own queue.
    LRESULT nThreadPosts = 0;
    MSG msg;
    while (PeekMessageA(&msg, (HWND)-1, WM_AUTOJUMP, WM_AUTOJUMP, PM_REMOVE))
        ++nThreadPosts;
    return nThreadPosts;
}

static int ViewIdOf(HWND hwnd)
{
    for (int i = 0; i < ZOOMVIEW_COUNT; ++i)
        if (g_pZoom != NULL && g_pZoom->hwndView[i] == hwnd)
            return i;
    return -1;
}

static bool IsZoomMessage(UINT uMsg)
{
    return uMsg == TVM_HITTEST || uMsg == TVM_EXPAND || uMsg == WM_COMMAND ||
           uMsg == WM_LBUTTONDBLCLK || uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONUP;
}

// Every view runs through here (the look-alike class directly, the others as a
// subclass) and logs the messages that the zoom action can send.
static LRESULT CALLBACK ViewProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    int nView = ViewIdOf(hwnd);
    WNDPROC oldProc = nView >= 0 ? g_oldViewProc[nView] : NULL;
    if (nView < 0 || !IsZoomMessage(uMsg))
        return oldProc ? CallWindowProcA(oldProc, hwnd, uMsg, wParam, lParam)
                       : DefWindowProcA(hwnd, uMsg, wParam, lParam);
    ZoomRecord record = {nView, uMsg, wParam, lParam, {0, 0}, 0};
    // The record is the library's shared one: readable here only because the
    // library sits at the same address in this process.
    if (uMsg == TVM_HITTEST && lParam != 0)
        record.ptHitTest = ((const TVHITTESTINFO*)lParam)->pt;
    record.lResult = oldProc ? CallWindowProcA(oldProc, hwnd, uMsg, wParam, lParam)
                             : DefWindowProcA(hwnd, uMsg, wParam, lParam);
    LONG n = g_pZoom->nRecords;
    if (n < ZOOM_MAX_RECORDS) {
        g_pZoom->records[n] = record;
        g_pZoom->nRecords = n + 1;
    }
    return record.lResult;
}

static HTREEITEM InsertTreeItem(HWND hwndTree, HTREEITEM hParent, const char* pszText)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = (LPSTR)pszText;
    return (HTREEITEM)SendMessageA(hwndTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

static HWND MakeView(DWORD dwExStyle, const char* pszClass, DWORD dwStyle, int x, int y, int cx,
                     int cy, HWND hwndHost)
{
    return CreateWindowExA(dwExStyle, pszClass, "", WS_CHILD | WS_VISIBLE | dwStyle, x, y, cx, cy,
                           hwndHost, NULL, g_hInstance, NULL);
}

static LRESULT MakeViews(void)
{
    // The tree view reads the hit-test record at the library's address.
    if (LoadLibraryA(LIBRARY_NAME) == NULL)
        return 0;
    HANDLE hMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ZOOM_SHARED_NAME);
    if (hMapping == NULL)
        return 0;
    g_pZoom = (ZoomShared*)MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ZoomShared));
    if (g_pZoom == NULL)
        return 0;

    HWND hwndHost = CreateWindowExA(0, FRAME_CLASS, "", WS_POPUP | WS_VISIBLE, 40, 40, 560, 320,
                                    NULL, NULL, g_hInstance, NULL);
    HWND* hwndView = g_pZoom->hwndView;
    // Client edges, so that a window-relative point and a client point differ.
    hwndView[ZOOMVIEW_TREE] = MakeView(WS_EX_CLIENTEDGE, WC_TREEVIEWA,
                                   TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_NOTOOLTIPS,
                                   0, 0, 200, 300, hwndHost);
    // List mode: no header control over the top rows.
    hwndView[ZOOMVIEW_LIST] = MakeView(WS_EX_CLIENTEDGE, WC_LISTVIEWA, LVS_LIST, 210, 0, 200, 300,
                                   hwndHost);
    hwndView[ZOOMVIEW_BUTTON] = MakeView(0, "Button", BS_PUSHBUTTON, 420, 0, 120, 30, hwndHost);
    hwndView[ZOOMVIEW_LISTBOX] = MakeView(WS_EX_CLIENTEDGE, "ListBox", 0, 420, 40, 120, 100, hwndHost);
    hwndView[ZOOMVIEW_LOOKALIKE] = MakeView(0, "SysTreeView32x", 0, 420, 150, 120, 100, hwndHost);
    for (int i = 0; i < ZOOMVIEW_COUNT; ++i)
        if (hwndView[i] == NULL)
            return 0;

    HWND hwndTree = hwndView[ZOOMVIEW_TREE];
    HTREEITEM hFirst = InsertTreeItem(hwndTree, TVI_ROOT, "First");
    InsertTreeItem(hwndTree, hFirst, "First.1");
    InsertTreeItem(hwndTree, hFirst, "First.2");
    HTREEITEM hSecond = InsertTreeItem(hwndTree, TVI_ROOT, "Second");
    InsertTreeItem(hwndTree, hSecond, "Second.1");
    RECT rcItem;
    memcpy(&rcItem, &hFirst, sizeof(hFirst));  // TVM_GETITEMRECT takes the item in the rectangle
    if (!SendMessageA(hwndTree, TVM_GETITEMRECT, TRUE, (LPARAM)&rcItem))
        return 0;
    RECT rcClient;
    GetClientRect(hwndTree, &rcClient);
    g_pZoom->hItemFirst = hFirst;
    g_pZoom->ptItemFirst.x = (rcItem.left + rcItem.right) / 2;
    g_pZoom->ptItemFirst.y = (rcItem.top + rcItem.bottom) / 2;
    g_pZoom->ptTreeEmpty.x = 10;
    g_pZoom->ptTreeEmpty.y = rcClient.bottom - 10;

    for (int i = ZOOMVIEW_TREE; i <= ZOOMVIEW_LISTBOX; ++i)
        g_oldViewProc[i] = (WNDPROC)SetWindowLongPtrA(hwndView[i], GWLP_WNDPROC, (LONG_PTR)ViewProc);
    return 1;
}

// A window that every mode announces, under the name the witness hook vetoes.
static LRESULT MakeVetoedWindow(void)
{
    HWND hwnd = CreateWindowExA(0, "Button", WITNESS_VETO_NAME,
                                WS_POPUP | WS_VISIBLE | WS_SYSMENU | BS_DEFPUSHBUTTON, 0, 0, 80,
                                24, NULL, NULL, g_hInstance, NULL);
    if (hwnd == NULL)
        return 1;
    DestroyWindow(hwnd);
    return 0;
}

static LRESULT QueryLibrary(WPARAM nQuery)
{
    if (nQuery == CHILD_QUERY_PLATFORM) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        return GetVersionExA(&info) ? (LRESULT)info.dwPlatformId : -1;
    }
    HMODULE hLibrary = GetModuleHandleA(LIBRARY_NAME);
    if (nQuery == CHILD_QUERY_LIBRARY || hLibrary == NULL)
        return (LRESULT)hLibrary;
    const char* pszExport = nQuery == CHILD_QUERY_SCROLLER ? "?ghWndScroller@@3PAUHWND__@@A"
                                                           : "?g_uMsgMouseWheel@@3IA";
    const void* pVariable = (const void*)GetProcAddress(hLibrary, pszExport);
    if (pVariable == NULL)
        return -1;
    return nQuery == CHILD_QUERY_SCROLLER ? (LRESULT) * (const HWND*)pVariable
                                          : (LRESULT) * (const UINT*)pVariable;
}

static LRESULT CALLBACK ControlProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case CHILD_MAKE_WINDOWS:
        return MakeWindowSet();
    case CHILD_MAKE_VIEWS:
        return MakeViews();
    case CHILD_QUERY:
        return QueryLibrary(wParam);
    case CHILD_LOAD_LIBRARY:
        return (LRESULT)LoadLibraryA(LIBRARY_NAME);
    case CHILD_MAKE_VETOED:
        return MakeVetoedWindow();
    case CHILD_QUIT:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

static bool RegisterClasses(void)
{
    WNDCLASSA wc = {};
    wc.hInstance = g_hInstance;
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = CTL_CLASS;
    if (!RegisterClassA(&wc))
        return false;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = FRAME_CLASS;
    if (!RegisterClassA(&wc))
        return false;
    // Names that only begin like the classes the library looks for.
    wc.lpszClassName = "Button2";
    if (!RegisterClassA(&wc))
        return false;
    wc.lpfnWndProc = ViewProc;
    wc.lpszClassName = "SysTreeView32x";
    return RegisterClassA(&wc) != 0;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: window_maker TEST_WINDOW TEST_PROCESS_ID\n");
        return 2;
    }
    g_hInstance = GetModuleHandleA(NULL);
    g_hwndTest = (HWND)(ULONG_PTR)strtoul(argv[1], NULL, 16);
    // Ends with the test, should the test end without telling.
    HANDLE hTest = OpenProcess(SYNCHRONIZE, FALSE, strtoul(argv[2], NULL, 16));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    if (hTest == NULL || !RegisterClasses())
        return 3;
    HWND hwndControl = CreateWindowExA(0, CTL_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                       g_hInstance, NULL);
    if (hwndControl == NULL)
        return 4;
    SendMessageA(g_hwndTest, CHILD_HELLO, GetCurrentProcessId(), (LPARAM)hwndControl);
    for (;;) {
        DWORD dwWait = MsgWaitForMultipleObjects(1, &hTest, FALSE, INFINITE, QS_ALLINPUT);
        if (dwWait == WAIT_OBJECT_0)
            return 5;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}
