// The storage shared by every process that has the library loaded: one copy for
// the whole system, zero when the first process loads the library.
#include "shared_state.h"

// The fields keep this order: this file is built with -fno-toplevel-reorder, which
// emits variables in the order written. The library loads at one fixed address in
// every process, so g_hLibInstance and the address of g_tvHitTest hold everywhere.
#define SHARED_STORAGE __attribute__((section("._SCLDAT"), shared))

extern "C" {
HHOOK g_hCbtHook SHARED_STORAGE = NULL;
HINSTANCE g_hLibInstance SHARED_STORAGE = NULL;
TVHITTESTINFO g_tvHitTest SHARED_STORAGE = {{0, 0}, 0, NULL};
HWND ghWndScroller SHARED_STORAGE = NULL;
int g_nAutoJumpMode SHARED_STORAGE = 0;
UINT g_uMsgMouseWheel SHARED_STORAGE = 0;
}
