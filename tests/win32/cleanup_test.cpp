// Shortcut and earlier-setup clean-up under Wine, with the shell folders pointed at
// staged directories and the earlier setup's UninstallString at a staged folder.
// The bench's own shell-folder values are put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleanup.h"
#include "package_files.h"
#include "removal_table.h"
#include "win32_test_support.h"

namespace {

class Cleanup : public StagedMachine {
protected:
    std::string programs, startup, folder;
    ScopedRegText programsValue{HKEY_CURRENT_USER, kShellFoldersKey, "Programs"};
    ScopedRegText startupValue{HKEY_CURRENT_USER, kShellFoldersKey, "Startup"};
    ScopedRegText allProgramsValue{HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs"};
    ScopedRegText allStartupValue{HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Startup"};
    ScopedRegText uninstallString{HKEY_LOCAL_MACHINE, kEarlierSetupKey, "UninstallString"};

    void SetUp() override
    {
        StagedMachine::SetUp();
        programs = root + "\\Programs";
        startup = root + "\\Startup";
        folder = programs + "\\Varsen Software";
        for (const std::string& dir : {programs, startup, folder})
            CreateDirectoryA(dir.c_str(), NULL);
        for (const char* name : kShortcuts) ASSERT_TRUE(WriteBytes(folder + "\\" + name, "lnk"));
        ASSERT_TRUE(WriteBytes(startup + "\\Ink Capture.lnk", "lnk"));
        ASSERT_TRUE(WriteBytes(startup + "\\Other.lnk", "lnk"));
        ASSERT_TRUE(programsValue.Set(programs));
        ASSERT_TRUE(startupValue.Set(startup));
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetupKey);
    }

    void TearDown() override
    {
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetupKey);
        StagedMachine::TearDown();
    }

};

// From the user's and all users' Start menus read-only (CD-ROM) shortcuts go too; others stay.
TEST_F(Cleanup, RemovesTheShortcutsTheFolderAndTheStartupShortcut)
{
    const std::string all = root + "\\All Users", allStartup = all + "\\Startup";
    for (const std::string& dir : {all, all + "\\Varsen Software", allStartup, all + "\\Other"})
        CreateDirectoryA(dir.c_str(), NULL);
    for (const std::string& path : {all + "\\Varsen Software\\Trainer.lnk", all + "\\Other\\Trainer.lnk",
                                    allStartup + "\\Ink Capture.lnk", allStartup + "\\Other.lnk"})
        ASSERT_TRUE(WriteBytes(path, "lnk"));
    ASSERT_TRUE(allProgramsValue.Set(all) && allStartupValue.Set(allStartup));
    MakeReadOnly({folder + "\\Trainer.lnk", startup + "\\Ink Capture.lnk", startup + "\\Other.lnk"});
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    for (const auto& dir : {folder, all + "\\Varsen Software"}) EXPECT_FALSE(Exists(dir)) << dir;
    for (const auto& dir : {startup, allStartup}) EXPECT_FALSE(Exists(dir + "\\Ink Capture.lnk")) << dir;
    EXPECT_TRUE(IsReadOnly(startup + "\\Other.lnk"));
    EXPECT_EQ(ReadBytes(allStartup + "\\Other.lnk") + ReadBytes(all + "\\Other\\Trainer.lnk"), "lnklnk");
}

// A program folder with other files stays; without Programs only the start-up shortcut goes.
TEST_F(Cleanup, AProgramFolderWithOtherFilesStaysAndWithoutProgramsOnlyTheStartupShortcutGoes)
{
    WriteBytes(folder + "\\notes.txt", "mine");
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    EXPECT_EQ(ReadBytes(folder + "\\notes.txt"), "mine");
    for (const char* name : kShortcuts) ASSERT_TRUE(WriteBytes(folder + "\\" + name, "lnk"));
    ASSERT_TRUE(WriteBytes(startup + "\\Ink Capture.lnk", "lnk"));
    programsValue.Delete();
    RemoveShortcuts();
    for (const char* name : kShortcuts) EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(startup + "\\Ink Capture.lnk"));
}

// A value that does not fit, or is no text, is refused whole, and so is a path
// too long for its buffer: the baits lie where a cut value or path would point.
TEST_F(Cleanup, ValuesAndPathsThatDoNotFitAreSkippedNeverCut)
{
    // A Startup folder whose shortcut path is one character too long: cut, it names
    // "Ink Capture.ln".
    std::string longDir = root + "\\" + std::string(244 - root.size() - 1, 'L');
    ASSERT_EQ(longDir.size(), 244u);
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), NULL));
    const std::string bait = longDir + "\\" + std::string(14, 'P');  // 259 characters
    for (const std::string& path : {longDir + "\\Ink Capture.ln", bait})
        ASSERT_TRUE(WriteBytes(path, "bait"));
    ASSERT_TRUE(startupValue.Set(longDir));
    struct Row {
        DWORD type;
        std::string stored;
        std::string read;  // "" when refused
    } rows[] = {
        {REG_SZ, bait + '\0', bait},  // fits its buffer; no path behind it does
        {REG_SZ, bait + std::string(41, 'P') + '\0', ""},  // 300: does not fit at all
        {REG_SZ, bait, bait},  // 259 bytes without a terminator
        {REG_SZ, bait + 'P', ""},  // 260 bytes without a terminator
        {REG_BINARY, bait + '\0', ""},
    };
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    for (const Row& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type) + ", " + std::to_string(row.stored.size()));
        ASSERT_EQ(RegSetValueExA(key, "Programs", 0, row.type,
                                 reinterpret_cast<const BYTE*>(row.stored.data()),
                                 static_cast<DWORD>(row.stored.size())),
                  ERROR_SUCCESS);
        char out[REMOVR_PATH_SIZE] = "x";
        EXPECT_EQ(ReadRegistryText(key, "Programs", out, sizeof out), !row.read.empty());
        EXPECT_EQ(out, row.read);
        RemoveShortcuts();
        EXPECT_EQ(ReadBytes(bait), "bait");
    }
    RegCloseKey(key);
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
            ASSERT_TRUE(programsValue.Set(value));
            ASSERT_TRUE(startupValue.Set(value));
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
    ASSERT_TRUE(uninstallString.Set(dir + "\\SETUP.EXE"));
    RestorePreviousSetupFile();
    EXPECT_EQ(ReadBytes(dir + "\\sig.exe"), "saved program");
    EXPECT_EQ(ReadBytes(dir + "\\oldsig.backup"), "saved program");
    // Only read, never deleted.
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEarlierSetupKey, "UninstallString"), dir + "\\SETUP.EXE");

    // Without the backup nothing is copied.
    DeleteFileA((dir + "\\oldsig.backup").c_str());
    DeleteFileA((dir + "\\sig.exe").c_str());
    RestorePreviousSetupFile();
    EXPECT_FALSE(Exists(dir + "\\sig.exe"));
}

// Values that are not full paths would name the backup in the current drive or
// directory; a quoted value keeps its quote in the composed names, which do not exist;
// a directory whose backup path is one character too long, cut to fit, would name
// "oldsig.backu", which exists; a value may be longer than its buffer. With backups
// planted wherever they could point, nothing is copied.
TEST_F(Cleanup, CopiesNothingForAnUninstallStringThatIsNotAFullPathOrDoesNotFit)
{
    std::string cwd = root + "\\cwd";
    std::string drive = root.substr(0, 2);
    std::string longDir = root + "\\" + std::string(246 - root.size() - 1, 'D');
    ASSERT_EQ(drive[1], ':');
    ASSERT_EQ(longDir.size() + 1 + 13, 260u);
    for (const std::string& dir : {cwd, cwd + "\\sub", longDir}) {
        CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(WriteBytes(dir + (dir == longDir ? "\\oldsig.backu" : "\\oldsig.backup"), "saved program"));
    }
    InDirectory inCwd(cwd);
    ASSERT_TRUE(inCwd.ok);
    const std::string values[] = {"SETUP.EXE", "sub\\SETUP.EXE", drive + "SETUP.EXE",
                                  drive + "sub\\SETUP.EXE", cwd.substr(2) + "\\SETUP.EXE",
                                  cwd.substr(2) + "\\sub\\SETUP.EXE", "\"" + cwd + "\\SETUP.EXE\" /u",
                                  longDir + "\\S.EXE", cwd + "\\" + std::string(300, 'S') + ".EXE"};
    for (const std::string& value : values) {
        ASSERT_TRUE(uninstallString.Set(value));
        RestorePreviousSetupFile();
        for (const std::string& dir : {cwd, cwd + "\\sub", longDir}) {
            EXPECT_FALSE(Exists(dir + "\\sig.exe")) << value;
            DeleteFileA((dir + "\\sig.exe").c_str());
        }
    }
    // The same backup named by a full path is restored.
    ASSERT_TRUE(uninstallString.Set(cwd + "\\sub\\SETUP.EXE"));
    RestorePreviousSetupFile();
    EXPECT_EQ(ReadBytes(cwd + "\\sub\\sig.exe"), "saved program");
}

}  // namespace
