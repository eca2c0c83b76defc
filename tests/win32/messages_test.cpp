// Message texts under Wine: built-in texts, a complete and a partial translation
// from a stand-in TKRES32.DLL, formats that ask for too much, and where the
// library may be loaded from. Boxes are read and answered by the GUI driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "messages.h"
#include "package_files.h"
#include "removal_table.h"
#include "win32_test_support.h"

namespace {

const char kWizardTemplate[] = "This will remove %s from your computer. Click Finish for %s.";
const char kRestartTemplate[] = "%s has been removed. Restart Windows now?";

// Every box the program shows, through the table: caption, icon and text.
std::vector<std::string> ShowAllBoxes()
{
    MessageBoxWatcher watcher({IDOK, IDOK, IDOK, IDOK, IDOK, IDNO, IDOK, IDOK});
    const int ids[] = {MSG_EXITING, MSG_CANT_LOAD_SETUP, MSG_ABORTING, MSG_SETUP_INCOMPLETE,
                       MSG_EXIT_WINDOWS, MSG_CANCEL_QUESTION, MSG_LEFT_BEHIND,
                       MSG_NEEDS_ADMINISTRATOR};
    std::vector<int> results;
    for (int id : ids) results.push_back(ShowTabledMessage(NULL, id));
    EXPECT_EQ(results, (std::vector<int>{IDOK, IDOK, IDOK, IDOK, IDOK, IDNO, IDOK, IDOK}));
    watcher.Stop();
    return watcher.Transcript();
}

class Messages : public StagedMachine {
protected:
    HWND wizardBody = NULL, restartBody = NULL;

    void SetUp() override
    {
        StagedMachine::SetUp();
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
        StagedMachine::TearDown();
    }

    void InstallLibrary(const char* variant)
    {
        ASSERT_TRUE(InstallFixture(variant, "TKRES32.DLL")) << FixturePath(variant, "TKRES32.DLL");
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

TEST_F(Messages, WithoutTheLibraryEveryTextIsBuiltIn)
{
    LoadResourceLibrary();  // the install directory has none
    ASSERT_TRUE(g_hResLib == NULL);
    EXPECT_EQ(ShowAllBoxes(), kBoxes);
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), kUpdatingRegistry);
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, "This will remove Varsen Software from your computer. Click Finish "
                            "for Varsen Software.");
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
}

TEST_F(Messages, ACompleteTranslationReplacesEveryTextAndFillsItsFormats)
{
    InstallLibrary("res_full");
    EXPECT_EQ(ShowAllBoxes(), kGermanBoxes);
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), kGermanUpdatingRegistry);
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, kGermanWizardBody);
    EXPECT_EQ(bodies.second, kGermanRestartBody);
}

TEST_F(Messages, EachMissingNumberOfAPartialTranslationFallsBackOnItsOwn)
{
    InstallLibrary("res_partial");
    std::vector<std::string> expected = kBoxes;
    for (int box : {BOX_EXITING, BOX_CANT_LOAD_SETUP, BOX_EXIT_WINDOWS}) expected[box] = kGermanBoxes[box];
    EXPECT_EQ(ShowAllBoxes(), expected);
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), kGermanUpdatingRegistry);
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first.find("Dieses Programm entfernt Varsen Software"), 0u) << bodies.first;
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
}

TEST_F(Messages, FormatsAskingForMoreThanIsPassedAreNeverUsed)
{
    InstallLibrary("res_bad");
    // "%x %s" for id 3: the built-in text, unformatted.
    EXPECT_EQ(LoadMessageText(MSG_CANT_LOAD_SETUP), TextOf(kBoxes[BOX_CANT_LOAD_SETUP]));
    // "%s %s %s %n" and "%s ... %*d": the template texts.
    auto bodies = DialogBodies();
    EXPECT_EQ(bodies.first, "This will remove Varsen Software from your computer. Click Finish "
                            "for Varsen Software.");
    EXPECT_EQ(bodies.second, "Varsen Software has been removed. Restart Windows now?");
    // Plain texts are shown as they are, never formatted.
    EXPECT_STREQ(LoadMessageText(MSG_EXITING), "Beenden %s");
    // 538 characters: refused, never shown cut to the 512-character buffer.
    EXPECT_STREQ(LoadMessageText(MSG_UPDATING_REGISTRY), kUpdatingRegistry);
    // 511 and its terminator fill the buffer exactly: shown whole.
    EXPECT_EQ(std::string(LoadMessageText(MSG_EXIT_WINDOWS)).size(), 511u);
    // Numbers the library lacks still fall back, and 12 never comes from it.
    EXPECT_EQ(LoadMessageText(MSG_ABORTING), TextOf(kBoxes[BOX_ABORTING]));
    EXPECT_EQ(LoadMessageText(MSG_LEFT_BEHIND), TextOf(kBoxes[BOX_LEFT_BEHIND]));
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
