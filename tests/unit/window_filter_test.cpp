// The auto-jump window filter: which new window each mode announces, with which code.
#include <gtest/gtest.h>

#include <climits>

#include "window_filter.h"

namespace {

// The platform's values of the other style bits used here.
const unsigned long STYLE_CHILD = 0x40000000UL;
const unsigned long STYLE_POPUP = 0x80000000UL;
const unsigned long STYLE_TABSTOP = 0x00010000UL;
const unsigned long STYLE_PUSHBUTTON = 0x0;
const unsigned long STYLE_AUTOCHECKBOX = 0x3;
const unsigned long STYLE_DEFSPLITBUTTON = 0xD;  // low bit set, another type
const unsigned long STYLE_MULTILINE = 0x2000;

const unsigned long VISIBLE = FILTER_WS_VISIBLE;
const unsigned long SYSMENU = FILTER_WS_SYSMENU;
const unsigned long DEFBUTTON = FILTER_BS_DEFPUSHBUTTON;

struct Window {
    const char* pszClass;  // null: not read
    unsigned long dwStyle;
    const char* pszWhat;
    int nMode1, nMode2, nMode3;  // the codes expected
};

const Window ALL[] = {
    {"Button", STYLE_CHILD | VISIBLE | DEFBUTTON, "visible default button", 1, 0, 0},
    {"Button", STYLE_CHILD | VISIBLE | STYLE_TABSTOP | STYLE_MULTILINE | DEFBUTTON,
     "visible default button, more style bits", 1, 0, 0},
    {"Button", STYLE_POPUP | VISIBLE | SYSMENU | DEFBUTTON, "visible default button, system menu", 1, 2, 4},
    {"Button", STYLE_CHILD | VISIBLE | STYLE_PUSHBUTTON, "visible push button", 0, 0, 0},
    {"Button", STYLE_CHILD | DEFBUTTON, "hidden default button", 0, 0, 0},
    {"Button", STYLE_CHILD | VISIBLE | STYLE_AUTOCHECKBOX, "visible check box", 0, 0, 0},
    {"Button", STYLE_CHILD | VISIBLE | STYLE_DEFSPLITBUTTON, "visible split button", 0, 0, 0},
    {"Button2", STYLE_CHILD | VISIBLE | DEFBUTTON, "class Button2", 0, 0, 0},
    {"ButtonBar", STYLE_CHILD | VISIBLE | DEFBUTTON, "class name cut to 9 characters", 0, 0, 0},
    {"Butto", STYLE_CHILD | VISIBLE | DEFBUTTON, "class Butto", 0, 0, 0},
    {"button", STYLE_CHILD | VISIBLE | DEFBUTTON, "class button", 0, 0, 0},
    {"", STYLE_CHILD | VISIBLE | DEFBUTTON, "empty class name", 0, 0, 0},
    {nullptr, STYLE_CHILD | VISIBLE | DEFBUTTON, "class name unread", 0, 0, 0},
    {"AnyFrame", SYSMENU, "hidden frame with a system menu", 0, 2, 4},
    {nullptr, VISIBLE | SYSMENU, "system menu, class name unread", 0, 2, 4},
    {"AnyFrame", STYLE_POPUP | VISIBLE, "frame without a system menu", 0, 0, 0},
};

int Code(int nMode, const Window& w)
{
    return AutoJumpCode(nMode, w.pszClass, w.dwStyle);
}

TEST(WindowFilter, ModesOneTwoAndThree)
{
    for (const Window& w : ALL) {
        EXPECT_EQ(w.nMode1, Code(1, w)) << "mode 1, " << w.pszWhat;
        EXPECT_EQ(w.nMode2, Code(2, w)) << "mode 2, " << w.pszWhat;
        EXPECT_EQ(w.nMode3, Code(3, w)) << "mode 3, " << w.pszWhat;
    }
}

TEST(WindowFilter, EveryOtherModeAnnouncesNothing)
{
    const int modes[] = {0, -1, 4, 7, 8, -2, INT_MAX, INT_MIN};
    for (int nMode : modes)
        for (const Window& w : ALL)
            EXPECT_EQ(AUTOJUMP_NONE, Code(nMode, w)) << "mode " << nMode << ", " << w.pszWhat;
}

TEST(WindowFilter, ClassNameIsAskedForOnlyWhenItCanDecide)
{
    const unsigned long dwDefButton = VISIBLE | SYSMENU | DEFBUTTON;
    EXPECT_TRUE(AutoJumpNeedsClassName(1, dwDefButton));
    EXPECT_FALSE(AutoJumpNeedsClassName(1, VISIBLE | STYLE_PUSHBUTTON));
    EXPECT_FALSE(AutoJumpNeedsClassName(1, DEFBUTTON));
    const int otherModes[] = {0, -1, 2, 3, 7};
    for (int nMode : otherModes)
        EXPECT_FALSE(AutoJumpNeedsClassName(nMode, dwDefButton)) << "mode " << nMode;
}

TEST(WindowFilter, NamesCompareWholeAndCaseSensitive)
{
    EXPECT_TRUE(NamesEqual("SysTreeView32", "SysTreeView32"));
    EXPECT_TRUE(NamesEqual("", ""));
    const char* const unequal[][2] = {{"SysTreeView32", "SysTreeView32x"}, {"SysTreeView32x", "SysTreeView32"},
                                      {"SysTreeView3", "SysTreeView32"},   {"systreeview32", "SysTreeView32"},
                                      {"", "SysListView32"},               {"SysListView32", ""}};
    for (const auto& pair : unequal) EXPECT_FALSE(NamesEqual(pair[0], pair[1])) << pair[0] << " " << pair[1];
}

}  // namespace
