// The file table and the building of full paths and NUL= lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "package_files.h"
#include "removal_table.h"

namespace {

TEST(RemovalTable, HoldsThePackagesThirtyOneFiles)
{
    ASSERT_EQ(g_removalTableCount, kPackageFileCount);
    for (int i = 0; i < g_removalTableCount; i++) {
        const RemovalEntry &e = g_removalTable[i], &expected = kPackageFiles[i];
        EXPECT_STREQ(e.fileName, expected.fileName) << i;
        EXPECT_EQ(e.location, expected.location) << e.fileName;
        EXPECT_EQ(e.pendingName != nullptr, expected.pendingName != nullptr) << e.fileName;
    }
}

TEST(RemovalTable, BuildsPathsByLocationAndRefusesWhatDoesNotFit)
{
    std::strcpy(g_szInstallDir, "C:\\SOMEDIR\\");
    std::strcpy(g_szSystemDir, "C:\\WINDOWS\\SYSTEM");
    std::strcpy(g_szWindowsDir, "C:\\WINDOWS");
    ASSERT_EQ(SetInfDirFromWindowsDir(), 1);
    EXPECT_STREQ(g_szInfDir, "C:\\WINDOWS\\INF");

    char path[REMOVR_PATH_SIZE];
    ASSERT_EQ(BuildEntryPath(g_removalTable[6], path, sizeof path), 1);
    EXPECT_STREQ(path, "C:\\SOMEDIR\\REMOVR.EXE");
    ASSERT_EQ(BuildEntryPath(g_removalTable[29], path, sizeof path), 1);
    EXPECT_STREQ(path, "C:\\WINDOWS\\SYSTEM\\PELTO.VXD");
    ASSERT_EQ(BuildEntryPath(g_removalTable[30], path, sizeof path), 1);
    EXPECT_STREQ(path, "C:\\WINDOWS\\INF\\PELTO.INF");

    char line[REMOVR_PATH_SIZE];
    ASSERT_EQ(BuildNulLine("C:\\SOMEDIR\\REMOVR.EXE", line, sizeof line), 1);
    EXPECT_STREQ(line, "NUL=C:\\SOMEDIR\\REMOVR.EXE");

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
    g_szSystemDir[0] = '\0';
    EXPECT_EQ(BuildEntryPath(g_removalTable[29], path, sizeof path), 0);
    EXPECT_STREQ(path, "");
    g_szInstallDir[0] = '\0';
    EXPECT_EQ(BuildEntryPath(g_removalTable[6], path, sizeof path), 0);

    std::strcpy(g_szWindowsDir, std::string(256, 'w').c_str());  // 260 with "\\INF"
    EXPECT_EQ(SetInfDirFromWindowsDir(), 0);
}

}  // namespace
