// Message texts under Wine: built-in texts, a complete and a partial translation
// from a stand-in TKRES32.DLL, formats that ask for too much, and where the
// library may be loaded from. Boxes are read and answered by the GUI driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "messages.h"
#include "removal_table.h"
#include "win32_test_support.h"

namespace {

const char kWizardTemplate[] = "This will remove %s from your computer. Click Finish for %s.";
const char kRestartTemplate[] = "%s has been removed. Restart Windows now?";

// Every box the program shows, through the table: caption, icon and text.
std::vector<std::string> ShowAllBoxes()
{
    MessageBoxWatcher watcher({IDOK, IDOK, IDOK, IDOK, IDOK, IDNO, IDOK});
    const int ids[] = {MSG_EXITING, MSG_CANT_LOAD_SETUP, MSG_ABORTING, MSG_SETUP_INCOMPLETE,
                       MSG_EXIT_WINDOWS, MSG_CANCEL_QUESTION, MSG_SCHEDULE_FAILED};
    std::vector<int> results;
    for (int id : ids) results.push_back(ShowTabledMessage(NULL, id));
    EXPECT_EQ(results, (std::vector<int>{IDOK, IDOK, IDOK, IDOK, IDOK, IDNO, IDOK}));
    watcher.Stop();
    return watcher.Transcript();
}

class Messages : public ::testing::Test {
protected:
    std::string root;
    HWND wizardBody = NULL, restartBody = NULL;

    void SetUp() override
    {
        root = MakeTestRoot("msg");
        CreateDirectoryA((root + "\\inst").c_str(), NULL);
        SetInstallDir(root + "\\inst\\");
        wizardBody = CreateWindowExA(0, "STATIC", kWizardTemplate, WS_POPUP, 0, 0, 300, 60, NULL,
                                     NULL, NULL, NULL);
        restartBody = CreateWindowExA(0, "STATIC", kRestartTemplate, WS_POPUP, 0, 0, 300, 60,
                                      NULL, NULL, NULL, NULL);
    }

    void TearDown() override
    {
        FreeResourceLibrary();
        DestroyWindow(wizardBody);
        DestroyWindow(restartBody);
        RemoveTree(root);
    }

    void SetInstallDir(const std::string& dir)
    {
        ASSERT_LT(dir.size(), sizeof g_szInstallDir);
        lstrcpynA(g_szInstallDir, dir.c_str(), sizeof g_szInstallDir);
    }

    void InstallLibrary(const char* variant)
    {
        ASSERT_TRUE(CopyFileA(FixturePath(variant, "TKRES32.DLL").c_str(),
                              (root + "\\inst\\TKRES32.DLL").c_str(), FALSE))
            << FixturePath(variant, "TKRES32.DLL");
        LoadResourceLibrary();
        ASSERT_TRUE(g_hResLib != NULL);
    }

    std::pair<std::string, std::string> DialogBodies()
    {
        LoadDialogText(MSG_WIZARD_BODY, wizardBody);
        LoadDialogText(MSG_RESTART_BODY, restartBody);
        return {WindowText(wizardBody), WindowText(restartBody)};
    }
};

const char kScheduleFailedText[] =
    "Uninstall could not schedule all files of Varsen Software for removal. Some files will "
    "stay on your computer.";

const std::vector<std::string> kBuiltInBoxes = {
    "Varsen Uninstall|warning|Exiting Varsen Software uninstall.",
    "Setup|error|ERROR: Can't load TKSET32.dll",
    "Varsen Uninstall|warning|ERROR: Deleting files - Aborting uninstall.",
    "Setup|error|ERROR: Uninstall is unable to completely remove Varsen Software from your "
    "system.",
    "Varsen Uninstall|error|ERROR: Exiting Windows",
    "Varsen Uninstall|question|Cancel Varsen Software uninstall?",
    std::string("Varsen Uninstall|warning|") + kScheduleFailedText,
};

TEST_F(Messages, WithoutTheLibraryEveryTextIsBuiltIn)
{
    LoadResourceLibrary();  // the install directory has none
    ASSERT_TRUE(g_hResLib == NULL);
    EXPECT_EQ(ShowAllBoxes(), kBuiltInBoxes);
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), "Uninstall is updating the registry...");
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, "This will remove Varsen Software from your computer. Click Finish "
                            "for Varsen Software.");
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
}

TEST_F(Messages, ACompleteTranslationReplacesEveryTextAndFillsItsFormats)
{
    InstallLibrary("res_full");
    EXPECT_EQ(ShowAllBoxes(),
              (std::vector<std::string>{
                  "Varsen Uninstall|warning|Deinstallation von Varsen Software wird beendet.",
                  // id 3 from the library is a format: program name and the number 1.
                  "Setup|error|FEHLER: REMOVR.EXE kann TKSET32.dll nicht laden (Code 1, 100%)",
                  "Varsen Uninstall|warning|FEHLER: Dateien werden geloescht - Deinstallation "
                  "abgebrochen.",
                  "Setup|error|FEHLER: Varsen Software kann nicht vollstaendig entfernt werden.",
                  "Varsen Uninstall|error|FEHLER: Windows wird beendet",
                  "Varsen Uninstall|question|Deinstallation von Varsen Software abbrechen?",
                  // 12 is the program's own: the library's text under it is never shown.
                  kBuiltInBoxes[6],
              }));
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), "Die Registrierung wird aktualisiert...");
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, "Dieses Programm entfernt Varsen Software von Ihrem Computer. Klicken "
                            "Sie auf Fertig stellen, um Varsen Software zu entfernen.");
    EXPECT_EQ(bodies.second, "Varsen Software wurde entfernt. Windows jetzt neu starten?");
}

TEST_F(Messages, EachMissingNumberOfAPartialTranslationFallsBackOnItsOwn)
{
    InstallLibrary("res_partial");
    std::vector<std::string> expected = {
        "Varsen Uninstall|warning|Deinstallation von Varsen Software wird beendet.",
        "Setup|error|FEHLER: REMOVR.EXE kann TKSET32.dll nicht laden (Code 1, 100%)",
        kBuiltInBoxes[2],
        kBuiltInBoxes[3],
        "Varsen Uninstall|error|FEHLER: Windows wird beendet",
        kBuiltInBoxes[5],
        kBuiltInBoxes[6],
    };
    EXPECT_EQ(ShowAllBoxes(), expected);
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), "Die Registrierung wird aktualisiert...");
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first.find("Dieses Programm entfernt Varsen Software"), 0u) << bodies.first;
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
}

TEST_F(Messages, FormatsAskingForMoreThanIsPassedAreNeverUsed)
{
    InstallLibrary("res_bad");
    // "%x %s" for id 3: the built-in text, unformatted.
    EXPECT_STREQ(LoadMessageText(MSG_CANT_LOAD_SETUP), "ERROR: Can't load TKSET32.dll");
    // "%s %s %s %n" and "%s ... %*d": the template texts.
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, "This will remove Varsen Software from your computer. Click Finish "
                            "for Varsen Software.");
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
    // Plain texts are shown as they are, never formatted.
    EXPECT_STREQ(LoadMessageText(MSG_EXITING), "Beenden %s");
    // 538 characters: refused, never shown cut to the 512-character buffer.
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), "Uninstall is updating the registry...");
    // Numbers the library lacks still fall back, and 12 never comes from it.
    EXPECT_STREQ(LoadMessageText(MSG_ABORTING), "ERROR: Deleting files - Aborting uninstall.");
    EXPECT_STREQ(LoadMessageText(MSG_SCHEDULE_FAILED), kScheduleFailedText);
}

TEST_F(Messages, TheLibraryIsLoadedFromTheInstallDirectoryOnly)
{
    // A library in the current directory and on PATH, none in the install directory.
    PlantedOnSearchPath planted(root + "\\planted", "res_full", "TKRES32.DLL");
    ASSERT_TRUE(planted.ok);

    LoadResourceLibrary();
    EXPECT_TRUE(g_hResLib == NULL);
    // An install directory that is no full path is refused outright.
    for (const char* dir : {"", "inst\\", "planted"}) {
        lstrcpynA(g_szInstallDir, dir, sizeof g_szInstallDir);
        LoadResourceLibrary();
        EXPECT_TRUE(g_hResLib == NULL) << dir;
    }
    EXPECT_TRUE(GetModuleHandleA("TKRES32.DLL") == NULL);
}

}  // namespace
