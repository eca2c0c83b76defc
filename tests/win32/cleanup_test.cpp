// Shortcut and earlier-setup clean-up under Wine, with the shell folders pointed at
// staged directories and the earlier setup's UninstallString at a staged folder.
// The bench's own shell-folder values are put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "cleanup.h"
#include "win32_test_support.h"

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kEarlierSetup[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PeltoSetup";
const char* const kShortcuts[] = {"Ink Capture.lnk", "Pelto Help.lnk", "Trainer.lnk"};

class Cleanup : public ::testing::Test {
protected:
    std::string root, programs, startup, folder;
    std::string savedPrograms, savedStartup;

    void SetUp() override
    {
        savedPrograms = RegText(HKEY_CURRENT_USER, kShellFolders, "Programs");
        savedStartup = RegText(HKEY_CURRENT_USER, kShellFolders, "Startup");
        root = MakeTestRoot("cu");
        programs = root + "\\Programs";
        startup = root + "\\Startup";
        folder = programs + "\\Varsen Software";
        for (const std::string& dir : {programs, startup, folder})
            CreateDirectoryA(dir.c_str(), NULL);
        for (const char* name : kShortcuts) WriteBytes(folder + "\\" + name, "lnk");
        WriteBytes(startup + "\\Ink Capture.lnk", "lnk");
        WriteBytes(startup + "\\Other.lnk", "lnk");
        SetShellFolder("Programs", programs);
        SetShellFolder("Startup", startup);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetup);
    }

    void TearDown() override
    {
        for (const char* name : {"Programs", "Startup"}) {
            const std::string& saved = name[0] == 'P' ? savedPrograms : savedStartup;
            if (saved == "<none>") DeleteRegValue(HKEY_CURRENT_USER, kShellFolders, name);
            else SetShellFolder(name, saved);
        }
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetup);
        RemoveTree(root);
    }

    void SetShellFolder(const char* name, const std::string& value)
    {
        ASSERT_TRUE(SetRegText(HKEY_CURRENT_USER, kShellFolders, name, value));
    }

    void SetUninstallString(const std::string& value)
    {
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kEarlierSetup, "UninstallString", value));
    }
};

TEST_F(Cleanup, RemovesTheShortcutsTheFolderAndTheStartupShortcut)
{
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(startup + "\\Ink Capture.lnk"));
    EXPECT_TRUE(Exists(startup + "\\Other.lnk"));
}

TEST_F(Cleanup, WithoutProgramsOnlyTheStartupShortcutGoes)
{
    DeleteRegValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(startup + "\\Ink Capture.lnk"));
}

TEST_F(Cleanup, AProgramFolderWithOtherFilesStays)
{
    WriteBytes(folder + "\\notes.txt", "mine");
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    EXPECT_EQ(ReadBytes(folder + "\\notes.txt"), "mine");
}

TEST_F(Cleanup, AShellFolderTooLongForItsPathsIsSkippedNeverCut)
{
    // A folder whose shortcut path is one character too long: cut to fit, it would
    // name "Ink Capture.ln", which exists.
    std::string longDir = root + "\\" + std::string(244 - root.size() - 1, 'L');
    ASSERT_EQ(longDir.size(), 244u);
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), NULL));
    ASSERT_TRUE(WriteBytes(longDir + "\\Ink Capture.ln", "bait"));
    SetShellFolder("Startup", longDir);
    // A Programs value of 259 characters fits its buffer, but no path behind it does;
    // one of 300 does not fit at all.
    for (size_t length : {259u, 300u}) {
        SetShellFolder("Programs", "C:\\" + std::string(length - 3, 'P'));
        RemoveShortcuts();
    }
    EXPECT_EQ(ReadBytes(longDir + "\\Ink Capture.ln"), "bait");
    // Nothing else was touched by the refused values.
    EXPECT_TRUE(Exists(folder + "\\Trainer.lnk"));
}

TEST_F(Cleanup, RestoresTheBackupBesideTheEarlierSetup)
{
    std::string dir = root + "\\SOMEDIR";
    CreateDirectoryA(dir.c_str(), NULL);
    WriteBytes(dir + "\\oldsig.backup", "saved program");
    WriteBytes(dir + "\\sig.exe", "newer program");
    SetUninstallString(dir + "\\SETUP.EXE");
    RestorePreviousSetupFile();
    EXPECT_EQ(ReadBytes(dir + "\\sig.exe"), "saved program");
    EXPECT_EQ(ReadBytes(dir + "\\oldsig.backup"), "saved program");
    // Only read, never deleted.
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEarlierSetup, "UninstallString"), dir + "\\SETUP.EXE");

    // Without the backup nothing is copied.
    DeleteFileA((dir + "\\oldsig.backup").c_str());
    DeleteFileA((dir + "\\sig.exe").c_str());
    RestorePreviousSetupFile();
    EXPECT_FALSE(Exists(dir + "\\sig.exe"));
}

TEST_F(Cleanup, CopiesNothingForAQuotedOrOversizedUninstallString)
{
    std::string dir = root + "\\SOMEDIR";
    CreateDirectoryA(dir.c_str(), NULL);
    WriteBytes(dir + "\\oldsig.backup", "saved program");
    // Quoted: the quote stays in the composed names, which do not exist.
    SetUninstallString("\"" + dir + "\\SETUP.EXE\" /u");
    RestorePreviousSetupFile();
    EXPECT_FALSE(Exists(dir + "\\sig.exe"));

    // A directory whose backup path is one character too long: cut to fit, it would
    // name "oldsig.backu", which exists.
    std::string longDir = root + "\\" + std::string(246 - root.size() - 1, 'D');
    ASSERT_EQ(longDir.size() + 1 + 13, 260u);
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), NULL));
    ASSERT_TRUE(WriteBytes(longDir + "\\oldsig.backu", "bait"));
    SetUninstallString(longDir + "\\S.EXE");
    RestorePreviousSetupFile();
    EXPECT_FALSE(Exists(longDir + "\\sig.exe"));

    // A value longer than its buffer, and a bare file name without a directory.
    SetUninstallString(dir + "\\" + std::string(300, 'S') + ".EXE");
    RestorePreviousSetupFile();
    SetUninstallString("SETUP.EXE");
    char oldDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, oldDir);
    SetCurrentDirectoryA(dir.c_str());
    RestorePreviousSetupFile();
    SetCurrentDirectoryA(oldDir);
    EXPECT_FALSE(Exists(dir + "\\sig.exe"));
}

}  // namespace
