// The removal run inside a real modal progress dialog (built in memory, with the
// progress bar 1003 and status line 1004): the order of its stages, the texts it
// shows, its boxes and the closing pause.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "messages.h"
#include "file_pass.h"
#include "removal_run.h"
#include "package_files.h"
#include "removal_table.h"
#include "win32_test_support.h"

namespace {

const UINT UM_BEGIN = WM_APP + 1;
const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Files whose state is noted at every status text: a shortcut of the program
// folder and the earlier setup's restored file.
struct CleanupProbe {
    std::string shortcut, restored;
};
CleanupProbe g_probe;

// What the dialog saw while the run went on.
struct RunObservation {
    std::vector<std::string> statusTexts;
    // Per status text: "shortcut" while the shortcut exists, "restored" once the
    // restored file does, "wininit" once wininit.ini is saved.
    std::vector<std::string> cleanupStates;
    int barAtRegistryText = -1;
    DWORD registryTextAt = 0;
    HWND dialog = NULL;
};
RunObservation g_seen;
WNDPROC g_statusProc;
HWND g_bar;

LRESULT CALLBACK RecordingStatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        std::string text = reinterpret_cast<const char*>(lParam);
        g_seen.statusTexts.push_back(text);
        std::string state;
        if (!g_probe.shortcut.empty() && Exists(g_probe.shortcut)) state += " shortcut";
        if (!g_probe.restored.empty() && Exists(g_probe.restored)) state += " restored";
        if (Exists(std::string(g_szWindowsDir) + "\\wininit.ini")) state += " wininit";
        g_seen.cleanupStates.push_back(state);
        if (text == "Uninstall is updating the registry...") {
            g_seen.registryTextAt = GetTickCount();
            g_seen.barAtRegistryText = static_cast<int>(SendMessageA(g_bar, PBM_GETPOS, 0, 0));
        }
    }
    return CallWindowProcA(g_statusProc, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        g_seen.dialog = dialog;
        g_bar = GetDlgItem(dialog, 1003);
        g_statusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(GetDlgItem(dialog, 1004), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
        PostMessageA(dialog, UM_BEGIN, 0, 0);
        return TRUE;
    case UM_BEGIN:
        RunRemoval(dialog, g_bar, GetDlgItem(dialog, 1004));
        return TRUE;
    }
    return FALSE;
}

// A dialog template in memory: a caption, a progress bar and a status line.
class TemplateBuilder {
public:
    std::vector<WORD> words;

    void Add(WORD w) { words.push_back(w); }
    void AddDword(DWORD d)
    {
        Add(LOWORD(d));
        Add(HIWORD(d));
    }
    void AddText(const char* text)
    {
        do Add(static_cast<WORD>(static_cast<unsigned char>(*text))); while (*text++);
    }
    void Align()
    {
        if (words.size() % 2) Add(0);
    }
    void AddItem(DWORD style, short x, short y, short cx, short cy, WORD id, const char* cls)
    {
        Align();
        AddDword(style | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        for (short v : {x, y, cx, cy}) Add(static_cast<WORD>(v));
        Add(id);
        AddText(cls);
        AddText("");
        Add(0);
    }
};

std::vector<WORD> ProgressTemplate()
{
    TemplateBuilder t;
    t.AddDword(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    t.AddDword(0);
    t.Add(2);
    for (short v : {0, 0, 200, 60}) t.Add(static_cast<WORD>(v));
    t.Add(0);  // no menu
    t.Add(0);  // default class
    t.AddText("Progress");
    t.AddItem(WS_BORDER, 10, 30, 180, 10, 1003, PROGRESS_CLASSA);
    t.AddItem(SS_CENTER, 10, 10, 180, 10, 1004, "STATIC");
    return t.words;
}

class RemovalRun : public ::testing::Test {
protected:
    std::string root, install, windows, record;

    void SetUp() override
    {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        root = MakeTestRoot("rr");
        install = root + "\\inst\\";
        windows = root + "\\win";
        record = root + "\\record.txt";
        for (const std::string& dir : {install, root + "\\sys", windows, windows + "\\INF"})
            CreateDirectoryA(dir.c_str(), NULL);
        lstrcpynA(g_szInstallDir, install.c_str(), sizeof g_szInstallDir);
        lstrcpynA(g_szSystemDir, (root + "\\sys").c_str(), sizeof g_szSystemDir);
        lstrcpynA(g_szWindowsDir, windows.c_str(), sizeof g_szWindowsDir);
        ASSERT_EQ(SetInfDirFromWindowsDir(), 1);
        SetEnvironmentVariableA("TKSET_RECORD", record.c_str());
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kRun, "Pelto", "C:\\x.exe"));
        g_seen = RunObservation();
        g_probe = CleanupProbe();
    }

    void TearDown() override
    {
        DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, "Pelto");
        SetEnvironmentVariableA("TKSET_RECORD", NULL);
        RemoveTree(root);
    }

    // Runs the dialog; its result, and the tick count when it had ended.
    INT_PTR RunDialog(DWORD* endedAt)
    {
        std::vector<WORD> dialogTemplate = ProgressTemplate();
        INT_PTR result = DialogBoxIndirectParamA(
            NULL, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), NULL, ProgressProc, 0);
        *endedAt = GetTickCount();
        return result;
    }

    void ExpectFileNamesThenRegistryText()
    {
        ASSERT_EQ(g_seen.statusTexts.size(), static_cast<size_t>(kPackageFileCount) + 1);
        for (int i = 0; i < kPackageFileCount; i++)
            EXPECT_EQ(g_seen.statusTexts[i], kPackageFiles[i].fileName) << i;
        EXPECT_EQ(g_seen.statusTexts.back(), "Uninstall is updating the registry...");
        EXPECT_EQ(g_seen.barAtRegistryText, 100);
    }
};

TEST_F(RemovalRun, RunsEveryStageInOrderAndEndsOneSecondAfterTheRegistryStep)
{
    ASSERT_TRUE(CopyFileA(FixturePath("set_stdcall", "TKSET32.dll").c_str(),
                          (install + "TKSET32.dll").c_str(), FALSE));
    MessageBoxWatcher watcher;
    DWORD endedAt = 0;
    EXPECT_EQ(RunDialog(&endedAt), 1);
    watcher.Stop();
    EXPECT_EQ(watcher.Transcript(), std::vector<std::string>{});
    ExpectFileNamesThenRegistryText();
    DWORD afterRegistryText = endedAt - g_seen.registryTextAt;
    EXPECT_GE(afterRegistryText, 1000u);
    EXPECT_LT(afterRegistryText, 6000u);
    // The setup library was called with the progress dialog as owner, then the plan ran.
    EXPECT_EQ(ReadBytes(record), "load\ncall " +
                                     std::to_string(reinterpret_cast<UINT_PTR>(g_seen.dialog)) +
                                     " 0 []\n");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, "Pelto"), "<none>");
    EXPECT_EQ(ReadBytes(windows + "\\wininit.ini").find("[rename]\r\n"), 0u);
}

TEST_F(RemovalRun, AfterTheMissingLibraryBoxTheDialogStillEndsWithOne)
{
    MessageBoxWatcher watcher;
    DWORD endedAt = 0;
    EXPECT_EQ(RunDialog(&endedAt), 1);
    watcher.Stop();
    ASSERT_EQ(watcher.Transcript(),
              std::vector<std::string>{"Setup|error|ERROR: Can't load TKSET32.dll"});
    BoxRecord box = watcher.Records()[0];
    EXPECT_EQ(box.owner, g_seen.dialog);
    EXPECT_GE(endedAt - box.answeredAt, 1000u);
    EXPECT_LT(endedAt - box.answeredAt, 6000u);
    ExpectFileNamesThenRegistryText();
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, "Pelto"), "C:\\x.exe");
}

TEST_F(RemovalRun, ScheduledDeletionsThatMissTheDiskAreReportedAndTheRunGoesOn)
{
    // A wininit.ini that can be neither read nor replaced.
    ASSERT_TRUE(CreateDirectoryA((windows + "\\wininit.ini").c_str(), NULL));
    MessageBoxWatcher watcher;
    DWORD endedAt = 0;
    EXPECT_EQ(RunDialog(&endedAt), 1);
    watcher.Stop();
    // Only Windows 95/98 read wininit.ini: the NT family has the files on its own list.
    std::vector<std::string> expected = {"Setup|error|ERROR: Can't load TKSET32.dll"};
    if (!IsNtPlatform())
        expected.insert(expected.begin(),
                        "Varsen Uninstall|warning|Uninstall could not schedule all files of "
                        "Varsen Software for removal. Some files will stay on your computer.");
    EXPECT_EQ(watcher.Transcript(), expected);
    for (const BoxRecord& box : watcher.Records()) EXPECT_EQ(box.owner, g_seen.dialog);
    ExpectFileNamesThenRegistryText();
    EXPECT_TRUE(GetFileAttributesA((windows + "\\wininit.ini").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kEarlierSetup[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PeltoSetup";

// With a program folder of shortcuts and an earlier setup's backup staged.
class RemovalRunCleanup : public RemovalRun {
protected:
    std::string savedPrograms, folder, setupDir;

    void SetUp() override
    {
        RemovalRun::SetUp();
        savedPrograms = RegText(HKEY_CURRENT_USER, kShellFolders, "Programs");
        std::string programs = root + "\\Programs";
        folder = programs + "\\Varsen Software";
        setupDir = root + "\\SOMEDIR";
        for (const std::string& dir : {programs, folder, setupDir})
            CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(WriteBytes(folder + "\\Trainer.lnk", "lnk"));
        ASSERT_TRUE(WriteBytes(setupDir + "\\oldsig.backup", "saved program"));
        ASSERT_TRUE(SetRegText(HKEY_CURRENT_USER, kShellFolders, "Programs", programs));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kEarlierSetup, "UninstallString",
                               setupDir + "\\SETUP.EXE"));
        g_probe.shortcut = folder + "\\Trainer.lnk";
        g_probe.restored = setupDir + "\\sig.exe";
    }

    void TearDown() override
    {
        if (savedPrograms == "<none>") DeleteRegValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
        else SetRegText(HKEY_CURRENT_USER, kShellFolders, "Programs", savedPrograms);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetup);
        RemovalRun::TearDown();
    }
};

// The shortcuts and the restored file come after the file pass has saved
// wininit.ini and before the registry text is shown.
TEST_F(RemovalRunCleanup, ShortcutsAndRestoreComeBetweenTheFilePassAndTheRegistryText)
{
    ASSERT_TRUE(CopyFileA(FixturePath("set_stdcall", "TKSET32.dll").c_str(),
                          (install + "TKSET32.dll").c_str(), FALSE));
    DWORD endedAt = 0;
    EXPECT_EQ(RunDialog(&endedAt), 1);
    ExpectFileNamesThenRegistryText();
    ASSERT_EQ(g_seen.cleanupStates.size(), g_seen.statusTexts.size());
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_EQ(g_seen.cleanupStates[i], " shortcut") << g_seen.statusTexts[i];
    EXPECT_EQ(g_seen.cleanupStates.back(), " restored wininit");
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(ReadBytes(setupDir + "\\sig.exe"), "saved program");
}

}  // namespace
