// The file removal pass under Wine, against a real progress bar and status line,
// real files and a real wininit.ini; the Restart cases hand the result to Wine's
// own start-up processing. In the Windows 95/98 settings the personality library
// makes MoveFileExA fail as it fails there, and fails chosen calls on wininit.ini.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_pass.h"
#include "ini_document.h"
#include "personality_client.h"
#include "package_files.h"
#include "removal_table.h"
#include "runtime.h"
#include "win32_test_support.h"

namespace {

// With no faults and no counts, and unless kept nothing pending for the restart. Its
// Windows 95/98 calls are on in the 9x settings only, so the NT settings keep their
// own MoveFileExA.
Personality& FreshPersona(bool keepPending = false)
{
    if (!keepPending) ClearPendingRenames();
    Personality& persona = PersonaHere();
    persona.Reset();
    persona.SetWin9xCalls(!OnNtFamily());
    return persona;
}

struct ControlMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<ControlMessage> g_barMessages;
std::vector<std::string> g_statusTexts;

// The staged machine holding every file of the table, and a window with a real
// progress bar and status line.
class FilePass : public StagedMachine {
protected:
    HWND parent = NULL, bar = NULL, status = NULL;

    void SetUp() override
    {
        StagedMachine::SetUp();
        StageFilesAndControls();
    }

    void StageFilesAndControls()
    {
        for (int i = 0; i < kPackageFileCount; i++) ASSERT_TRUE(WriteBytes(PathOf(i), "x"));
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        if (parent) DestroyWindow(parent);
        parent = CreateWindowExA(0, "STATIC", "pass", WS_POPUP, 0, 0, 300, 100, NULL, NULL,
                                 NULL, NULL);
        bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 40,
                              200, 10, parent, NULL, NULL, NULL);
        status = CreateWindowExA(0, "STATIC", "Static", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 10,
                                 200, 12, parent, NULL, NULL, NULL);
        ASSERT_TRUE(bar != NULL && status != NULL);
        g_barMessages.clear();
        g_statusTexts.clear();
        RecordControl(bar, [](UINT message, WPARAM wParam, LPARAM lParam) {
            if (message >= PBM_SETRANGE && message <= PBM_GETPOS)
                g_barMessages.push_back({message, wParam, lParam});
        });
        RecordControl(status, [](UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_SETTEXT) g_statusTexts.push_back(reinterpret_cast<const char*>(lParam));
        });
    }

    void TearDown() override
    {
        if (parent) DestroyWindow(parent);
        StagedMachine::TearDown();
    }

    std::string PathOf(int i) const
    {
        const RemovalEntry& e = kPackageFiles[i];
        if (e.location == LOCATION_SYSTEM) return system + "\\" + e.fileName;
        if (e.location == LOCATION_INF) return inf + "\\" + e.fileName;
        return install + e.fileName;
    }

    // The 26 lines the pass adds, in the order they are scheduled.
    std::string ScheduledLines() const
    {
        std::string lines;
        for (int i : ScheduleOrder())  // the run's mark goes with the uninstaller
            lines += (i == 6 ? "NUL=" + install + "REMOVR.RUN\r\n" : "") + "NUL=" + PathOf(i) + "\r\n";
        return lines;
    }

    int Run() { return PersonaHere(), RunRemovalPass(bar, status), ScheduleForRestart() && LeaveMark() && ScheduleNeededByNextStart(); }
};

// WinHelp's own files go with the help files, and nothing else of the folder.
TEST_F(FilePass, DeletesOrSchedulesEachFileAndDrivesTheControls)
{
    ASSERT_FALSE(Exists(wininit));
    const std::pair<const char*, bool> others[] = {
        {"PELTO.GID", false}, {"tkpanel.FTS", false}, {"PELTO.FTG", false}, {"PELTO.TXT", true}, {"OTHER.GID", true}};
    for (const auto& [name, stays] : others) ASSERT_TRUE(WriteBytes(install + name, "x"));
    PersonaHere();
    RunRemovalPass(bar, status);
    // An unfinished registry step keeps what a next start needs; once it has run, each
    // file is scheduled once, and a later run writes nothing and registers nothing.
    EXPECT_EQ(ScheduleForRestart(), 1);
    EXPECT_EQ(ReadBytes(wininit).find("REMOVR.EXE"), std::string::npos);
    EXPECT_EQ(ScheduleNeededByNextStart(), 1);
    Personality& persona = FreshPersona(true);
    EXPECT_EQ(ScheduleForRestart() && ScheduleNeededByNextStart(), 1);
    for (int kind : {PERSONA_WRITEFILE, PERSONA_MOVEFILEEX, PERSONA_SCHEDULE}) EXPECT_EQ(persona.Get(PV_CALLS + kind), 0) << kind;

    for (const auto& [name, stays] : others) EXPECT_EQ(Exists(install + name), stays) << name;
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_EQ(Exists(PathOf(i)), kPackageFiles[i].pendingName != NULL) << PathOf(i);
    // The NT family never reads wininit.ini: there it is not written.
    EXPECT_EQ(ReadBytes(wininit), OnNtFamily() ? "<missing>" : "[rename]\r\n" + ScheduledLines());

    ASSERT_EQ(g_statusTexts.size(), 31u);
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_EQ(g_statusTexts[i], kPackageFiles[i].fileName) << "status text " << i;

    ASSERT_EQ(g_barMessages.size(), 2u + 31u);
    EXPECT_EQ(g_barMessages[0].message, static_cast<UINT>(PBM_SETRANGE));
    EXPECT_EQ(g_barMessages[0].lParam, MAKELPARAM(0, 100));
    EXPECT_EQ(g_barMessages[1].message, static_cast<UINT>(PBM_SETPOS));
    EXPECT_EQ(g_barMessages[1].wParam, 10u);
    for (size_t i = 2; i < g_barMessages.size(); i++) {
        EXPECT_EQ(g_barMessages[i].message, static_cast<UINT>(PBM_DELTAPOS)) << i;
        EXPECT_EQ(g_barMessages[i].wParam, 14u) << i;
    }
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
    // The status line keeps the last file name.
    char text[64];
    GetWindowTextA(status, text, sizeof text);
    EXPECT_STREQ(text, "PELTO.INF");
}

TEST_F(FilePass, KeepsWhatOthersScheduledAndFindsTheRenameSectionExactly)
{
    struct Case {
        std::string before;
        std::string after;  // with the 26 new lines standing for "@"
    } cases[] = {
        // The new lines follow the existing ones of the rename section; other
        // sections are written back, without comments, headers as [name].
        {"; first\r\n# comment\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\nC:\\NEW=C:\\OLD\r\n"
         "  [other] ; note\nkey=value\n",
         "; first\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\nC:\\NEW=C:\\OLD\r\n@[other]\r\nkey=value\r\n"},
        // Only other sections: the rename section comes last.
        {"[boot]\r\nshell=x\r\n", "[boot]\r\nshell=x\r\n[rename]\r\n@"},
        // The lookup is case-sensitive.
        {"[Rename]\r\nNUL=C:\\KEEP.TXT\r\n", "[Rename]\r\nNUL=C:\\KEEP.TXT\r\n[rename]\r\n@"},
        // A scheduled path with brackets stays a line of its section; a lone CR and a
        // line far longer than 199 characters come back byte for byte; Ctrl-Z ends it.
        {"[rename]\r\nNUL=C:\\A[1]\\B.TXT\r\nNUL=C:\\" + std::string(300, 'L') + ".TXT\r\n"
         "a\rb\r\n\x1aignored\r\n",
         "[rename]\r\nNUL=C:\\A[1]\\B.TXT\r\nNUL=C:\\" + std::string(300, 'L') + ".TXT\r\n"
         "a\rb\r\n@"},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < kPackageFileCount; i++) WriteBytes(PathOf(i), "x");
        WriteBytes(wininit, c.before);
        EXPECT_EQ(Run(), 1) << c.before;
        std::string expected = c.after;
        expected.replace(expected.find('@'), 1, ScheduledLines());
        EXPECT_EQ(ReadBytes(wininit), OnNtFamily() ? c.before : expected) << c.before;
    }
}

TEST_F(FilePass, NeverRewritesAWininitItCannotHoldFaithfully)
{
    // Only Windows 95/98 read wininit.ini: only there do the files stay.
    const int expected = OnNtFamily() ? 1 : 0;
    // A line beyond the line capacity, and a zero byte in a line.
    for (const std::string& content :
         {"[rename]\r\nNUL=C:\\" + std::string(600, 'x') + "\r\n",
          std::string("[rename]\r\nNUL=C:\\A\0B\r\n", 19)}) {
        WriteBytes(wininit, content);
        EXPECT_EQ(Run(), expected);
        EXPECT_EQ(ReadBytes(wininit), content);
        // What may be deleted at once is still deleted.
        EXPECT_FALSE(Exists(PathOf(0)));
        EXPECT_TRUE(Exists(PathOf(5)));
        ASSERT_TRUE(WriteBytes(PathOf(0), "x"));
    }
    // A wininit.ini that cannot be opened at all is not a missing one.
    DeleteFileA(wininit.c_str());
    ASSERT_TRUE(CreateDirectoryA(wininit.c_str(), NULL));
    EXPECT_EQ(Run(), expected);
    EXPECT_TRUE(GetFileAttributesA(wininit.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(wininit.c_str());
}

TEST_F(FilePass, SkipsPathsThatDoNotFitInsteadOfCuttingThem)
{
    // An install directory so long that no file name fits behind it.
    std::string longDir = "C:\\" + std::string(250, 'd') + "\\";
    SetProgramDir(g_szInstallDir, longDir);
    EXPECT_EQ(Run(), 0);
    std::string saved = ReadBytes(wininit);
    EXPECT_EQ(saved.find(std::string(200, 'd')), std::string::npos) << saved;
    // Files that stay keep the package's file in the system folder, by which a next
    // start still finds the package.
    EXPECT_EQ(saved.find("NUL=" + system + "\\PELTO.VXD\r\n"), std::string::npos) << saved;
    EXPECT_FALSE(Exists(inf + "\\PELTO.INF"));
    EXPECT_EQ(g_statusTexts.size(), 31u);
}

TEST_F(FilePass, NamesLongPathsByTheirShortForm)
{
    StageDirs(root + "\\Program Files\\Varsen Software\\");
    StageFilesAndControls();
    EXPECT_EQ(Run(), 1);
    std::string saved = ReadBytes(wininit), longLines;
    for (size_t at = saved.find("NUL="); at != std::string::npos; at = saved.find("NUL=", at)) {
        at += 4;
        std::string path = saved.substr(at, saved.find("\r\n", at) - at);
        EXPECT_EQ(path.find(' '), std::string::npos) << path;
        char longForm[MAX_PATH];
        ASSERT_GT(GetLongPathNameA(path.c_str(), longForm, MAX_PATH), 0u) << path;
        longLines += "NUL=" + std::string(longForm) + "\r\n";
    }
    EXPECT_EQ(longLines, OnNtFamily() ? "" : ScheduledLines());
}

// Message 12 is for files that will really stay: on Windows 95/98 when wininit.ini
// was not replaced, on the NT family (which never reads it) when the system's own
// registration of an existing file failed.
TEST_F(FilePass, ReportsOnlyFilesThatWillReallyStay)
{
    const bool nt = OnNtFamily();
    const std::string old = "[rename]\r\nNUL=C:\\OTHER.TXT\r\n";
    {
        SCOPED_TRACE("the new wininit.ini cannot be moved in");
        WriteBytes(wininit, old);
        Personality& persona = FreshPersona();
        // 9x: the second MoveFileA puts the new file in; the NT family writes none.
        persona.Fail(PERSONA_MOVEFILE, 2);
        EXPECT_EQ(Run(), nt ? 1 : 0) << persona.Log();
        EXPECT_EQ(persona.Get(PV_INJECTED), nt ? 0 : 1) << persona.Log();
        EXPECT_EQ(ReadBytes(wininit), old);
    }
    for (int i = 0; i < kPackageFileCount; i++) WriteBytes(PathOf(i), "x");
    {
        SCOPED_TRACE("the system refuses to register one file for the restart");
        DeleteFileA(wininit.c_str());
        Personality& persona = FreshPersona();
        persona.Fail(PERSONA_SCHEDULE, 1 << 4);
        EXPECT_EQ(Run(), nt ? 0 : 1);
        // Windows 95/98 have no such registration: asked once in the process, with
        // the first file. On NT the 22 files; what a next start needs stays with them.
        LONG asked = persona.Get(PV_CALLS + PERSONA_SCHEDULE);
        EXPECT_TRUE(nt ? asked == 22 : asked <= 1) << asked;
        EXPECT_EQ(ReadBytes(wininit), nt ? "<missing>" : "[rename]\r\n" + ScheduledLines());
    }
    {
        SCOPED_TRACE("a read-only file whose attribute cannot be cleared, and only it asked");
        DeleteFileA(wininit.c_str());
        MakeReadOnly({PathOf(4)});
        Personality& persona = FreshPersona();
        persona.Fail(PERSONA_ATTRIBUTES, 1);
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(persona.Get(PV_CALLS + PERSONA_ATTRIBUTES), 1);
    }
    FreshPersona();
}

// A replacing ended midway is completed or undone before wininit.ini is read, by
// whether the new copy is still beside it: if so, the old copy is moved back whole
// where wininit.ini is missing, else the lines wininit.ini lacks are put back into it;
// if not, it moved in, and the old copy goes even where the restart carried it out
// (to wininit.bak) and another program wrote wininit.ini again. No copy of ours is left.
TEST_F(FilePass, AReplacingEndedMidwayIsFinishedBeforeTheFileIsRead)
{
    const std::string other = "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OTHER.TXT\r\n";
    const std::string ours = other + "NUL=C:\\OURS.TXT\r\n", later = "[rename]\r\nNUL=C:\\LATER.TXT\r\n";
    const struct {
        const char* what;
        std::string ini, aside, fresh, expected, carried = "";
    } cases[] = {
        {"between the two moves", "", other, ours, other},
        {"after the move in", ours, other, "", ours},
        {"a new one written meanwhile", later, other, ours, later + "NUL=C:\\OTHER.TXT\r\n[boot]\r\nshell=x\r\n"},
        {"a stale new copy", other, "", ours, other},
        {"after the move in, then restarted", "", other, "", "<missing>", ours},
        {"moved in, restarted, then written anew", later, other, "", later, ours},
        {"between the moves, restarted earlier", "", other, ours, other, later},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::pair<std::string, std::string> files[] = {
            {wininit, c.ini}, {WininitCopy(wininit, "rvo"), c.aside}, {WininitCopy(wininit, "rvn"), c.fresh},
            {WininitCopy(wininit, "bak"), c.carried}};
        for (const auto& [path, bytes] : files) bytes.empty() ? (void)DeleteFileA(path.c_str()) : (void)WriteBytes(path, bytes);
        Personality& persona = FreshPersona();
        RecoverWininit();
        EXPECT_EQ(ReadBytes(wininit), c.expected) << persona.Log();
        ExpectNoWininitCopies(wininit, persona.Log());
    }
}

// Save over a wininit.ini in the cases the whole program's runs do not stage (those
// fail each step of the replace in turn): afterwards wininit.ini holds the old bytes
// or the new document and nothing of ours is left, except where a copy is the only
// one of its bytes.
TEST_F(FilePass, TheReplaceNeverLosesTheOldFile)
{
    const std::string old = "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OTHER.TXT\r\n";
    const std::string added = old + "NUL=C:\\OURS.TXT\r\n";
    const std::string newFile = WininitCopy(wininit, "rvn"), aside = WininitCopy(wininit, "rvo");
    const bool onNt = OnNtFamily();
    struct Case {
        const char* what;
        bool nt;  // the case of the NT family, else of Windows 95/98
        bool existing;
        Fault fault;
        ReplaceOutcome outcome;
        std::string earlier;  // an old copy an earlier run left beside it, or none
        bool limited = false;  // a user without an administrator's rights
    } cases[] = {
        {"no wininit.ini yet", false, false, PERSONA_MOVEFILE, 0, -1, 0, NEW_BYTES, ""},
        {"no wininit.ini yet, new file not moved in", false, false, PERSONA_MOVEFILE, 2, -1, 0,
         OLD_BYTES, ""},
        // An old copy that an earlier run left may be the only one of its bytes: it is
        // never overwritten, and stays for the next start to put back what it holds.
        {"an old copy of an earlier run still beside it", false, true, PERSONA_MOVEFILE, 0, -1, 0,
         NEW_BYTES, "earlier"},
        {"only an old copy of an earlier run, no wininit.ini", false, false, PERSONA_MOVEFILE, 0,
         -1, 0, NEW_BYTES, old},
        {"replace refused, new file not deleted", true, true, PERSONA_MOVEFILEEX, 1,
         PERSONA_DELETEFILE, 1, OLD_AND_NEW_COPY, ""},
        {"a user who may neither move nor delete", true, true, PERSONA_MOVEFILEEX, 0, -1, 0,
         OLD_AND_NEW_COPY, "", true},
    };
    for (const Case& c : cases) {
        if (c.nt != onNt) continue;
        SCOPED_TRACE(c.what);
        for (const std::string& path : {wininit, newFile, aside}) DeleteFileA(path.c_str());
        if (c.existing) WriteBytes(wininit, old);
        if (!c.earlier.empty()) WriteBytes(aside, c.earlier);
        IniDocument document;
        ASSERT_EQ(document.Load(wininit.c_str()), c.existing ? 1 : 0);
        IniSection* rename = document.FindSection("rename");
        if (rename == NULL) {
            rename = RtNew<IniSection>();
            ASSERT_TRUE(rename->SetName("rename") && document.AppendSection(rename));
        }
        ASSERT_TRUE(rename->AddLine("NUL=C:\\OURS.TXT"));
        const std::string expectedNew = c.existing ? added : "[rename]\r\nNUL=C:\\OURS.TXT\r\n";
        const std::string before = c.existing ? old : "<missing>";

        Personality& persona = FreshPersona();
        persona.Fail(c.fault);
        persona.Set(PV_LIMITED_USER, c.limited);
        int saved = document.Save(wininit.c_str());
        persona.Set(PV_LIMITED_USER, 0);
        std::string log = persona.Log();
        EXPECT_EQ(saved, Landed(c.outcome) ? 1 : 0) << log;
        EXPECT_EQ(persona.Get(PV_INJECTED), FaultCount(c.fault)) << log;
        EXPECT_EQ(persona.Get(PV_ACCESS_DENIALS) > 0, c.limited) << log;
        ExpectReplaceOutcome(wininit, c.outcome, before, expectedNew, log, c.earlier);
        // The 9x steps ran only where MoveFileExA is not implemented.
        EXPECT_EQ(persona.Get(PV_NOT_IMPLEMENTED) > 0, !c.nt) << log;
    }
    for (const std::string& path : {newFile, aside}) DeleteFileA(path.c_str());

    // The same user writes nothing under HKEY_LOCAL_MACHINE either; the common
    // controls of Windows 95 and NT 4 refuse a later property-sheet header, and a
    // sheet can be made to fail.
    Personality& persona = FreshPersona();
    persona.Set(PV_LIMITED_USER, 1);
    HKEY key = NULL;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(key, "Varsen"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(key, "x"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(persona.Get(PV_ACCESS_DENIALS), 3);
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    EXPECT_EQ(PropertySheetA(&header), -1);
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    persona.Set(PV_FAIL_SHEET, 1);
    EXPECT_EQ(PropertySheetA(&header), -1);
    EXPECT_EQ(persona.Get(PV_SHEETS_REFUSED), 2);
    FreshPersona();
}

// Start-up processing on the NT family (the whole program's runs restart in the
// Windows 95/98 settings): run in the prefix's own Windows directory, then restart.
class Restart : public FilePass {
protected:
    void SetUp() override
    {
        FilePass::SetUp();
        ASSERT_TRUE(OnNtFamily()) << "a case of the NT family";
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, MAX_PATH);
        StageDirs(root + "\\Program Files\\Varsen Software\\", dir);
        StageFilesAndControls();
        DeleteFileA(wininit.c_str());
        ClearPendingRenames();
        FreshPersona();
    }

    void TearDown() override
    {
        DeleteFileA(wininit.c_str());
        FilePass::TearDown();
    }
};

std::string ShortPath(const std::string& path)
{
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? shortPath : path;
}

// Among the files read-only ones, as from a CD-ROM, and a wininit.ini of another
// program: its own sections, a deletion and a rename of its own. The pass deletes
// what it may at once, keeps wininit.ini as it was and lists the rest on the system's
// own list; the next start carries out both programs' entries.
TEST_F(Restart, ScheduledFilesAndAnotherProgramsEntriesAreCarriedOut)
{
    const std::string other = root + "\\other";
    CreateDirectoryA(other.c_str(), NULL);
    ASSERT_TRUE(WriteBytes(other + "\\OLD.TXT", "old") && WriteBytes(other + "\\A.DLL", "new dll"));
    const std::string dir = ShortPath(other);
    const std::string theirs = "[boot]\r\nshell=Explorer.exe\r\n[rename]\r\nNUL=" + dir +
                               "\\OLD.TXT\r\n" + dir + "\\A.TMP=" + dir + "\\A.DLL\r\n";
    const std::string tail = "[386Enh]\r\ndevice=x.vxd\r\n";
    ASSERT_TRUE(WriteBytes(wininit, theirs + tail));
    MakeReadOnly({PathOf(0), PathOf(4), PathOf(24), PathOf(29), PathOf(30)});
    EXPECT_EQ(Run(), 1) << PersonaHere().Log();
    EXPECT_EQ(ReadBytes(wininit), theirs + tail);  // never read there: it keeps its bytes
    ExpectNoWininitCopies(wininit, PersonaHere().Log());
    EXPECT_FALSE(Exists(inf + "\\PELTO.INF"));
    // The install folder is listed last, after its files.
    std::string pending = PendingRenames();
    EXPECT_NE(pending.find("Varsen Software\\PELTOAPI.DLL"), std::string::npos);
    size_t folder = pending.rfind(install.substr(0, install.size() - 1) + std::string(1, '\0'));
    EXPECT_TRUE(folder != std::string::npos && folder > pending.rfind("\\PELTO.VXD")) << folder;
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_EQ(Exists(PathOf(i)), kPackageFiles[i].pendingName != NULL) << PathOf(i);

    ASSERT_EQ(RunWineboot("-r"), 0);
    for (int i = 0; i < kPackageFileCount; i++)
        EXPECT_FALSE(Exists(PathOf(i))) << PathOf(i) << " survived the restart";
    EXPECT_FALSE(Exists(install)) << "the emptied install folder survived the restart";
    EXPECT_FALSE(Exists(other + "\\OLD.TXT"));
    EXPECT_FALSE(Exists(other + "\\A.DLL"));
    EXPECT_EQ(ReadBytes(other + "\\A.TMP"), "new dll");
    EXPECT_FALSE(Exists(wininit));
}

}  // namespace
