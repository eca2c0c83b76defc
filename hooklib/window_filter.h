// Which newly created window the auto-jump hook announces, and with which code.
// Portable (no windows.h) so that the rule is unit-tested natively as well.
#ifndef PELTOAPI_WINDOW_FILTER_H
#define PELTOAPI_WINDOW_FILTER_H

// Auto-jump modes, the argument of SetAutoJump. Every other mode announces nothing.
const int AUTOJUMP_MODE_OFF = 0;
const int AUTOJUMP_MODE_OFF_ALT = -1;
const int AUTOJUMP_MODE_DEFBUTTON = 1;
const int AUTOJUMP_MODE_SYSMENU = 2;
const int AUTOJUMP_MODE_SYSMENU_ALT = 3;

// Notification codes posted as wParam; 0 means the window is not announced.
// Mode 3 posts 4, not 3: the receiver tells the two system-menu modes apart by bit.
const int AUTOJUMP_NONE = 0;
const int AUTOJUMP_CODE_DEFBUTTON = 1;
const int AUTOJUMP_CODE_SYSMENU = 2;
const int AUTOJUMP_CODE_SYSMENU_ALT = 4;

// The style bits the rule looks at (values of the platform's WS_ and BS_ constants).
const unsigned long FILTER_WS_VISIBLE = 0x10000000UL;
const unsigned long FILTER_WS_SYSMENU = 0x00080000UL;
const unsigned long FILTER_BS_TYPEMASK = 0x0000000FUL;
const unsigned long FILTER_BS_DEFPUSHBUTTON = 0x00000001UL;

// Exact, case-sensitive comparison of two zero-terminated byte strings. The hook
// library has no run-time library, so it brings its own.
inline bool NamesEqual(const char* pszA, const char* pszB)
{
    while (*pszA != '\0' && *pszA == *pszB) {
        ++pszA;
        ++pszB;
    }
    return *pszA == *pszB;
}

inline bool IsVisibleDefPushButtonStyle(unsigned long dwStyle)
{
    return (dwStyle & FILTER_BS_TYPEMASK) == FILTER_BS_DEFPUSHBUTTON &&
           (dwStyle & FILTER_WS_VISIBLE) != 0;
}

// The class name costs a call into the system, so it is read only when it can
// still decide the outcome.
inline bool AutoJumpNeedsClassName(int nMode, unsigned long dwStyle)
{
    return nMode == AUTOJUMP_MODE_DEFBUTTON && IsVisibleDefPushButtonStyle(dwStyle);
}

// The code to announce a window created with dwStyle, or AUTOJUMP_NONE.
// pszClassName is the window's class name, or null when it was not read or could
// not be read (then mode 1 announces nothing).
inline int AutoJumpCode(int nMode, const char* pszClassName, unsigned long dwStyle)
{
    switch (nMode) {
    case AUTOJUMP_MODE_DEFBUTTON:
        if (IsVisibleDefPushButtonStyle(dwStyle) && pszClassName != nullptr &&
            NamesEqual(pszClassName, "Button"))
            return AUTOJUMP_CODE_DEFBUTTON;
        return AUTOJUMP_NONE;
    case AUTOJUMP_MODE_SYSMENU:
        return (dwStyle & FILTER_WS_SYSMENU) ? AUTOJUMP_CODE_SYSMENU : AUTOJUMP_NONE;
    case AUTOJUMP_MODE_SYSMENU_ALT:
        return (dwStyle & FILTER_WS_SYSMENU) ? AUTOJUMP_CODE_SYSMENU_ALT : AUTOJUMP_NONE;
    default:
        return AUTOJUMP_NONE;
    }
}

#endif
