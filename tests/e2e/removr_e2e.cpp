// REMOVR.EXE run whole under Wine from a staged install directory and driven as a
// user would: the wizard, the progress dialog, the restart offer, the closing
// warnings, the version gate, and where each dialog comes up.
// Arguments: REMOVR.EXE, the stand-in TKSET32.dll, the stand-in TKRES32.DLL with
// every text translated, the test library.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <ctime>
#include <string>
#include <vector>

#include "removr_fixture.h"

namespace {

// The boxes as the driver's FullLine reads them: caption|icon|text|owner|buttons,
// the owner as class:title; the progress dialog has no title.
const char kMainWindowClass[] = "Varsen Uninstall";
const std::string kByMain = std::string("|") + kMainWindowClass + ":Varsen Software|ok";
const std::string kByProgress = "|#32770:|";
const std::string kExitingBox = kBoxes[BOX_EXITING] + kByMain;
const std::string kAbortingBox = kBoxes[BOX_ABORTING] + kByMain;
const std::string kCancelQuestion = kBoxes[BOX_CANCEL_QUESTION] + kByProgress + "yes no";
const std::string kNoSetupBox = kBoxes[BOX_CANT_LOAD_SETUP] + kByProgress + "ok";
const std::string kNoSetupBoxByMain = kBoxes[BOX_CANT_LOAD_SETUP] + kByMain;
const std::string kExitWindowsBox = kBoxes[BOX_EXIT_WINDOWS] + "||ok";  // no owner
const std::string kGermanExitingBox = kGermanBoxes[BOX_EXITING] + kByMain;
const std::string kGermanNoSetupBox = kGermanBoxes[BOX_CANT_LOAD_SETUP] + kByProgress + "ok";
// After a run without the setup library: its registry step stays for a next start.
const std::string kLeftBox = kBoxes[BOX_LEFT_BEHIND] + kByProgress + "ok";

std::string NotInstalledBox(const char* dir)
{
    return "Varsen Uninstall|error|Varsen Software is not installed in " + std::string(dir) +
           ". Use Add/Remove Programs in the Control Panel to remove it." + kByMain;
}

// Worked out by hand for the bench's 1024x768 screen. MS Sans Serif 8 has dialog
// base units of 6x13 (x*6/4, y*13/8 pixels, rounded): the progress dialog's 206x81
// units are 309x132, with a modal frame of 3 on each side 315x138; the restart
// offer's 238x130 units are 357x211, with the frame and a caption of 19, 363x236.
// Each centred as the program rounds: left 512 - width/2, top 384 - height/2.
const RECT kProgressRect = {355, 315, 670, 453};
const RECT kRestartRect = {331, 266, 694, 502};

void ExpectRect(HWND window, const RECT& expected, const char* what)
{
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({expected.left, expected.top, expected.right, expected.bottom}))
        << what;
}

// Finish and no restart, with the setup library (loaded, its entry called once with
// no options, no box) and without it (its error box only); and with the uninstall
// entry naming this uninstaller however it spells it: quoted, plain with its spaces,
// in other letter case, in its short form.
TEST_F(RemovrRun, FinishAndDeclineRestart)
{
    const std::string self = installDir + "REMOVR.EXE";
    char shortForm[MAX_PATH] = "", lower[MAX_PATH];
    GetShortPathNameA(self.c_str(), shortForm, MAX_PATH);
    ASSERT_NE(shortForm, self);
    CharLowerA(lstrcpyA(lower, self.c_str()));
    const std::pair<bool, std::string> runs[] = {
        {true, ""}, {false, ""}, {true, "\"" + self + "\""}, {true, self}, {true, lower}, {true, shortForm}};
    for (const auto& [withLibrary, entry] : runs) {
        SCOPED_TRACE((withLibrary ? "with the setup library, entry " : "without it, entry ") + entry);
        ASSERT_TRUE(entry.empty() || SetRegText(HKEY_LOCAL_MACHINE, kPackageKeys[0].path, "UninstallString", entry));
        StagePackage();
        DeleteFileA(setupRecord.c_str());
        DeleteFileA(wininit.c_str());
        if (withLibrary) StageSetupLibrary();  // else the staged TKSET32.DLL, no library
        StartWatched();
        EXPECT_EQ(FinishAndAnswerRestart(IDCANCEL), 0u);
        EXPECT_EQ(FullBoxes(), withLibrary ? std::vector<std::string>()
                                           : std::vector<std::string>({kNoSetupBox, kLeftBox}));
        ExpectPackageFilesRemoved();
        std::string record = ReadBytes(setupRecord);
        if (withLibrary) {
            EXPECT_EQ(record.find("load\ncall "), 0u) << record;
            EXPECT_EQ(record.find(" 0 []\n"), record.size() - 6) << record;
            EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 2) << record;
        } else {
            EXPECT_EQ(record, "<missing>");
        }
        EndRun();
    }
}

// Cancel, Escape, the close box and the taskbar's Close all cancel the wizard, with one warning; on
// Windows 98 and on the NT family. A sheet that cannot be shown is no yes either; a
// user without the rights (in the mode that reports Windows 95 too, and a Power User,
// who may delete but not register for the restart), and a copy started away from the
// package or from the unpacked distribution (its files beside it, while the uninstall
// entry names the installed uninstaller), are told so before any wizard, without the
// warning. Another program's stage messages, posted at the wizard or at that box,
// change nothing. Run again
// in code page 932, where a Japanese warning of 300 characters (630 bytes with its
// blanks) does not fit its 512 bytes and the built-in text is shown, never a cut one;
// in code page 1252 each of its characters is one '?', and it fits.
TEST_F(RemovrRun, CancellingTheWizardWarnsOnceAndRemovesNothing)
{
    const std::string needsAdministrator = kBoxes[BOX_NEEDS_ADMINISTRATOR] + kByMain;
    std::string japanese = g_resourceLibraryPath;
    japanese.replace(japanese.rfind("res_full"), 8, "res_ja_long");
    std::string questionMarks;
    for (int i = 0; i < 30; i++) questionMarks += "?????????? ";
    const std::string longJapanese =
        GetACP() == 932 ? kExitingBox : "Varsen Uninstall|warning|" + questionMarks + kByMain;
    const char* const kUninstallKey = kPackageKeys[0].path;
    const struct {
        const char* way;
        const char* machine;  // a setting of SetMachine
        int setting;  // a PV_ setting of the test library, or -1
        const std::string& box;
        const std::string* library;  // a resource library staged, or none
        bool uninstallKey = false;   // the package's uninstall entry, naming the installed uninstaller
        const char* copy = NULL;     // started from a copy in this folder; with the entry, the distribution's
    } runs[] = {{"Cancel button", "win98", -1, kExitingBox, NULL},
                {"Escape", "win98", -1, kExitingBox, NULL},
                {"close box", "win98", -1, kExitingBox, NULL},
                {"WM_CLOSE, the taskbar's Close", "winxp", -1, kExitingBox, NULL},
                {"Cancel button", "winxp", -1, kExitingBox, NULL},
                {"no sheet", "win98", PV_FAIL_SHEET, kExitingBox, NULL},
                {"no rights", "winxp", PV_LIMITED_USER, needsAdministrator, NULL, true},
                {"no rights, uninstall key gone", "win95 on NT", PV_LIMITED_USER, needsAdministrator, NULL},
                {"Power User", "winxp", PV_POWER_USER, needsAdministrator, NULL, true},
                {"a copy", "win98", -1, NotInstalledBox("C:\\COPY\\"), NULL, false, "C:\\COPY\\"},
                {"a copy", "winxp", -1, NotInstalledBox("C:\\COPY\\"), NULL, false, "C:\\COPY\\"},
                {"the distribution", "win98", -1, NotInstalledBox("C:\\DISK1\\"), NULL, true, "C:\\DISK1\\"},
                {"the distribution", "winxp", -1, NotInstalledBox("C:\\DISK1\\"), NULL, true, "C:\\DISK1\\"},
                {"Cancel button, Japanese", "win98", -1, longJapanese, &japanese}};
    for (const auto& run : runs) {
        SCOPED_TRACE(std::string(run.way) + " " + run.machine);
        SetMachine(run.machine);
        StagePackage();
        StageSetupLibrary();
        DeleteFileA(setupRecord.c_str());
        if (run.library != NULL) StageResourceLibrary(*run.library);
        ASSERT_TRUE(!run.uninstallKey || SetRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                                                    "\"" + installDir + "REMOVR.EXE\""));
        const bool distribution = run.copy && run.uninstallKey;
        if (run.copy) {
            startDir = run.copy;
            CreateDirectoryA(startDir.c_str(), NULL);
            ASSERT_TRUE(CopyFileA(g_removrPath.c_str(), (startDir + "REMOVR.EXE").c_str(), FALSE));
            ASSERT_TRUE(!distribution || CopyFileA(g_setupLibraryPath.c_str(), (startDir + "TKSET32.dll").c_str(), FALSE));
        }
        if (run.setting >= 0) persona.Set(run.setting, 1);
        HWND sheet = NULL;
        if (run.setting >= 0 || run.copy) StartWatched();  // no wizard comes
        else ASSERT_TRUE((sheet = StartToWizard()) != NULL);
        // No removal without Finish, no registry step in a refused run.
        PostStageMessages(sheet == NULL);
        if (run.way[0] == 'C') {
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        } else if (run.way[0] == 'E') {
            HWND focus = Focus() != NULL ? Focus() : sheet;
            PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        } else if (run.way[0] == 'c') {
            PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (run.way[0] == 'W') {
            PostMessageA(FindWindowA(kMainWindowClass, NULL), WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(FullBoxes(), std::vector<std::string>({run.box}));
        ExpectPackageFilesUntouched();
        EXPECT_EQ(ReadBytes(setupRecord), "<missing>");  // the setup library never loaded
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey), run.uninstallKey);
        EXPECT_TRUE(!distribution || Exists(startDir + "TKSET32.dll"));
        DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        EndRun();
        if (run.copy) RemoveTree(startDir.substr(0, startDir.size() - 1));
        startDir.clear();
    }
}

// A second start while the first waits at its wizard (a double click in Add/Remove
// Programs) ends at once with exit code 0 and brings that wizard to the front; one
// removal runs, with one call of the setup library.
TEST_F(RemovrRun, ASecondStartShowsTheFirstAndRemovesOnce)
{
    StageSetupLibrary();
    HWND sheet = StartToWizard();
    ASSERT_TRUE(sheet != NULL);
    HWND elsewhere = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     NULL, NULL, NULL, NULL);
    SetForegroundWindow(elsewhere);
    ASSERT_EQ(GetForegroundWindow(), elsewhere);
    EXPECT_EQ(RunProgram("\"" + installDir + "REMOVR.EXE\""), 0);
    // The system activates the wizard in its own thread: a moment later.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == sheet; }, kWindowTimeout)) << GetForegroundWindow();
    DestroyWindow(elsewhere);
    EXPECT_EQ(FinishAndAnswerRestart(IDCANCEL), 0u);
    EXPECT_EQ(FullBoxes(), std::vector<std::string>());
    std::string record = ReadBytes(setupRecord);
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 2) << record;
    ExpectPackageFilesRemoved();
}

TEST_F(RemovrRun, RefusesWindowsBelow312WithoutAWindow)
{
    SetProgramVersion("win31");
    Start();
    std::vector<HWND> shown;
    bool exited = WaitUntil(
        [&] {
            if (shown.empty()) shown = VisibleWindowsOf(process.dwProcessId);
            return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        },
        kExitTimeout);
    ASSERT_TRUE(exited);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_TRUE(shown.empty()) << WindowClass(shown[0]) << " " << WindowText(shown[0]);
    ExpectPackageFilesUntouched();
}

// A Cancel that reaches the progress dialog once it is on screen but before its first
// paint: the test library posts it as the dialog is shown. The question's own message
// loop then paints the dialog.
TEST_F(RemovrRun, EarlyCancelNoLetsTheRunGoOn)
{
    StageSetupLibrary();
    persona.Set(PV_CANCEL_PROGRESS_EARLY, 1);
    StartWatched({IDNO});
    EXPECT_EQ(FinishAndAnswerRestart(IDCANCEL), 0u);
    EXPECT_EQ(persona.Get(PV_PROGRESS_CANCELS_POSTED), 1);
    EXPECT_EQ(FullBoxes(), std::vector<std::string>({kCancelQuestion}));
    ExpectPackageFilesRemoved();
}

// A close at the question says Yes as well (the run has not begun). A progress dialog
// that cannot be made (-1) goes the same way, without the question.
TEST_F(RemovrRun, EarlyCancelYesAbortsBeforeAnyRemoval)
{
    StageSetupLibrary();
    for (int answer : {IDYES, 0, -1}) {
        const bool made = answer >= 0;
        SCOPED_TRACE(answer);
        persona.Set(made ? PV_CANCEL_PROGRESS_EARLY : PV_FAIL_DIALOG, made ? 1 : 104);
        HWND sheet = StartToWizard({made ? answer : IDOK, IDOK, IDOK});
        ASSERT_TRUE(sheet != NULL);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        if (answer == 0 && watcher->WaitForBoxes(1, kWindowTimeout))
            PostMessageA(FindWindowA(kMainWindowClass, NULL), WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExit(), 0u);
        std::vector<std::string> boxes = {kAbortingBox, kExitingBox};
        if (made) boxes.insert(boxes.begin(), kCancelQuestion);
        EXPECT_EQ(FullBoxes(), boxes);
        // The question was open over the dialog's first paint: the run must not have run.
        ExpectPackageFilesUntouched();
        EXPECT_EQ(ReadBytes(setupRecord), "<missing>");
        EndRun();
    }
}

// Each window's title as the taskbar and the title bars show it.
TEST_F(RemovrRun, DialogsComeUpCentredAtTemplateSizeWithTheirTitles)
{
    StageSetupLibrary();
    HWND sheet = StartToWizard();
    ASSERT_TRUE(sheet != NULL);
    HWND main = FindWindowWithin(kMainWindowClass, NULL, process.dwProcessId, kWindowTimeout);
    EXPECT_EQ(WindowText(main), "Varsen Software");
    EXPECT_EQ(WindowText(sheet), "Varsen Software Uninstall");  // the page's title
    EXPECT_TRUE(ButtonOffered(sheet, IDCANCEL));
    EXPECT_FALSE(ButtonOffered(sheet, kBackButton));
    EXPECT_FALSE(ButtonOffered(sheet, kNextButton));
    // The property sheet's own layout sets the wizard's size: centred within a pixel.
    RECT w;
    GetWindowRect(sheet, &w);
    EXPECT_LE(abs(w.left + w.right - 1024), 1) << w.left << " " << w.right;
    EXPECT_LE(abs(w.top + w.bottom - 768), 1) << w.top << " " << w.bottom;
    HWND page = FindWindowExA(sheet, NULL, "#32770", NULL);
    std::string body = WindowText(GetDlgItem(page, 1001));
    EXPECT_EQ(body,
              "Uninstall is going to remove the Varsen Software from your computer.  \n\nAre you "
              "sure you want to completely remove Varsen Software from your system? Press the "
              "'Finish' button to proceed or the 'Cancel' button to end Uninstall.");

    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    HWND progress = Progress();
    ASSERT_TRUE(progress != NULL);
    ExpectRect(progress, kProgressRect, "progress");
    EXPECT_EQ(WindowText(progress), "");

    HWND restart = Restart();
    ASSERT_TRUE(restart != NULL);
    ExpectRect(restart, kRestartRect, "restart");
    EXPECT_EQ(WindowText(restart), "Restarting Windows");
    EXPECT_EQ(WindowText(GetDlgItem(restart, 202)),
              "Uninstall has finished removing Varsen Software from your computer.  Before the "
              "new settings will take effect, you must restart your computer.. \n\nDo you wish to "
              "restart your computer now?");
    // Enter chooses OK: it is the default button and has the focus.
    EXPECT_EQ(SendMessageA(restart, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    EXPECT_EQ(Focus(), GetDlgItem(restart, IDOK));
    PressButton(restart, IDCANCEL);
    EXPECT_EQ(WaitForExit(), 0u);
}

// With the program idle at the wizard, the backdrop is painted a few times at most,
// never over and over.
TEST_F(RemovrRun, BackdropPaintingSettles)
{
    HWND sheet = StartToWizard();
    ASSERT_TRUE(sheet != NULL);
    auto paints = [&] { return persona.Get(PV_MAIN_PAINTS); };
    // Invalidate the backdrop once: it must be painted again, and then settle.
    persona.Set(PV_MAIN_PAINTS, 0);
    InvalidateRect(FindWindowA(kMainWindowClass, NULL), NULL, TRUE);
    ASSERT_TRUE(WaitUntil([&] { return paints() >= 1; }, kWindowTimeout));
    LONG settled = paints();
    // An observation window, not a wait for a state: count what happens in it.
    DWORD start = GetTickCount();
    WaitUntil([&] { return GetTickCount() - start >= 2000; }, 3000);
    EXPECT_LE(paints() - settled, 1) << "paints in two idle seconds";
    EXPECT_LE(settled, 3) << "paints for one invalidation";
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// The package's resource library replaces every text the user reads: the wizard's
// body, the boxes, the status line and the restart offer, each with the product name.
TEST_F(RemovrRun, ResourceLibraryTranslatesEveryText)
{
    StageResourceLibrary();
    {
        SCOPED_TRACE("wizard cancelled");
        HWND sheet = StartToWizard();
        ASSERT_TRUE(sheet != NULL);
        HWND page = FindWindowExA(sheet, NULL, "#32770", NULL);
        EXPECT_EQ(WindowText(GetDlgItem(page, 1001)), kGermanWizardBody);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(FullBoxes(), std::vector<std::string>({kGermanExitingBox}));
        ExpectPackageFilesUntouched();
        EndRun();
    }
    {
        // Without TKSET32.dll the registry step shows its error box: the status line
        // holds its text from before that box until the dialog closes.
        SCOPED_TRACE("finished without the setup library");
        StageResourceLibrary();
        HWND sheet = StartToWizard();
        ASSERT_TRUE(sheet != NULL);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        HWND progress = Progress();
        ASSERT_TRUE(progress != NULL);
        // Read without a message: the dialog's thread is busy with the removal.
        HWND status = GetDlgItem(progress, 1004);
        std::string seen;
        EXPECT_TRUE(WaitUntil(
            [&] {
                char text[512] = "";
                GetWindowTextA(status, text, sizeof text);
                seen = text;
                return seen == kGermanUpdatingRegistry;
            },
            kWindowTimeout))
            << "status line: " << seen;
        HWND restart = Restart();
        ASSERT_TRUE(restart != NULL);
        EXPECT_EQ(WindowText(GetDlgItem(restart, 202)), kGermanRestartBody);
        PressButton(restart, IDCANCEL);
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(FullBoxes(), std::vector<std::string>({kGermanNoSetupBox, kLeftBox}));
        ExpectPackageFilesRemoved();
    }
}

// Restarts asked for with the program's ExitWindowsEx import pointed at the test
// library's recorder. A real EWX_REBOOT under Wine returns TRUE at once; wineboot
// then asks the processes of the prefix in the order of their ids and ends each one
// that agrees, up to the first that refuses: a refusing window of the test would
// still see the bench's keeper ended.
class AcceptedRestart : public RemovrRun {
protected:
    // Starts the program (its boxes watched), the recorder answering answer.
    void StartWithRecorder(BOOL answer)
    {
        persona.Set(PV_EXIT_ANSWER, answer);
        StageSetupLibrary();
        StartWatched();
    }
};

// Enter takes the default OK: one request for a reboot; once it is under way the
// program ends quietly.
TEST_F(AcceptedRestart, EnterAsksForOneRebootAndEndsQuietly)
{
    StartWithRecorder(TRUE);
    HWND restart = FinishToRestartOffer();
    ASSERT_TRUE(restart != NULL);
    HWND ok = GetDlgItem(restart, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return Focus() == ok; }, kWindowTimeout));
    PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(ok, WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(persona.Get(PV_EXIT_REQUESTS), 1);
    EXPECT_EQ(persona.Get(PV_LAST_EXIT_FLAGS), static_cast<LONG>(EWX_REBOOT));
    EXPECT_EQ(FullBoxes(), std::vector<std::string>());
    ExpectPackageFilesRemoved();
}

// A refused restart is reported once, as an error, and the program still ends
// normally: no closing warning, exit code 0.
TEST_F(AcceptedRestart, RefusedRebootShowsTheExitWindowsError)
{
    StartWithRecorder(FALSE);
    EXPECT_EQ(FinishAndAnswerRestart(IDOK), 0u);
    EXPECT_EQ(persona.Get(PV_EXIT_REQUESTS), 1);
    EXPECT_EQ(persona.Get(PV_LAST_EXIT_FLAGS), static_cast<LONG>(EWX_REBOOT));
    EXPECT_EQ(FullBoxes(), std::vector<std::string>({kExitWindowsBox}));
    ExpectPackageFilesRemoved();
}

// The visible message boxes of the process, now.
std::vector<HWND> MessageBoxesOf(DWORD processId)
{
    std::vector<HWND> boxes;
    for (HWND window : VisibleWindowsOf(processId))
        if (IsMessageBox(window)) boxes.push_back(window);
    return boxes;
}

// The one message box of the process, polled with a deadline; left unanswered.
HWND FindMessageBox(DWORD processId)
{
    std::vector<HWND> boxes;
    WaitUntil([&] { return !(boxes = MessageBoxesOf(processId)).empty(); }, kWindowTimeout);
    return boxes.size() == 1 ? boxes[0] : NULL;
}

const UINT kRunSetupRemoval = WM_USER + 10;
const char* const kPlanKey = kPackageKeys[1].path;

// Runs whose message boxes the test answers itself, at the moment it chooses, with
// the test library counting what reaches the progress dialog.
class DrivenRun : public RemovrRun {
protected:
    void TearDown() override
    {
        RemovrRun::TearDown();
        SetEnvironmentVariableA("TKSET_ASK", NULL);
        DeleteRegValue(HKEY_LOCAL_MACHINE, kRunKey, "Pelto");
        DeleteRegTree(HKEY_LOCAL_MACHINE, kPlanKey);
    }

    // Starts the program (the Cancel posted early or not) and presses Finish: the
    // progress dialog, with the run's one box up over it (in *box), which must read
    // expected; NULL when not so.
    HWND FinishToBox(bool cancelEarly, const std::string& expected, HWND* box)
    {
        *box = NULL;
        persona.Set(PV_CANCEL_PROGRESS_EARLY, cancelEarly);
        Start();
        HWND sheet = ReadyWizard();
        if (sheet == NULL) return NULL;
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        HWND progress = Progress();
        *box = progress != NULL ? FindMessageBox(process.dwProcessId) : NULL;
        EXPECT_TRUE(*box != NULL) << "no box over the progress dialog";
        if (*box == NULL) return NULL;
        EXPECT_EQ(FullLine(ReadMessageBox(*box)), expected);
        return progress;
    }

    // Invalidates the dialog and waits for each paint to reach it. A paint is counted
    // as it is taken from the queue, before its BeginPaint validates the dialog: an
    // invalidation that falls between the two is swallowed, so it is made again
    // until a paint taken after it is counted.
    void Repaint(HWND dialog, int times)
    {
        for (int i = 0; i < times; i++) {
            LONG before = persona.Get(PV_PROGRESS_PAINTS);
            ASSERT_TRUE(WaitUntil(
                [&] {
                    if (persona.Get(PV_PROGRESS_PAINTS) > before) return true;
                    InvalidateRect(dialog, NULL, TRUE);
                    return false;
                },
                kWindowTimeout))
                << "paint " << i;
        }
    }

    // The box answered and the restart offer declined: a quiet end, after one run
    // that removed the package.
    void AnswerAndEndAfterOneRun(HWND box, int answer)
    {
        // Without the setup library the run tells that its registry step stays.
        const bool noSetup = FullLine(ReadMessageBox(box)) == kNoSetupBox;
        PressButton(box, answer);
        HWND left = NULL;
        if (noSetup) {
            WaitUntil([&] { for (HWND b : MessageBoxesOf(process.dwProcessId)) if (b != box) left = b; return left != NULL; },
                      kWindowTimeout);
            ASSERT_TRUE(left != NULL);
            EXPECT_EQ(FullLine(ReadMessageBox(left)), kLeftBox);
            PressButton(left, IDOK);
        }
        HWND restart = Restart();
        ASSERT_TRUE(restart != NULL);
        EXPECT_EQ(MessageBoxesOf(process.dwProcessId).size(), 0u);
        PressButton(restart, IDCANCEL);
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(persona.Get(PV_REMOVAL_RUNS), 1);
        ExpectPackageFilesRemoved();
    }
};

// Another party's UM_RUN_SETUP_REMOVAL, posted while the wizard waits: the registry
// step runs with the main window as owner (of the library's call, or of its error box
// when it is missing), then the restart offer; closing after it shows no warning, and
// the file pass never runs.
TEST_F(DrivenRun, SetupRemovalMessageRunsTheRegistryStepThenOffersTheRestart)
{
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kRunKey, "Pelto", "C:\\x.exe"));
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, std::string(kPlanKey) + "\\Sub", "v", "x"));
    for (bool withLibrary : {true, false}) {
        SCOPED_TRACE(withLibrary ? "with the setup library" : "without the setup library");
        withLibrary ? StageSetupLibrary() : StagePackage();  // else TKSET32.dll a plain file
        HWND sheet = StartToWizard();
        ASSERT_TRUE(sheet != NULL);
        HWND main = FindWindowWithin(kMainWindowClass, NULL, process.dwProcessId, kWindowTimeout);
        ASSERT_TRUE(main != NULL);
        // Heard once: a second one, still waiting as the restart offer comes, does nothing.
        ASSERT_TRUE(PostMessageA(main, kRunSetupRemoval, 0, 0) && PostMessageA(main, kRunSetupRemoval, 0, 0));
        HWND restart = Restart();
        ASSERT_TRUE(restart != NULL);
        if (withLibrary) {
            EXPECT_EQ(ReadBytes(setupRecord),
                      "load\ncall " + std::to_string(reinterpret_cast<UINT_PTR>(main)) + " 0 []\n");
            EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRunKey, "Pelto"), "<none>");
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPlanKey));
        }
        PressButton(restart, IDCANCEL);
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(FullBoxes(), withLibrary ? std::vector<std::string>()
                                           : std::vector<std::string>({kNoSetupBoxByMain}));
        ExpectPackageFilesUntouched();
        EndRun();
    }
}

// The progress dialog painted again and again while the run's own error box is up
// (the box's loop paints it): the run started once, by one start message.
TEST_F(DrivenRun, RepaintsDuringTheRunStartNoSecondRun)
{
    HWND box;
    HWND progress = FinishToBox(false, kNoSetupBox, &box);
    ASSERT_TRUE(progress != NULL);
    Repaint(progress, 3);
    AnswerAndEndAfterOneRun(box, IDOK);
    EXPECT_EQ(persona.Get(PV_PROGRESS_STARTS), 1);
    EXPECT_GE(persona.Get(PV_PROGRESS_PAINTS), 4);
}

// Repaints under the cancel question start nothing; after No the run starts once.
TEST_F(DrivenRun, RepaintsUnderTheCancelQuestionStartNothing)
{
    StageSetupLibrary();
    HWND question;
    HWND progress = FinishToBox(true, kCancelQuestion, &question);
    ASSERT_TRUE(progress != NULL);
    Repaint(progress, 3);
    EXPECT_EQ(persona.Get(PV_REMOVAL_RUNS), 0);
    AnswerAndEndAfterOneRun(question, IDNO);
}

// A Cancel that reaches the progress dialog while the setup library's error box is
// up: the run has begun, so no question comes and the dialog still ends with 1.
// Another program's stage messages then start nothing: no second registry step, no
// wizard, no restart offer before its turn.
TEST_F(DrivenRun, ACancelDuringTheSetupErrorBoxIsNotHeard)
{
    HWND box;
    HWND progress = FinishToBox(false, kNoSetupBox, &box);
    ASSERT_TRUE(progress != NULL);
    PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    PostStageMessages(true);
    // Taken after the Cancel: a question box, had one come, would be up by then.
    PostMessageA(progress, WM_NULL, PROGRESS_MARKER, 0);
    ASSERT_TRUE(WaitUntil([&] { return persona.Get(PV_PROGRESS_MARKERS) >= 1; }, kWindowTimeout));
    EXPECT_EQ(persona.Get(PV_PROGRESS_CANCELS), 1);
    EXPECT_EQ(MessageBoxesOf(process.dwProcessId), std::vector<HWND>({box}));
    EXPECT_TRUE(DialogWithControl(process.dwProcessId, 202) == NULL && DialogWithControl(process.dwProcessId, 1001) == NULL);
    AnswerAndEndAfterOneRun(box, IDOK);
}

// Windows shut down as the system does it: every top-level window of the program is
// asked, and told whether the session ends; true when every one agreed (the system
// then ends the program, as the test does).
bool EndSession(const PROCESS_INFORMATION& process)
{
    std::vector<HWND> windows = VisibleWindowsOf(process.dwProcessId);
    bool agreed = true;
    for (HWND window : windows) {
        DWORD_PTR answer = 0;
        agreed = SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kWindowTimeout, &answer) &&
                 answer && agreed;
    }
    for (HWND window : windows) SendMessageTimeoutA(window, WM_ENDSESSION, agreed, 0, SMTO_NORMAL, kWindowTimeout, NULL);
    if (agreed) TerminateProcess(process.hProcess, 0);
    return agreed;
}

// A shutdown never cuts the removal: at the wizard the session ends and nothing has
// changed; under a box of the run it is refused and the run ends whole; at the restart
// offer it ends, the removal done. On Windows 98 and on the NT family.
TEST_F(DrivenRun, AShutdownWaitsForTheRemovalOnly)
{
    SetEnvironmentVariableA("TKSET_ASK", "1");
    for (const char* machine : {"win98", "winxp"}) {
        SCOPED_TRACE(machine);
        SetMachine(machine);
        StagePackage();
        StageSetupLibrary();
        DeleteFileA(setupRecord.c_str()), DeleteFileA(wininit.c_str()), ClearPendingRenames();
        const std::string entry = kPackageKeys[0].path;
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, entry, "UninstallString", installDir + "REMOVR.EXE"));
        ASSERT_TRUE(StartToWizard() != NULL);
        EXPECT_TRUE(EndSession(process));
        WaitForExit();
        ExpectPackageFilesUntouched();
        EXPECT_EQ(ReadBytes(setupRecord), "<missing>");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, entry));
        EndRun();

        SetMachine(machine);
        HWND box;
        ASSERT_TRUE(FinishToBox(false, "Setup|question|Remove the shared settings too?" + kByProgress + "yes no", &box) != NULL);
        EXPECT_FALSE(EndSession(process));
        EXPECT_EQ(MessageBoxesOf(process.dwProcessId), std::vector<HWND>({box}));
        PressButton(box, IDNO);
        ASSERT_TRUE(Restart() != NULL);
        EXPECT_TRUE(EndSession(process));
        WaitForExit();
        ExpectPackageFilesRemoved();
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
        EndRun();
    }
}

// The user's own hands, on Windows 98 and on the NT family (in the mode that reports
// Windows 95 too): End Task under the setup
// library's own box, the program started again (after a restart or not), closed from
// the taskbar at the progress dialog before the run, under that box and at the restart
// offer; started once more after the declined restart, and the distribution's copy
// once the package is gone, closed at its box. A close during the run is held and the
// run ends whole; nothing is scheduled twice, nor is the library's share run twice.
TEST_F(DrivenRun, ClosedOrEndedRemovalsFinishOnceAndAreNeverRepeated)
{
    const std::string ask = "Setup|question|Remove the shared settings too?" + kByProgress + "yes no";
    SetEnvironmentVariableA("TKSET_ASK", "1");
    for (const char* machine : {"win98", "winxp", "win95 on NT"})
        for (bool restarted : {false, true}) {
            if (machine[5] != '\0' && !restarted) continue;  // the mode once
            SCOPED_TRACE(std::string(machine) + (restarted ? ", restarted between" : ""));
            SetMachine(machine);
            StagePackage();
            StageSetupLibrary();
            DeleteFileA(setupRecord.c_str());
            HWND box;
            ASSERT_TRUE(FinishToBox(false, ask, &box) != NULL);
            TerminateProcess(process.hProcess, 1);
            WaitForExit();
            EndRun();
            ASSERT_TRUE(!restarted || RunWineboot("-r") == 0);

            SetMachine(machine);
            Start();
            HWND sheet = ReadyWizard(), main = FindWindowA(kMainWindowClass, NULL);
            ASSERT_TRUE(sheet != NULL);
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
            PostMessageA(main, WM_CLOSE, 0, 0);
            HWND progress = Progress();
            ASSERT_TRUE((box = FindMessageBox(process.dwProcessId)) != NULL);
            PostMessageA(main, WM_CLOSE, 0, 0);
            PostMessageA(progress, WM_NULL, PROGRESS_MARKER, 0);
            ASSERT_TRUE(WaitUntil([&] { return persona.Get(PV_PROGRESS_MARKERS) >= 1; }, kWindowTimeout));
            EXPECT_EQ(MessageBoxesOf(process.dwProcessId), std::vector<HWND>({box}));
            EXPECT_EQ(FullLine(ReadMessageBox(box)), ask);
            PressButton(box, IDNO);
            ASSERT_TRUE(Restart() != NULL);
            PostMessageA(main, WM_CLOSE, 0, 0);
            EXPECT_EQ(WaitForExit(), 0u);
            EXPECT_EQ(persona.Get(PV_EXIT_REQUESTS), 0);
            ExpectPackageFilesRemoved();
            std::string record = ReadBytes(setupRecord), scheduled = ReadBytes(wininit), pending = PendingRenames();
            EXPECT_EQ(Occurrences(record, "load\n"), 2) << record;  // one share run to its end
            EXPECT_EQ(Occurrences(record, "call "), 1) << record;
            EndRun();

            // Only the restart is left: offered at once, and nothing changes.
            SetMachine(machine);
            HWND restart = (StartWatched(), Restart());
            ASSERT_TRUE(restart != NULL);
            EXPECT_EQ(WindowText(GetDlgItem(restart, 202)), kOnlyRestartLeftBody);
            PostMessageA(main = FindWindowA(kMainWindowClass, NULL), WM_CLOSE, 0, 0);
            EXPECT_EQ(WaitForExit(), 0u);
            EXPECT_EQ(FullBoxes(), std::vector<std::string>());
            EXPECT_EQ(ReadBytes(wininit) + PendingRenames() + ReadBytes(setupRecord), scheduled + pending + record);
            EndRun();

            ASSERT_EQ(RunWineboot("-r"), 0);
            for (const RemovalEntry& entry : kPackageFiles) EXPECT_FALSE(Exists(PackagePath(entry))) << entry.fileName;
            startDir = "C:\\DISK1\\";
            CreateDirectoryA(startDir.c_str(), NULL);
            ASSERT_TRUE(CopyFileA(g_removrPath.c_str(), (startDir + "REMOVR.EXE").c_str(), FALSE) &&
                        CopyFileA(g_setupLibraryPath.c_str(), (startDir + "TKSET32.dll").c_str(), FALSE));
            SetMachine(machine);
            StartWatched({0});
            ASSERT_TRUE(watcher->WaitForBoxes(1, kWindowTimeout));
            PostMessageA(FindWindowA(kMainWindowClass, NULL), WM_CLOSE, 0, 0);
            EXPECT_EQ(WaitForExit(), 0u);
            EXPECT_EQ(FullBoxes(), std::vector<std::string>({NotInstalledBox("C:\\DISK1\\")}));
            EXPECT_EQ(ReadBytes(setupRecord), record);
            EXPECT_TRUE(Exists(startDir + "TKSET32.dll"));
            EndRun();
            RemoveTree("C:\\DISK1");
            startDir.clear();
        }
}

// The package's values in keys that others share; another maker's Run value and Mouse
// page handler, kept by every removal, as is that maker's part of wininit.ini.
const std::pair<const char*, const char*> kPackageValues[] = {
    {kRunKey, kRunValues[0]}, {kRunKey, kRunValues[1]}, {kRunKey, kRunValues[2]}, {kHelpKey, "PELTO.HLP"}};
const std::string kOtherId = "{5d0c9a41-2b7e-4f38-9c61-7e2a0b4d8f13}";
const std::string kOtherValues[][3] = {
    {kRunKey, "OtherMouse", "C:\\OTHER\\MOUSE.EXE"},
    {std::string(kMouseKey) + "\\shellex\\PropertySheetHandlers\\" + kOtherId, "", kOtherId}};
const std::string kOtherFile = "C:\\OTHER\\OLD.TMP", kOtherSection = "[OtherMouse]\r\nspeed=3\r\n";

// The Nth change goes wrong: the program ends before it (a power cut, a crash, End
// Task), with or without a restart before the next start, or a power cut that also
// loses what the caches held, or the call fails once.
struct SweepMode { const char* name; int setting; bool restartBetween; };
const SweepMode kSweepModes[] = {{"cut", PV_CUT_AT, false}, {"cut, restarted", PV_CUT_AT, true},
                                 {"power cut", PV_POWER_CUT_AT, true}, {"failed", PV_FAIL_AT, true}};
// Installs differ: the whole package, one without its driver (an NT install) and alone
// on the Mouse pages, so that their keys are emptied, one without a key of the plan.
const char* const kInstalls[] = {"whole", "no PELTO.VXD, no other Mouse page", "no key"};
const LONG kAfterRun = 9999;  // a power cut once the program has ended

// The whole package beside another maker's entries, and runs that go wrong at one call.
class SweepRun : public DrivenRun {
protected:
    std::string folder, shortcuts[4];  // the program folder; its three shortcuts, then Startup's
    bool otherSectionCarried = false;  // a restart carried out a wininit.ini that kept it
    bool nt = false;                   // whose restart never reads wininit.ini
    std::string install;               // of kInstalls
    const PackageKey* missing = NULL;  // the key of the plan the install lacks

    void TearDown() override
    {
        DrivenRun::TearDown();
        for (const PackageKey& key : kPackageKeys) DeleteRegTree(key.root, key.path);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kMouseKey);
        for (const auto& value : kPackageValues) DeleteRegValue(HKEY_LOCAL_MACHINE, value.first, value.second);
        DeleteRegValue(HKEY_LOCAL_MACHINE, kRunKey, kOtherValues[0][1].c_str());
        for (const std::string& path : shortcuts) DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
        RemoveTree("C:\\OTHER");
        DeleteFileA(WininitCopy(wininit, "bak").c_str());
    }

    // The package's registry items: all of them (""), or the one a change of the log names.
    void StageRegistry(const std::string& name)
    {
        auto other = [&](const char* item) { return !name.empty() && name != item + std::string(item).rfind('\\') + 1; };
        for (const PackageKey& key : kPackageKeys)
            EXPECT_TRUE(other(key.path) || &key == missing || SetRegText(key.root, key.path, "Value", "x"));
        EXPECT_TRUE(other("\\Pelto95") || SetRegText(HKEY_LOCAL_MACHINE, kPackageKeys[0].path, "UninstallString", installDir + "REMOVR.EXE"));
        for (const auto& value : kPackageValues)
            EXPECT_TRUE(other(value.second) || SetRegText(HKEY_LOCAL_MACHINE, value.first, value.second, installDir));
    }

    void StageWhole()
    {
        folder = RegText(HKEY_CURRENT_USER, kShellFoldersKey, "Programs") + "\\Varsen Software";
        for (int i = 0; i < 3; i++) shortcuts[i] = folder + "\\" + kShortcuts[i];
        shortcuts[3] = RegText(HKEY_CURRENT_USER, kShellFoldersKey, "Startup") + "\\" + kShortcuts[0];
        StagePackage();
        StageSetupLibrary();
        DeleteFileA(setupRecord.c_str());
        for (const PackageKey& key : kPackageKeys) DeleteRegTree(key.root, key.path);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kMouseKey);
        StageRegistry("");
        if (install == kInstalls[1]) DeleteFileA(PackagePath(kPackageFiles[29]).c_str());
        for (const auto& value : kOtherValues)
            ASSERT_TRUE(OtherValue(value) == "<none>" || SetRegText(HKEY_LOCAL_MACHINE, value[0], value[1].c_str(), value[2]));
        CreateDirectoryA(folder.c_str(), NULL);
        CreateDirectoryA("C:\\OTHER", NULL);
        for (const std::string& path : shortcuts) WriteSmallFile(path);
        WriteSmallFile(kOtherFile);
        for (const char* ext : {"rvn", "rvo", "bak"}) DeleteFileA(WininitCopy(wininit, ext).c_str());
        ASSERT_TRUE(WriteBytes(wininit, kOtherSection + "[rename]\r\nNUL=" + kOtherFile + "\r\n"));
        ClearPendingRenames();
        // On the NT family the other maker's deletion is in the system's list.
        ASSERT_TRUE(!nt || SetRegText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                                      "PendingFileRenameOperations", "\\??\\" + kOtherFile + std::string(2, '\0'), REG_MULTI_SZ));
        otherSectionCarried = false;
    }

    std::string OtherValue(const std::string (&value)[3]) { return &value != kOtherValues && install == kInstalls[1] ? "<none>" : value[2]; }  // in this install

    // What is left of the package: files, the mark, keys, values, shortcuts, folder,
    // the Mouse keys where the package was alone there.
    std::vector<std::string> Leftovers()
    {
        std::vector<std::string> left;
        if (install == kInstalls[1] && KeyExists(HKEY_LOCAL_MACHINE, kMouseKey)) left.push_back(kMouseKey);
        for (const RemovalEntry& entry : kPackageFiles)
            if (Exists(PackagePath(entry))) left.push_back(entry.fileName);
        for (const PackageKey& key : kPackageKeys) if (KeyExists(key.root, key.path)) left.push_back(key.path);
        for (const auto& value : kPackageValues)
            if (RegText(HKEY_LOCAL_MACHINE, value.first, value.second) != "<none>") left.push_back(value.second);
        for (const std::string& path : shortcuts) if (Exists(path)) left.push_back(path);
        for (const std::string& path : {folder, installDir + "REMOVR.RUN"}) if (Exists(path)) left.push_back(path);
        return left;
    }

    // Wine's restart, once no file is found scheduled twice; noted when it carries out
    // a wininit.ini with the other maker's section (Wine keeps it as wininit.bak). An
    // NT restart never reads wininit.ini: it is kept away from Wine's.
    void Reboot()
    {
        const std::string text = ReadBytes(wininit), pending = PendingRenames(), away = wininit + ".nt";
        char shortPath[MAX_PATH];
        for (const RemovalEntry& entry : kPackageFiles) {
            const std::string path = PackagePath(entry);
            if (GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) == 0) continue;  // gone already
            EXPECT_LE(Occurrences(text, std::string("NUL=") + shortPath + "\r\n"), 1) << path << " in\n" << text;
            EXPECT_LE(Occurrences(pending, "\\??\\" + path + '\0'), 1) << path;
        }
        EXPECT_LE(Occurrences(text, "NUL=" + kOtherFile + "\r\n"), 1) << text;
        ASSERT_TRUE(!nt || MoveFileA(wininit.c_str(), away.c_str()));
        ASSERT_EQ(RunWineboot("-r"), 0);
        ASSERT_TRUE(!nt || MoveFileA(away.c_str(), wininit.c_str()));
        otherSectionCarried |= ReadBytes(WininitCopy(wininit, "bak")).find(kOtherSection) != std::string::npos;
    }

    // Starts the program and drives it to its end as a user who goes through with it:
    // Finish at the wizard, OK at every box, no at the restart offer. Its boxes.
    std::vector<std::string> StartAndDriveToEnd(DWORD* code)
    {
        HWND finished = NULL, declined = NULL;
        StartWatched();
        EXPECT_TRUE(WaitUntil([&] {
            HWND sheet = DialogWithControl(process.dwProcessId, 1001);
            HWND restart = DialogWithControl(process.dwProcessId, 202);
            if (sheet != NULL && sheet != finished && ButtonOffered(sheet, kFinishButton))
                PostMessageA(finished = sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
            if (restart != NULL && restart != declined) PressButton(declined = restart, IDCANCEL);
            return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        }, 2 * kExitTimeout));
        *code = WaitForExit();
        return watcher->Transcript();
    }

    // One point: the nth change gone wrong, the next start where the uninstaller is
    // left, the restart; then nothing of the package is left, every other maker's entry
    // is kept and the setup library's share ran once. The first run's change log.
    std::string SweepPoint(const char* machine, const char* installed, LONG n, const SweepMode& mode)
    {
        nt = std::string(machine) != "win98";
        install = installed;
        missing = install == kInstalls[2] ? &kPackageKeys[1 + n % 3] : NULL;  // Lumatrak, its sibling, CLSID
        SCOPED_TRACE(std::string(machine) + ", " + installed + " " + (missing ? missing->path : "") + ", " +
                     mode.name + " at change " + std::to_string(n));
        SetMachine(machine);
        StageWhole();
        persona.Set(mode.setting, n);
        DWORD code;
        const std::vector<std::string> boxes = StartAndDriveToEnd(&code);
        const LONG changes = persona.Get(PV_CHANGES);
        const std::string log = "\n" + persona.ChangeLog();
        EndRun();
        const size_t found = log.find("\n" + std::to_string(n) + " "), at = found == std::string::npos ? log.size() : found + 1;
        const std::string change = log.substr(at, log.find('\n', at) - at);
        SCOPED_TRACE("change " + change + ", the boxes " + testing::PrintToString(boxes));
        EXPECT_EQ(code, mode.setting != PV_FAIL_AT && n > 0 && n != kAfterRun ? CUT_EXIT_CODE : 0u);
        EXPECT_TRUE(changes >= n || n == kAfterRun) << changes;
        // The registry's changes since its last flush are lost at a power cut.
        std::istringstream made(mode.setting == PV_POWER_CUT_AT ? log.substr(0, at) : "");
        std::vector<std::string> lost;
        for (std::string number, kind, name; made >> number >> kind && std::getline(made, name);)
            if (kind == "G") lost.clear(); else if (kind == "K" || kind == "V") lost.push_back(name.substr(1));
        for (const std::string& name : lost) StageRegistry(name);
        if (mode.restartBetween) Reboot();
        // What a failed call leaves is told.
        const std::vector<std::string> left = mode.setting == PV_FAIL_AT ? Leftovers() : std::vector<std::string>();
        EXPECT_TRUE(left.empty() || std::count(boxes.begin(), boxes.end(), kBoxes[BOX_LEFT_BEHIND]))
            << testing::PrintToString(left);
        if (Exists(installDir + "REMOVR.EXE")) {
            SetMachine(machine);
            StartAndDriveToEnd(&code);
            EndRun();
            EXPECT_EQ(code, 0u);
        }
        Reboot();
        EXPECT_EQ(Leftovers(), std::vector<std::string>());
        for (const auto& value : kOtherValues) EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, value[0], value[1].c_str()), OtherValue(value));
        EXPECT_FALSE(Exists(kOtherFile));
        EXPECT_TRUE(nt ? ReadBytes(wininit) == kOtherSection + "[rename]\r\nNUL=" + kOtherFile + "\r\n"
                       : otherSectionCarried);
        // Once, but where the run ended between the library's call and its record.
        const bool recordCut = mode.setting != PV_FAIL_AT && change.find(" N REMOVR.RUN") != std::string::npos;
        EXPECT_EQ(Occurrences(ReadBytes(setupRecord), "call "), recordCut ? 2 : 1);
        return log;
    }
};

// The changes where every failing call is taken: the shortcuts', and from the
// registry step's first (the mark of the library's share, or a deletion) to the end.
bool FailedAlways(const std::string& log, LONG n)
{
    const size_t at = log.find("\n" + std::to_string(n) + " ") + 1;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    return at > 0 && (at >= std::min({log.find(" N REMOVR.RUN\n"), log.find(" K "), log.find(" V ")}) ||
                      line.find(".lnk") != std::string::npos || line.find(" R ") != std::string::npos);
}

// Every REMOVR_SWEEP_STRIDE-th call that changes the machine in a whole removal (from
// REMOVR_SWEEP_START, or a point of the clock; scripts/sweep takes all) and every
// failing one of the shortcuts, the registry step and the last step, on Windows 98
// and NT, the install another at each point: what the next start and the restart
// leave, whatever happened at that call.
TEST_F(SweepRun, EveryChangeEndedOrFailedIsFinishedByTheNextStart)
{
    const char *strideText = getenv("REMOVR_SWEEP_STRIDE"), *firstText = getenv("REMOVR_SWEEP_START");
    const int stride = std::max(1, strideText ? atoi(strideText) : 1);
    const int first = firstText && atoi(firstText) > 0 ? atoi(firstText) : 1 + static_cast<int>(time(NULL) % stride);
    for (const char* machine : {"win98", "winxp"}) {
        const DWORD started = GetTickCount();
        std::string logs[3];
        LONG total = 0;
        for (int i = 0; i < 3; i++)
            total = std::max<LONG>(total, Occurrences(logs[i] = SweepPoint(machine, kInstalls[i], 0, SweepMode{"whole run", PV_CUT_AT, false}), "\n") - 1);
        ASSERT_GT(total, 0);
        int points = 3;
        for (LONG n = 1; n <= total; n++)
            for (int m = 0; m < 4; m++) {
                // Dense in the install whose registry step makes the most calls; elsewhere
                // the installs by turns.
                const bool dense = kSweepModes[m].setting == PV_FAIL_AT && FailedAlways(logs[1], n);
                const int install = dense ? 1 : static_cast<int>((n + m) % 3);
                if (logs[install].find("\n" + std::to_string(n) + " ") == std::string::npos ||
                    (!dense && (n - first) % stride != 0))
                    continue;
                SweepPoint(machine, kInstalls[install], n, kSweepModes[m]), points++;
            }
        for (const char* installed : kInstalls) SweepPoint(machine, installed, kAfterRun, kSweepModes[2]), points++;
        printf("sweep: %s, %ld changes in a whole run; every %d-th from %d: %d points in %lu s\n", machine, total,
               stride, first, points, (GetTickCount() - started) / 1000ul);
        fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    return RunEndToEnd(argc, argv);
}
