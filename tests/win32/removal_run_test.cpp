// The removal run inside the program's own modal progress dialog: the order of its
// stages, the texts it shows, its boxes and the closing pause.
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
#include "personality_client.h"
#include "removal_table.h"
#include "resource.h"
#include "win32_test_support.h"

namespace {

const UINT UM_BEGIN = WM_APP + 1;
const char* const kRun = kRunKey;

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
HWND g_bar;

void NoteStatus(UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_SETTEXT) return;
    std::string text = reinterpret_cast<const char*>(lParam);
    g_seen.statusTexts.push_back(text);
    std::string state;
    if (!g_probe.shortcut.empty() && Exists(g_probe.shortcut)) state += " shortcut";
    if (!g_probe.restored.empty() && Exists(g_probe.restored)) state += " restored";
    if (Exists(std::string(g_szWindowsDir) + "\\wininit.ini")) state += " wininit";
    g_seen.cleanupStates.push_back(state);
    if (text == kUpdatingRegistry) {
        g_seen.registryTextAt = GetTickCount();
        g_seen.barAtRegistryText = static_cast<int>(SendMessageA(g_bar, PBM_GETPOS, 0, 0));
    }
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        g_seen.dialog = dialog;
        g_bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
        RecordControl(GetDlgItem(dialog, IDC_STATUS_LINE), NoteStatus);
        PostMessageA(dialog, UM_BEGIN, 0, 0);
        return TRUE;
    case UM_BEGIN:
        RunRemoval(dialog, g_bar, GetDlgItem(dialog, IDC_STATUS_LINE));
        return TRUE;
    }
    return FALSE;
}

class RemovalRun : public StagedMachine {
protected:
    ScopedRegText runValue{HKEY_LOCAL_MACHINE, kRun, "Pelto"};

    void SetUp() override
    {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        PersonaHere();
        StagedMachine::SetUp();
        ASSERT_TRUE(runValue.Set("C:\\x.exe"));
        g_seen = RunObservation();
        g_probe = CleanupProbe();
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kPackageKeys[1].path, "Value", "x"));  // registered
    }

    void TearDown() override
    {
        DeleteRegTree(HKEY_LOCAL_MACHINE, kPackageKeys[1].path);
        StagedMachine::TearDown();
    }

    // Runs the program's own progress dialog, read from REMOVR.EXE of the build; its
    // result, and the tick count when it had ended.
    INT_PTR RunDialog(DWORD* endedAt)
    {
        HMODULE program = LoadLibraryExA(BuildFile("..\\removal\\REMOVR.EXE").c_str(), NULL,
                                         LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_TRUE(program != NULL) << BuildFile("..\\removal\\REMOVR.EXE");
        INT_PTR result = DialogBoxParamA(program, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, ProgressProc, 0);
        *endedAt = GetTickCount();
        FreeLibrary(program);
        return result;
    }

    void ExpectFileNamesThenRegistryText()
    {
        ASSERT_EQ(g_seen.statusTexts.size(), static_cast<size_t>(kPackageFileCount) + 1);
        for (int i = 0; i < kPackageFileCount; i++)
            EXPECT_EQ(g_seen.statusTexts[i], kPackageFiles[i].fileName) << i;
        EXPECT_EQ(g_seen.statusTexts.back(), kUpdatingRegistry);
        EXPECT_EQ(g_seen.barAtRegistryText, 100);
    }
};

// With the setup library; without it, when the registry step stays for a next start
// and the user is told in one box; and so with a wininit.ini that can be neither read
// nor replaced as well. Each box is owned by the dialog, which ends with 1 about a
// second after the registry step (or after the last box).
TEST_F(RemovalRun, RunsEveryStageInOrderAndEndsOneSecondAfterTheRegistryStep)
{
    const std::string noSetupBox = kBoxes[BOX_CANT_LOAD_SETUP];
    const std::string leftBox = kBoxes[BOX_LEFT_BEHIND];
    const struct {
        const char* what;
        bool library, blockedWininit;
        std::vector<std::string> boxes9x, boxesNt;
    } runs[] = {
        {"with the setup library", true, false, {}, {}},
        {"without it", false, false, {noSetupBox, leftBox}, {noSetupBox, leftBox}},
        {"wininit.ini a directory", false, true, {noSetupBox, leftBox}, {noSetupBox, leftBox}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        RemovalRun::SetUp();
        ASSERT_TRUE(!run.library || InstallFixture("set_stdcall", "TKSET32.dll"));
        ASSERT_TRUE(!run.blockedWininit || CreateDirectoryA(wininit.c_str(), NULL));
        MessageBoxWatcher watcher;
        DWORD endedAt = 0;
        EXPECT_EQ(RunDialog(&endedAt), 1);
        watcher.Stop();
        EXPECT_EQ(watcher.Transcript(), OnNtFamily() ? run.boxesNt : run.boxes9x);
        for (const BoxRecord& box : watcher.Records()) EXPECT_EQ(box.owner, g_seen.dialog);
        ExpectFileNamesThenRegistryText();
        DWORD last = watcher.Records().empty() ? g_seen.registryTextAt
                                               : watcher.Records().back().answeredAt;
        EXPECT_GE(endedAt - last, 1000u);
        EXPECT_LT(endedAt - last, 6000u);
        // The setup library was called with the progress dialog as owner, then the plan ran.
        EXPECT_EQ(ReadBytes(record), run.library ? "load\ncall " +
                                                       std::to_string(reinterpret_cast<UINT_PTR>(
                                                           g_seen.dialog)) +
                                                       " 0 []\n"
                                                 : "<missing>");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, "Pelto"), run.library ? "<none>" : "C:\\x.exe");
        if (run.blockedWininit) {
            EXPECT_TRUE(GetFileAttributesA(wininit.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        } else {
            EXPECT_EQ(ReadBytes(wininit).find("[rename]\r\n"), OnNtFamily() ? std::string::npos : 0u);
        }
        RemovalRun::TearDown();
    }
}


// With a program folder of shortcuts and an earlier setup's backup staged.
class RemovalRunCleanup : public RemovalRun {
protected:
    ScopedRegText programs{HKEY_CURRENT_USER, kShellFoldersKey, "Programs"};
    ScopedRegText earlierSetup{HKEY_LOCAL_MACHINE, kEarlierSetupKey, "UninstallString"};
    std::string folder, setupDir;

    void SetUp() override
    {
        RemovalRun::SetUp();
        folder = root + "\\Programs\\Varsen Software";
        setupDir = root + "\\SOMEDIR";
        for (const std::string& dir : {root + "\\Programs", folder, setupDir})
            CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(WriteBytes(folder + "\\Trainer.lnk", "lnk"));
        ASSERT_TRUE(WriteBytes(setupDir + "\\oldsig.backup", "saved program"));
        ASSERT_TRUE(programs.Set(root + "\\Programs"));
        ASSERT_TRUE(earlierSetup.Set(setupDir + "\\SETUP.EXE"));
        g_probe.shortcut = folder + "\\Trainer.lnk";
        g_probe.restored = setupDir + "\\sig.exe";
    }
};

// The shortcuts and the restored file come after the file pass and before the
// registry text is shown; wininit.ini is written after the registry step.
TEST_F(RemovalRunCleanup, ShortcutsAndRestoreComeBetweenTheFilePassAndTheRegistryText)
{
    ASSERT_TRUE(InstallFixture("set_stdcall", "TKSET32.dll"));
    DWORD endedAt = 0;
    EXPECT_EQ(RunDialog(&endedAt), 1);
    ExpectFileNamesThenRegistryText();
    ASSERT_EQ(g_seen.cleanupStates.size(), g_seen.statusTexts.size());
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_EQ(g_seen.cleanupStates[i], " shortcut") << g_seen.statusTexts[i];
    EXPECT_EQ(g_seen.cleanupStates.back(), " restored");
    EXPECT_EQ(Exists(wininit), !OnNtFamily());  // the NT family never reads it
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(ReadBytes(setupDir + "\\sig.exe"), "saved program");
}

}  // namespace
