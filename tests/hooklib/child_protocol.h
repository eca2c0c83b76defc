// What hook_test and its window-making child (window_maker) say to each other: the
// messages between their control windows, the windows the child makes, and the
// shared record in which the child's views log what the zoom action sent them.
#ifndef PELTOAPI_TEST_CHILD_PROTOCOL_H
#define PELTOAPI_TEST_CHILD_PROTOCOL_H

#include <windows.h>
#include <commctrl.h>

// child -> test: wParam the child's process id, lParam the child's control window.
#define CHILD_HELLO (WM_APP + 1)
// test -> child: make the window set once, reporting each window by CHILD_MADE, and
// destroy it again. Result: the WM_AUTOJUMP messages found in the child's own thread
// queue (where a post to a null receiver would land).
#define CHILD_MAKE_WINDOWS (WM_APP + 2)
// child -> test: wParam the kind of window (below), lParam its handle.
#define CHILD_MADE (WM_APP + 3)
// test -> child: wParam a CHILD_QUERY_ value; the result is the answer.
#define CHILD_QUERY (WM_APP + 4)
// test -> child: load the library and make the views of the zoom cases; result 1.
#define CHILD_MAKE_VIEWS (WM_APP + 5)
// test -> child: end.
#define CHILD_QUIT (WM_APP + 6)
// test -> child: load the library at run time; result its module handle, or 0.
#define CHILD_LOAD_LIBRARY (WM_APP + 7)
// test -> child: create a window named WITNESS_VETO_NAME (cbt_witness.h), a visible
// default push button popup with a system menu, so that every mode would announce
// it; result 1 when the creation failed, 0 when the window was made (and destroyed).
#define CHILD_MAKE_VETOED (WM_APP + 8)

enum ChildQuery {
    CHILD_QUERY_LIBRARY = 1,  // where PELTOAPI.DLL sits in the child, or 0
    CHILD_QUERY_SCROLLER,     // ghWndScroller as the child sees it
    CHILD_QUERY_MOUSEWHEEL,   // g_uMsgMouseWheel as the child sees it
    CHILD_QUERY_PLATFORM      // the child's platform identifier (GetVersionExA)
};

// The window set of CHILD_MAKE_WINDOWS, in creation order.
enum WindowKind {
    KIND_FRAME,            // own class, WS_OVERLAPPEDWINDOW, created hidden
    KIND_DEFBUTTON,        // "Button", visible BS_DEFPUSHBUTTON child
    KIND_PUSHBUTTON,       // "Button", visible BS_PUSHBUTTON child
    KIND_HIDDEN_DEFBUTTON, // "Button", BS_DEFPUSHBUTTON created hidden, shown later
    KIND_CHECKBOX,         // "Button", visible BS_AUTOCHECKBOX (type 3: low bit set)
    KIND_BUTTON2,          // class "Button2", visible BS_DEFPUSHBUTTON style
    KIND_SYSMENU_BUTTON,   // "Button", visible BS_DEFPUSHBUTTON popup with WS_SYSMENU
    KIND_SYSMENU_STATIC,   // "Static", hidden popup with WS_SYSMENU
    KIND_COUNT
};

// The windows of CHILD_MAKE_VIEWS, all inside one visible popup without a frame.
enum ViewId {
    ZOOMVIEW_TREE,       // "SysTreeView32" with a client edge
    ZOOMVIEW_LIST,       // "SysListView32" with a client edge
    ZOOMVIEW_BUTTON,     // "Button"
    ZOOMVIEW_LISTBOX,    // "ListBox"
    ZOOMVIEW_LOOKALIKE,  // own class "SysTreeView32x"
    ZOOMVIEW_COUNT
};

// One message that a view got of those the zoom action can send.
struct ZoomRecord {
    int nView;
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
    POINT ptHitTest;  // TVM_HITTEST: the point of the record lParam points to
    LRESULT lResult;
};

#define ZOOM_SHARED_NAME "PeltoapiTestZoomShared"
#define ZOOM_MAX_RECORDS 32

// Named shared memory: the child fills the views part, the views append records,
// the test reads them and clears nRecords.
struct ZoomShared {
    HWND hwndView[ZOOMVIEW_COUNT];
    HTREEITEM hItemFirst;   // the first root item; it has children
    POINT ptItemFirst;      // its label's centre, in the tree view's client area
    POINT ptTreeEmpty;      // a point of the tree view's client area with no item
    volatile LONG nRecords;
    ZoomRecord records[ZOOM_MAX_RECORDS];
};

#endif
