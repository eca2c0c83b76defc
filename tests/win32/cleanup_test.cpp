// Shortcut and earlier-setup clean-up under Wine, with the shell folders pointed at
// staged directories and the earlier setup's UninstallString at a staged folder.
// The bench's own shell-folder values are put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Read-only shortcuts (copied from a CD-ROM) go as well; another file is not touched.
TEST_F(Cleanup, RemovesTheShortcutsTheFolderAndTheStartupShortcut)
{
    MakeReadOnly({folder + "\\Trainer.lnk", startup + "\\Ink Capture.lnk", startup + "\\Other.lnk"});
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(startup + "\\Ink Capture.lnk"));
    EXPECT_TRUE(IsReadOnly(startup + "\\Other.lnk"));
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

// Sets the current directory for the life of this object.
class InDirectory {
public:
    explicit InDirectory(const std::string& dir)
    {
        GetCurrentDirectoryA(MAX_PATH, old_);
        ok = SetCurrentDirectoryA(dir.c_str()) != 0;
    }
    ~InDirectory() { SetCurrentDirectoryA(old_); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;
    bool ok = false;

private:
    char old_[MAX_PATH] = "";
};

// Values that are not full paths would be resolved against the current drive or
// directory: shortcuts planted wherever they could point must all stay.
TEST_F(Cleanup, ShellFoldersThatAreNotFullPathsAreRefused)
{
    std::string cwd = root + "\\cwd";
    std::string drive = root.substr(0, 2);  // "C:"
    ASSERT_EQ(drive[1], ':');
    std::vector<std::string> planted;
    auto plant = [&](const std::string& dir) {
        CreateDirectoryA(dir.c_str(), NULL);
        CreateDirectoryA((dir + "\\Varsen Software").c_str(), NULL);
        for (const char* name : kShortcuts) planted.push_back(dir + "\\Varsen Software\\" + name);
        planted.push_back(dir + "\\Ink Capture.lnk");
    };
    CreateDirectoryA(cwd.c_str(), NULL);
    plant(cwd + "\\rel");       // "rel", and "C:rel" while C:'s directory is cwd
    plant(root + "\\rootrel");  // the root-relative "\users\...\rootrel"
    plant(drive);               // "" and "C:": the root of the current drive

    {
        InDirectory inCwd(cwd);
        ASSERT_TRUE(inCwd.ok);
        const std::string values[] = {"", "rel", drive + "rel", root.substr(2) + "\\rootrel",
                                      drive};
        for (const std::string& value : values) {
            for (const std::string& path : planted) ASSERT_TRUE(WriteBytes(path, "bait")) << path;
            SetShellFolder("Programs", value);
            SetShellFolder("Startup", value);
            RemoveShortcuts();
            for (const std::string& path : planted)
                EXPECT_EQ(ReadBytes(path), "bait") << path << " after \"" << value << "\"";
        }
    }
    // The drive root's plants are not under root: taken away here.
    for (const std::string& path : planted)
        if (path.compare(0, root.size(), root) != 0) DeleteFileA(path.c_str());
    RemoveDirectoryA((drive + "\\Varsen Software").c_str());
    // Nor was anything under the staged full-path folders touched.
    EXPECT_TRUE(Exists(folder + "\\Trainer.lnk"));
    EXPECT_TRUE(Exists(startup + "\\Ink Capture.lnk"));
}

TEST_F(Cleanup, RestoresTheBackupBesideTheEarlierSetup)
{
    std::string dir = root + "\\SOMEDIR";
    CreateDirectoryA(dir.c_str(), NULL);
    WriteBytes(dir + "\\oldsig.backup", "saved program");
    WriteBytes(dir + "\\sig.exe", "newer program");
    MakeReadOnly({dir + "\\sig.exe"});  // replaced all the same
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

    // A value longer than its buffer.
    SetUninstallString(dir + "\\" + std::string(300, 'S') + ".EXE");
    RestorePreviousSetupFile();
    EXPECT_FALSE(Exists(dir + "\\sig.exe"));
}

// Values that are not full paths would name the backup in the current drive or
// directory: with backups planted wherever they could point, nothing is copied.
TEST_F(Cleanup, CopiesNothingForAnUninstallStringThatIsNotAFullPath)
{
    std::string cwd = root + "\\cwd";
    std::string drive = root.substr(0, 2);
    ASSERT_EQ(drive[1], ':');
    for (const std::string& dir : {cwd, cwd + "\\sub"}) {
        CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(WriteBytes(dir + "\\oldsig.backup", "saved program"));
    }
    InDirectory inCwd(cwd);
    ASSERT_TRUE(inCwd.ok);
    const std::string values[] = {"SETUP.EXE", "sub\\SETUP.EXE", drive + "SETUP.EXE",
                                  drive + "sub\\SETUP.EXE", cwd.substr(2) + "\\SETUP.EXE",
                                  cwd.substr(2) + "\\sub\\SETUP.EXE"};
    for (const std::string& value : values) {
        SetUninstallString(value);
        RestorePreviousSetupFile();
        EXPECT_FALSE(Exists(cwd + "\\sig.exe")) << value;
        EXPECT_FALSE(Exists(cwd + "\\sub\\sig.exe")) << value;
        DeleteFileA((cwd + "\\sig.exe").c_str());
        DeleteFileA((cwd + "\\sub\\sig.exe").c_str());
    }
    // The same backup named by a full path is restored.
    SetUninstallString(cwd + "\\sub\\SETUP.EXE");
    RestorePreviousSetupFile();
    EXPECT_EQ(ReadBytes(cwd + "\\sub\\sig.exe"), "saved program");
}

}  // namespace
