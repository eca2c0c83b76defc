// DataZoomExplorer: acts on the tree view or list view under a screen point, in
// whichever process that window lives, by sent messages only.
#include "shared_state.h"
#include "window_filter.h"

// The command a list view's owner gets for action 0: identifier 0xA022, sent with
// the accelerator notification code 1 in the high word.
static const WPARAM ZOOM_LISTVIEW_COMMAND = 0x1A022;

// The messages and codes the views of other programs are built to understand.
static_assert(TVM_HITTEST == 0x1111 && TVM_EXPAND == 0x1102, "tree-view messages");
static_assert(TVE_COLLAPSE == 1 && TVE_EXPAND == 2, "tree-view expand actions");
static_assert(TVHT_ONITEM == 0x46, "icon, label and state icon");
static_assert(WM_COMMAND == 0x111 && WM_LBUTTONDBLCLK == 0x203 && MK_LBUTTON == 1,
              "list-view messages");

// The tree view reads the hit-test point through the address it is given; the
// record lives in the shared section, which sits at the same address in every
// process that has the library loaded.
static void ZoomTreeView(HWND hWndTree, int dx, int dy, int nAction)
{
    WPARAM wExpand = (WPARAM)nAction;
    if (nAction == 0)
        wExpand = TVE_EXPAND;
    else if (nAction == 1)
        wExpand = TVE_COLLAPSE;
    g_tvHitTest.pt.x = dx;
    g_tvHitTest.pt.y = dy;
    g_tvHitTest.flags = TVHT_ONITEM;
    g_tvHitTest.hItem = NULL;
    LRESULT hItem = SendMessageA(hWndTree, TVM_HITTEST, 0, (LPARAM)&g_tvHitTest);
    SendMessageA(hWndTree, TVM_EXPAND, wExpand, hItem);  // a null item too
}

static void ZoomListView(HWND hWndList, int dx, int dy, int nAction, HWND hWndCommand)
{
    if (nAction == 0)
        SendMessageA(hWndCommand, WM_COMMAND, ZOOM_LISTVIEW_COMMAND, 0);
    else if (nAction == 1)
        SendMessageA(hWndList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(dx, dy));
}

extern "C" int WINAPI DataZoomExplorer(POINT ptScreen, int nAction, HWND hWndCommand)
{
    HWND hWnd = WindowFromPoint(ptScreen);
    if (hWnd == NULL)
        return 1;
    char szClassName[50];
    if (GetClassNameA(hWnd, szClassName, sizeof(szClassName)) == 0)
        szClassName[0] = '\0';  // matches neither class
    RECT rcWindow = {0, 0, 0, 0};
    GetWindowRect(hWnd, &rcWindow);
    // Relative to the corner of the whole window rectangle, frame included: the
    // package's programs expect exactly this point, not a client-area one.
    int dx = ptScreen.x - rcWindow.left;
    int dy = ptScreen.y - rcWindow.top;
    if (NamesEqual(szClassName, "SysTreeView32"))
        ZoomTreeView(hWnd, dx, dy, nAction);
    else if (NamesEqual(szClassName, "SysListView32"))
        ZoomListView(hWnd, dx, dy, nAction, hWndCommand);
    return 1;
}
