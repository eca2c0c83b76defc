// The building of full paths and NUL= lines, at the edges no removal run reaches
// (the file table itself is checked by behaviour in tests/win32/file_pass_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "removal_table.h"

namespace {

TEST(RemovalTable, RefusesPathsThatDoNotFitOrHaveNoDirectory)
{
    char path[REMOVR_PATH_SIZE];
    char line[REMOVR_PATH_SIZE];
    // 259 characters fit a 260-character buffer; 260 do not, and nothing is cut.
    std::string dir = "C:\\" + std::string(245, 'd') + "\\";  // 249 characters
    std::strcpy(g_szInstallDir, dir.c_str());
    RemovalEntry exact = {LOCATION_INSTALL, "ABCDEFGHIJ", nullptr};  // 259 in all
    EXPECT_EQ(BuildEntryPath(exact, path, sizeof path), 1);
    EXPECT_EQ(std::strlen(path), 259u);
    RemovalEntry over = {LOCATION_INSTALL, "ABCDEFGHIJK", nullptr};
    EXPECT_EQ(BuildEntryPath(over, path, sizeof path), 0);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(BuildNulLine(std::string(256, 'p').c_str(), line, sizeof line), 0);
    EXPECT_STREQ(line, "");
    RemovalEntry unknown = {7, "X", nullptr};
    EXPECT_EQ(BuildEntryPath(unknown, path, sizeof path), 0);

    // A directory the system did not report makes no path at all.
    std::strcpy(g_szSystemDir, "");
    RemovalEntry system = {LOCATION_SYSTEM, "PELTO.VXD", "NUL"};
    EXPECT_EQ(BuildEntryPath(system, path, sizeof path), 0);
    EXPECT_STREQ(path, "");
    g_szInstallDir[0] = '\0';
    EXPECT_EQ(BuildEntryPath(exact, path, sizeof path), 0);

    std::strcpy(g_szWindowsDir, std::string(256, 'w').c_str());  // 260 with "\\INF"
    EXPECT_EQ(SetInfDirFromWindowsDir(), 0);
}

// A file counts as scheduled when a NUL= line or the system's list names it for
// deletion, in either letter case or by its short form; a rename of it does not
// count, and a list cut short is read no further than its size.
TEST(RemovalTable, FindsAFileAlreadyScheduled)
{
    const char* kPath = "C:\\Program Files\\Varsen Software\\REMOVR.EXE";
    const char* kShort = "C:\\PROGRA~1\\VARSEN~1\\REMOVR.EXE";
    for (const char* line : {"NUL=C:\\PROGRA~1\\VARSEN~1\\removr.exe", "nul=c:\\program files\\varsen software\\REMOVR.EXE"})
        EXPECT_EQ(NulLineNames(line, kPath, kShort), 1) << line;
    for (const char* line : {"NUL=C:\\PROGRA~1\\VARSEN~1\\REMOVR.EX", "X=C:\\PROGRA~1\\VARSEN~1\\REMOVR.EXE", "NUL"})
        EXPECT_EQ(NulLineNames(line, kPath, nullptr), 0) << line;
    auto text = [](const std::string& t) { return t + '\0'; };
    const std::string rename = text("\\??\\C:\\PROGRA~1\\VARSEN~1\\REMOVR.EXE") + text("!\\??\\C:\\X");
    const std::string deletion = text("\\??\\c:\\progra~1\\varsen~1\\removr.exe") + text("");
    EXPECT_EQ(PendingListDeletes(rename.data(), rename.size(), kPath, kShort), 0);
    std::string list = rename + deletion + '\0';
    EXPECT_EQ(PendingListDeletes(list.data(), list.size(), kPath, kShort), 1);
    EXPECT_EQ(PendingListDeletes(list.data(), list.size() - 2, kPath, kShort), 0);
}

}  // namespace
