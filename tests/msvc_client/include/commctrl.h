// The common-controls declarations the Microsoft-toolchain client needs, in the
// forms of Microsoft's own commctrl.h.
#ifndef _INC_COMMCTRL
#define _INC_COMMCTRL

#include <windows.h>

#define WINCOMMCTRLAPI DECLSPEC_IMPORT
#define WC_LISTVIEWA "SysListView32"
#define LVS_LIST 0x0003

WINCOMMCTRLAPI void WINAPI InitCommonControls(void);

#endif
