// REMOVR.EXE whole under Wine with the test library's calls of Windows 95/98 in it
// (MoveFileExA and the security calls fail as they fail there), in the win95 and
// win98 settings, over a wininit.ini that another program wrote; then Wine's own
// start-up processing. Each step of the wininit.ini replace is failed in turn.
// Arguments: REMOVR.EXE, the stand-in TKSET32.dll, the stand-in TKRES32.DLL, the
// test library.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "removr_fixture.h"

namespace {

// What WinHelp writes beside the help files it opens, hidden indexes and full-text
// search files.
const char* const kHelpFiles[] = {"TKPANEL.GID", "PELTO.GID", "PELTO.FTS", "PELTO.FTG"};

// Owned by the progress dialog, which has no title.
const std::string kLeftBox = kBoxes[BOX_LEFT_BEHIND] + "|#32770:|ok";

// Another program's files and its wininit.ini: sections of its own, a deletion and
// a rename ("new=old": A.DLL becomes A.TMP at the next start).
struct OtherProgram {
    std::string dir = "C:\\OTHER";
    std::string head, tail;

    void Stage(const std::string& wininit)
    {
        CreateDirectoryA(dir.c_str(), NULL);
        ASSERT_TRUE(WriteBytes(dir + "\\OLD.TXT", "old") && WriteBytes(dir + "\\A.DLL", "a dll"));
        DeleteFileA((dir + "\\A.TMP").c_str());
        head = "[boot]\r\nshell=Explorer.exe\r\n[rename]\r\nNUL=" + dir + "\\OLD.TXT\r\n" + dir +
               "\\A.TMP=" + dir + "\\A.DLL\r\n";
        // Long enough that it is written in several pieces. In code page 932 a section
        // whose name's second bytes are ']' and '[' ("[ZONE]" in katakana).
        tail = GetACP() == 932 ? "[\x83\x5D\x81\x5B\x83\x93]\r\nzone=1\r\n" : "";
        tail += "[386Enh]\r\ndevice=*vmm\r\n";
        for (int i = 0; i < 300; i++) tail += "setting" + std::to_string(i) + "=some value\r\n";
        ASSERT_TRUE(WriteBytes(wininit, Bytes()));
    }

    std::string Bytes() const { return head + tail; }

    ~OtherProgram() { RemoveTree(dir); }
};

class Win9xRun : public RemovrRun {
protected:
    OtherProgram other;

    // In code page 932 the package's folder and the earlier setup's program have names
    // whose second bytes are '\\' (katakana "SOFT").
    const std::string soft = GetACP() == 932 ? "\x83\x5C\x83\x74\x83\x67" : "";

    void SetUp() override
    {
        if (!soft.empty()) installDir = "C:\\Program Files\\" + soft + "\\";
        RemovrRun::SetUp();
        RemoveWininitCopies();
    }

    void TearDown() override
    {
        RemovrRun::TearDown();
        RemoveWininitCopies();
    }

    // After Wine's start-up processing: every package file gone (PELTO.VXD from the
    // system directory too), WinHelp's too, the other program's deletion and rename
    // done; on the NT family the install folder too, when it was left empty.
    void ExpectRestartCarriedOutBoth(bool nt)
    {
        ASSERT_EQ(RunWineboot("-r"), 0);
        for (const RemovalEntry& entry : kPackageFiles)
            EXPECT_FALSE(Exists(PackagePath(entry))) << entry.fileName;
        for (const char* name : kHelpFiles) EXPECT_FALSE(Exists(installDir + name)) << name;
        EXPECT_EQ(Exists(installDir), !nt || !soft.empty()) << "Windows 95/98's restart deletes files only";
        EXPECT_FALSE(Exists(other.dir + "\\OLD.TXT"));
        EXPECT_FALSE(Exists(other.dir + "\\A.DLL"));
        EXPECT_EQ(ReadBytes(other.dir + "\\A.TMP"), "a dll");
        EXPECT_FALSE(Exists(wininit));
    }

    // Ours beside wininit.ini, read-only ones too.
    void RemoveWininitCopies()
    {
        for (const char* copy : {"rvn", "rvo"}) {
            SetFileAttributesA(WininitCopy(wininit, copy).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(WininitCopy(wininit, copy).c_str());
        }
    }

    void FailEachStepInTurn(const char* version);
};

// The whole sequence on Windows 95 and 98, and on the NT family, also in the
// compatibility mode that reports Windows 95: wizard, progress, the restart accepted
// (through the recorder), exit 0; wininit.ini keeps everything of the other program
// and gains our lines; the next start removes our files and does its renames. Files
// copied from a CD-ROM are read-only, wininit.ini too: those steps clear that. Another
// program (this one) holds the control panel's page loaded and a help file and an
// index of WinHelp's open: they go at the restart too.
TEST_F(Win9xRun, WholeSequenceOnWindows95And98KeepsAndCarriesOutAnotherProgramsEntries)
{
    for (const char* machine : {"win95", "win98", "win95 on NT", "winxp"}) {
        SCOPED_TRACE(machine);
        const bool nt = machine[3] == 'x' || machine[5] != '\0';
        SetMachine(machine);
        StagePackage();
        StageSetupLibrary();
        other.Stage(wininit);
        const std::vector<std::string> held = {PackagePath(kPackageFiles[0]), PackagePath(kPackageFiles[3]),
                                               installDir + kHelpFiles[1]};
        ASSERT_TRUE(CopyFileA(g_resourceLibraryPath.c_str(), held[0].c_str(), FALSE));  // a library
        for (const char* name : kHelpFiles)
            WriteSmallFile(installDir + name), SetFileAttributesA((installDir + name).c_str(), FILE_ATTRIBUTE_HIDDEN);
        MakeReadOnly({wininit, held[0], PackagePath(kPackageFiles[4]), installDir + kHelpFiles[0],
                      PackagePath(kPackageFiles[29]), PackagePath(kPackageFiles[30])});
        HMODULE page = LoadLibraryA(held[0].c_str());
        HANDLE open[2];  // as WinHelp holds them: no delete sharing
        for (int i : {0, 1}) open[i] = CreateFileA(held[i + 1].c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_TRUE(page != NULL && open[0] != INVALID_HANDLE_VALUE && open[1] != INVALID_HANDLE_VALUE);
        if (!soft.empty()) {
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kEarlierSetupKey, "UninstallString",
                                   installDir + soft + ".EXE"));
            ASSERT_TRUE(WriteBytes(installDir + "oldsig.backup", "saved"));
            DeleteFileA((installDir + "sig.exe").c_str());
        }
        StartWatched();
        EXPECT_EQ(FinishAndAnswerRestart(IDOK), 0u);
        EXPECT_EQ(FullBoxes(), std::vector<std::string>());
        EXPECT_EQ(persona.Get(PV_EXIT_REQUESTS), 1);
        // The token, read at ExitWindowsEx: the NT family restarts only with it on.
        EXPECT_EQ(persona.Get(PV_SHUTDOWN_PRIVILEGE), nt ? PRIVILEGE_ENABLED : PRIVILEGE_NO_TOKEN);

        std::string log = persona.Log();
        std::string saved = ReadBytes(wininit);
        EXPECT_EQ(saved.find(other.head + (nt ? other.tail : "NUL=")), 0u) << saved;  // NT: as it was
        EXPECT_EQ(saved.size() - saved.rfind(other.tail), other.tail.size()) << saved;
        ExpectPackageFilesRemoved(held);
        for (int i : {0, 2, 3}) EXPECT_FALSE(Exists(installDir + kHelpFiles[i])) << kHelpFiles[i];
        ExpectNoWininitCopies(wininit, log);
        if (!soft.empty()) {
            EXPECT_EQ(ReadBytes(installDir + "sig.exe"), "saved");
        }
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetupKey);
        // Decided by what the system does, whatever version it reports. Windows 95/98:
        // MoveFileExA refused the first file in use (then never asked again) and the
        // replace, which took the steps of 95/98; the looked-up Unicode registry and
        // token calls were stubs. NT: the 22 files and the 3 held registered one by one
        // (the last step's five and the install folder in one write of the list), and
        // wininit.ini never opened for writing.
        EXPECT_EQ(persona.Get(PV_CALLS + PERSONA_SCHEDULE), nt ? 25 : 1);
        EXPECT_EQ(persona.Get(PV_NOT_IMPLEMENTED), nt ? 0 : 5) << log;
        EXPECT_EQ(log.find(nt ? "+w" : "M wininit.ini>wininit.rvo\nM wininit.rvn>wininit.ini\nD wininit.rvo\n") ==
                      std::string::npos, nt) << log;
        // The NT-only calls looked up, four of the registry, three of the token; no
        // other, and no ...W function is imported.
        EXPECT_EQ(persona.Get(PV_NT_LOOKUPS), 7) << persona.LastLookup();
        EXPECT_EQ(persona.Get(PV_UNKNOWN_LOOKUPS), 0) << persona.LastLookup();
        EXPECT_EQ(persona.Get(PV_WIDE_IMPORTS), 0);

        FreeLibrary(page), CloseHandle(open[0]), CloseHandle(open[1]);  // as a restart ends every program
        ExpectRestartCarriedOutBoth(nt);
        EndRun();
    }
}

// Every call on the wininit.ini files failed in turn, and a few pairs: after each
// run wininit.ini holds the old bytes or the complete new document, nothing of ours
// is left beside it but a copy whose bytes exist nowhere else (or a file that could
// not be deleted), message 12 is shown exactly when the new document did not land,
// and the run goes on to the restart offer. Message 12 is the program's own text
// even with a resource library that holds a text under 12. The first run, with no
// fault, must make exactly the calls the single faults below fail.
const struct {
    const char* what;
    Fault fault;
    ReplaceOutcome outcome;
} kReplaceFaults[] = {
    {"no fault", {PERSONA_MOVEFILE, 0, -1, 0}, NEW_BYTES},
    {"wininit.ini not opened", {PERSONA_CREATEFILE, 1, -1, 0}, OLD_BYTES},
    {"new file not created", {PERSONA_CREATEFILE, 2, -1, 0}, OLD_BYTES},
    {"first write", {PERSONA_WRITEFILE, 1, -1, 0}, OLD_BYTES},
    {"second write", {PERSONA_WRITEFILE, 2, -1, 0}, OLD_BYTES},
    {"old file not moved aside", {PERSONA_MOVEFILE, 1, -1, 0}, OLD_BYTES},
    {"new file not moved in", {PERSONA_MOVEFILE, 2, -1, 0}, OLD_BYTES},
    // Only a failed deletion of our old copy comes after the new document is in place.
    {"old copy not deleted", {PERSONA_DELETEFILE, 1, -1, 0}, NEW_AND_OLD_COPY},
    {"new file not moved in nor the old one back", {PERSONA_MOVEFILE, 2 | 4, -1, 0}, BOTH_COPIES},
    {"old file not moved aside, new file not deleted",
     {PERSONA_MOVEFILE, 1, PERSONA_DELETEFILE, 1}, OLD_AND_NEW_COPY},
};
// CreateFileA, WriteFile, MoveFileA and DeleteFileA calls of the run with no fault:
// two saves, the files that stay, then the last step's. A fault in the first save
// leaves the last step untaken.
const LONG kCleanRunCalls[] = {4, 4, 4, 2};

void Win9xRun::FailEachStepInTurn(const char* version)
{
    SetProgramVersion(version);
    std::string newBytes;
    for (const auto& row : kReplaceFaults) {
        SCOPED_TRACE(row.what);
        StagePackage();
        StageSetupLibrary();
        StageResourceLibrary();
        RemoveWininitCopies();
        other.Stage(wininit);
        persona.Fail(row.fault);
        StartWatched();
        EXPECT_EQ(FinishAndAnswerRestart(IDCANCEL), 0u);
        std::string log = persona.Log();
        EXPECT_EQ(persona.Get(PV_INJECTED), FaultCount(row.fault)) << log;
        if (newBytes.empty()) {
            newBytes = ReadBytes(wininit);
            ASSERT_EQ(newBytes.find(other.head + "NUL="), 0u) << newBytes;
            for (int kind = 0; kind < PERSONA_MOVEFILEEX; kind++)
                EXPECT_EQ(persona.Get(PV_CALLS + kind), kCleanRunCalls[kind]) << kind << "\n" << log;
        }
        EXPECT_EQ(FullBoxes(), Landed(row.outcome) ? std::vector<std::string>()
                                               : std::vector<std::string>({kLeftBox}))
            << log;
        // A first save that did not land leaves the last step's lines out of its copy.
        std::string firstSave = newBytes;
        for (int i : {-1, 6, 7, 8, 29}) {  // and the run's mark
            size_t at = firstSave.find(i < 0 ? "REMOVR.RUN" : kPackageFiles[i].fileName);
            at = firstSave.rfind("NUL=", at);
            firstSave.erase(at, firstSave.find("\r\n", at) + 2 - at);
        }
        ExpectReplaceOutcome(wininit, row.outcome, other.Bytes(), Landed(row.outcome) ? newBytes : firstSave, log);
        // The files that may go at once went in every case.
        EXPECT_FALSE(Exists(installDir + "tkpanel.DLL"));
        EndRun();
    }
}

TEST_F(Win9xRun, EachStepOfTheReplaceFailedInTurnOnWindows95) { FailEachStepInTurn("win95"); }
TEST_F(Win9xRun, EachStepOfTheReplaceFailedInTurnOnWindows98) { FailEachStepInTurn("win98"); }

// The NT family never reads wininit.ini: it is never written there (it keeps its
// bytes), so a replace that would fail is never tried, and the system's own list
// holds the files; no message. When the system refuses every registration, message
// 12 is shown. Either way the restart is asked for, the NT family's security calls
// looked up, there only, and the token holds the shutdown privilege switched on.
TEST_F(Win9xRun, OnNtWininitIsNeverWrittenAndRefusedRegistrationsAreReported)
{
    for (const Fault& fault : {Fault{PERSONA_MOVEFILEEX, 1, -1, 0}, Fault{PERSONA_SCHEDULE, -1, -1, 0}}) {
        SetMachine("winxp");
        StagePackage();
        StageSetupLibrary();
        ClearPendingRenames();
        other.Stage(wininit);
        persona.Fail(fault);
        StartWatched();
        EXPECT_EQ(FinishAndAnswerRestart(IDOK), 0u);
        const bool refused = fault.kind == PERSONA_SCHEDULE;
        std::string log = persona.Log();
        EXPECT_EQ(FullBoxes(), refused ? std::vector<std::string>({kLeftBox}) : std::vector<std::string>()) << log;
        EXPECT_EQ(persona.Get(PV_EXIT_REQUESTS), 1);
        EXPECT_EQ(persona.Get(PV_NT_LOOKUPS), 7) << persona.LastLookup();
        EXPECT_EQ(persona.Get(PV_SHUTDOWN_PRIVILEGE), PRIVILEGE_ENABLED);
        EXPECT_TRUE(refused || persona.Get(PV_INJECTED) == 0) << log;
        EXPECT_EQ(ReadBytes(wininit), other.Bytes()) << log;
        ExpectNoWininitCopies(wininit, log);
        // Each of the 22 files that stay is on the system's own list instead, registered
        // one by one; the last step's five and the install folder in one write.
        EXPECT_TRUE(refused || persona.Get(PV_CALLS + PERSONA_SCHEDULE) == 22);
        EndRun();
    }
}

// A package key with a subkey that can be neither opened nor deleted (refused by the
// personality, as an access-controlled key on NT would be): the run does not hang
// at the registry step, tells that something stays, reaches the restart offer, and
// the rest of the plan is done; the uninstall entry stays for a next start.
TEST_F(Win9xRun, ARegistryKeyThatCannotBeDeletedDoesNotHoldTheRun)
{
    const char* const kLumatrak = kPackageKeys[1].path;
    const char* const kOtherKey = kPackageKeys[2].path;
    SetMachine("winxp");
    StageSetupLibrary();
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, std::string(kLumatrak) + "\\Locked", "Value", "x"));
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, std::string(kLumatrak) + "\\Zlast", "Value", "x"));
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kOtherKey, "Value", "x"));
    persona.RefuseKey("Locked");
    StartWatched();
    EXPECT_EQ(FinishAndAnswerRestart(IDCANCEL), 0u);
    EXPECT_EQ(FullBoxes(), std::vector<std::string>({kLeftBox}));
    EXPECT_GE(persona.Get(PV_KEY_REFUSALS), 2);
    persona.RefuseKey(NULL);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kLumatrak) + "\\Locked"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kLumatrak) + "\\Zlast"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOtherKey));
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen");
}

// The message loop's own failure (GetMessageA gives -1, its record unfilled) after the
// wizard: the program ends with exit code 0, shows nothing and removes nothing.
TEST_F(Win9xRun, AFailedMessageLoopEndsTheProgramWithExitCodeZero)
{
    StageSetupLibrary();
    HWND sheet = StartToWizard();
    ASSERT_TRUE(sheet != NULL);
    // The wizard runs its own loop: the program's next GetMessageA comes after it.
    persona.Set(PV_FAIL_GETMESSAGE, 1);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(persona.Get(PV_FAIL_GETMESSAGE), 0) << "the program's loop never asked again";
    EXPECT_EQ(FullBoxes(), std::vector<std::string>());
    ExpectPackageFilesUntouched();
}

}  // namespace

int main(int argc, char** argv)
{
    return RunEndToEnd(argc, argv);
}
