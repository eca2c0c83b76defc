// The storage shared by every process that has the library loaded: one copy for
// the whole system, zero when the first process loads the library.
#include "shared_state.h"

// The fields keep this order: this file is built with -fno-toplevel-reorder, which
// emits variables in the order written. The library loads at one fixed address in
// every process, so g_hLibInstance and the address of g_tvHitTest hold everywhere.
// Every field is one or more aligned 32-bit words, so each process finds each field
// at the same place: the hit-test record is pt.x, pt.y, flags and hItem.
static_assert(sizeof(HHOOK) == 4 && sizeof(HINSTANCE) == 4 && sizeof(HWND) == 4 &&
              sizeof(int) == 4 && sizeof(UINT) == 4, "32-bit words");
static_assert(sizeof(TVHITTESTINFO) == 16, "the hit-test record");

#define SHARED_STORAGE __attribute__((section("._SCLDAT"), shared))

extern "C" {
HHOOK g_hCbtHook SHARED_STORAGE = NULL;
HINSTANCE g_hLibInstance SHARED_STORAGE = NULL;
TVHITTESTINFO g_tvHitTest SHARED_STORAGE = {{0, 0}, 0, NULL};
HWND ghWndScroller SHARED_STORAGE = NULL;
int g_nAutoJumpMode SHARED_STORAGE = 0;
UINT g_uMsgMouseWheel SHARED_STORAGE = 0;
}
