// The file removal pass. Files that cannot be in use are deleted at once; those that
// may be loaded or running, and those that stayed, are scheduled through the rename
// section of wininit.ini ("NUL=<path>" deletes the file at the next start) and, on
// the NT family, which never reads that file, registered for deletion at restart
// with the system. A file that an earlier run scheduled is not scheduled again.
#include "file_pass.h"

#include <commctrl.h>

#include "ini_document.h"
#include "messages.h"
#include "path_rules.h"
#include "platform.h"
#include "removal_table.h"
#include "runtime.h"

static const char kWininitName[] = "wininit.ini";
static const char kRenameSection[] = "rename";
static const int kProgressStart = 10;
static const int kProgressStep = 14;

// What a next start needs to finish a removal that was ended (the uninstaller, its
// setup and resource libraries), and the package's file in the system folder, by
// which it knows that the package is still there. They go in the run's last step,
// once nothing else of the package stays, so that no restart takes them while the
// removal is unfinished.
static const char* const kNeededByNextStart[] = {g_szProgramFile, "TKSET32.DLL", "TKRES32.DLL",
                                                 "PELTO.VXD"};

// The run's own mark beside the uninstaller: left once the setup library's share has
// run, and again before the uninstall entry goes, so that a next start knows the
// removal is unfinished whatever else the install held. It goes at the restart with
// the uninstaller, in the same write. Neither the distribution nor a copy has one.
static const RemovalEntry kMark = {LOCATION_INSTALL, "REMOVR.RUN", "NUL"};

static int IsNeededByNextStart(const RemovalEntry& entry)
{
    for (size_t i = 0; i < sizeof kNeededByNextStart / sizeof kNeededByNextStart[0]; i++)
        if (SamePathIgnoringCase(entry.fileName, kNeededByNextStart[i])) return 1;
    return 0;
}

// WinHelp 4 writes its own files beside a help file it opens: a hidden index at the
// first opening, the full-text search files after a Find. They go with the help file;
// nothing else of the folder is touched.
static const char kHelpExtension[] = ".HLP";
static const char kHelpFiles[][4] = {"GID", "FTS", "FTG"};

// A file of the package: a table entry's (path NULL when it cannot be made), or with
// beside set one of WinHelp's files beside the entry's help file.
typedef void (*FileVisit)(void* context, const RemovalEntry& entry, const char* path, int beside);

static void VisitEntry(const RemovalEntry& entry, FileVisit visit, void* context)
{
    char path[REMOVR_PATH_SIZE];
    char beside[REMOVR_PATH_SIZE];
    int made = BuildEntryPath(entry, path, sizeof path);
    visit(context, entry, made ? path : NULL, 0);
    const char* ext = RtFindLastChar(entry.fileName, '.');
    if (!made || entry.location != LOCATION_INSTALL || ext == NULL ||
        RtCompare(ext, kHelpExtension) != 0)
        return;
    for (size_t j = 0; j < sizeof kHelpFiles / sizeof kHelpFiles[0]; j++)
        if (ReplaceExtension(beside, sizeof beside, path, kHelpFiles[j])) visit(context, entry, beside, 1);
}

// The rounds of the package's files: the table in its order (the pass); those a next
// start does not need; those it needs, in reverse order, the mark, then the
// uninstaller last (the last step); and the whole table with the mark (the check).
enum { ROUND_TABLE = -1, ROUND_NOT_NEEDED, ROUND_NEEDED, ROUND_ALL };

static void ForEachPackageFile(int round, FileVisit visit, void* context)
{
    for (int k = 0; k < g_removalTableCount; k++) {
        const RemovalEntry& entry = g_removalTable[round == ROUND_NEEDED ? g_removalTableCount - 1 - k : k];
        if ((round == ROUND_NOT_NEEDED || round == ROUND_NEEDED) && IsNeededByNextStart(entry) != round) continue;
        if (round >= ROUND_NEEDED && RtCompare(entry.fileName, g_szProgramFile) == 0) VisitEntry(kMark, visit, context);
        VisitEntry(entry, visit, context);
    }
}

// Windows 95/98 skip rename entries whose paths hold long names, so the NUL= line
// names an existing file by its short form when that fits.
static const char* ShortForm(const char* path, char* shortPath, DWORD shortSize)
{
    DWORD n = GetShortPathNameA(path, shortPath, shortSize);
    return n > 0 && n < shortSize ? shortPath : path;
}

// The path of wininit.ini into path (REMOVR_PATH_SIZE), the system's cached copy of
// the file flushed first; 0 when it does not fit.
static int WininitPath(char* path)
{
    WritePrivateProfileStringA(NULL, NULL, NULL, kWininitName);
    return FormatPath(path, REMOVR_PATH_SIZE, "%s\\%s", g_szWindowsDir, kWininitName);
}

// Room for the pairs of the last step's files and the install folder.
static const size_t kPairsSize = 6 * (REMOVR_PATH_SIZE + 6);

// What the next start will delete, and what this run added to it; or, checking,
// whether each file that stays is scheduled already.
struct RestartSchedule {
    char wininitPath[REMOVR_PATH_SIZE];
    IniDocument* document;
    IniSection* rename;  // NULL: wininit.ini cannot be held faithfully, nor written
    PendingDeletions pending;
    char* pairs;     // the system's list takes these files in one write (NULL: one by one)
    size_t paired;   // bytes of pairs used
    int checking;    // nothing is changed, only asked
    int listed;      // every file is on a NUL= line of a wininit.ini that will be in place
    int registered;  // every file that exists is registered with the system
    int added;       // a line was added: wininit.ini must be written
};

// Reads wininit.ini (flushing the system's cached copy first) and the system's list;
// unless checking a missing rename section is appended.
static void OpenSchedule(RestartSchedule* s, int checking)
{
    s->rename = NULL;
    s->checking = checking;
    s->listed = s->registered = 1;
    s->added = 0;
    ReadPendingDeletions(&s->pending);
    // A system that takes registrations for the restart never reads wininit.ini:
    // there it is not written, and one that exists keeps its bytes.
    s->document = RestartReadsWininit() ? RtNew<IniDocument>() : NULL;
    // A file that exists but cannot be held faithfully is never rewritten.
    if (s->document != NULL && WininitPath(s->wininitPath)) {
        int loaded = s->document->Load(s->wininitPath);
        if (loaded) s->rename = s->document->FindSection(kRenameSection);
        if (!checking && s->rename == NULL && (loaded || s->document->missing)) {
            IniSection* section = RtNew<IniSection>();
            if (section != NULL && section->SetName(kRenameSection) &&
                s->document->AppendSection(section))
                s->rename = section;
            else
                RtDelete(section);
        }
    }
    if (s->rename == NULL) s->listed = 0;
}

static int IsOnNulLine(const RestartSchedule& s, const char* path, const char* shortPath)
{
    for (const IniLine* line = s.rename != NULL ? s.rename->firstLine : NULL; line != NULL;
         line = line->next)
        if (NulLineNames(line->text, path, shortPath)) return 1;
    return 0;
}

// Registers path for deletion at the restart, or adds it to the pairs written in one
// go; 0 when refused, or when it does not fit.
static int Register(RestartSchedule* s, const char* path)
{
    if (s->pairs == NULL) return RegisterDeletionAtRestart(path) != RESTART_DELETION_REFUSED;
    char* pair = s->pairs + s->paired;
    size_t room = kPairsSize - s->paired;
    if (!FormatPath(pair, room, "%s%s", "\\??\\", path)) return 0;
    size_t length = RtLength(pair) + 1;
    if (length >= room) return 0;
    pair[length] = '\0';  // an empty new name: a deletion
    s->paired += length + 1;
    return 1;
}

// Schedules one file, unless it is scheduled already. Neither family's restart
// deletes a read-only file, so its attribute goes first: a file that keeps it stays
// either way. Checking, only a file that exists counts.
static void ScheduleFile(RestartSchedule* s, const char* path, int exists)
{
    char shortPath[REMOVR_PATH_SIZE];
    char line[REMOVR_PATH_SIZE];
    if (s->checking && !exists) return;
    const char* named = ShortForm(path, shortPath, sizeof shortPath);
    if (!s->checking && !RtClearReadOnly(path)) s->listed = s->registered = 0;
    if (!IsOnNulLine(*s, path, named)) {
        if (!s->checking && s->rename != NULL && BuildNulLine(named, line, sizeof line) &&
            s->rename->AddLine(line))
            s->added = 1;
        else
            s->listed = 0;
    }
    if (exists && !PendingListDeletes(s->pending.list, s->pending.size, path, named) &&
        (s->checking || !Register(s, path)))
        s->registered = 0;
}

// A system that takes registrations for the restart never reads wininit.ini: there
// only they count.
static int AllScheduled(const RestartSchedule& s)
{
    return RestartReadsWininit() ? s.listed : s.registered;
}

// Each file that goes at the restart, and each that was to go at once but stayed (a
// library another program has loaded, a file it holds open); one that is not there
// is no failure.
static void ScheduleWhatStays(void* context, const RemovalEntry& entry, const char* path, int beside)
{
    RestartSchedule* s = static_cast<RestartSchedule*>(context);
    int atRestart = entry.pendingName != NULL && !beside;
    if (path == NULL) {
        if (atRestart) s->listed = s->registered = 0;
    } else {
        int exists = RtPathThere(path);
        if (atRestart || exists) ScheduleFile(s, path, exists);
    }
}

// The install folder goes at the restart after its files, where the system deletes
// at the restart: its restart removes a folder only when it is empty, so one that
// holds the user's own files stays. A drive's root is never named.
static void ScheduleInstallFolder(RestartSchedule* s)
{
    char folder[REMOVR_PATH_SIZE];
    if (RestartReadsWininit() || !FormatPath(folder, sizeof folder, "%s%s", g_szInstallDir, ""))
        return;
    size_t length = RtLength(folder);
    if (length <= 3) return;
    folder[length - 1] = '\0';  // its closing backslash
    if (!PendingListDeletes(s->pending.list, s->pending.size, folder, NULL)) Register(s, folder);
}

struct PassControls {
    HWND progressBar;
    HWND statusText;
};

static void DeleteAtOnce(void* context, const RemovalEntry& entry, const char* path, int beside)
{
    const PassControls* controls = static_cast<const PassControls*>(context);
    if (!beside) SetWindowTextA(controls->statusText, entry.fileName);
    if (path != NULL && (beside || entry.pendingName == NULL)) RtDeleteFile(path);
    if (!beside) SendMessageA(controls->progressBar, PBM_DELTAPOS, kProgressStep, 0);
}

void RunRemovalPass(HWND progressBar, HWND statusText)
{
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(progressBar, PBM_SETPOS, kProgressStart, 0);
    PassControls controls = {progressBar, statusText};
    ForEachPackageFile(ROUND_TABLE, DeleteAtOnce, &controls);
}

// Schedules the files of round, or with ROUND_ALL asks whether every file
// that stays is scheduled already. Where the system takes registrations, those of the
// last step go in one write of its list, so that the restart takes all of them or
// none: ended between two, no restart would leave the uninstaller alone, or its
// libraries without it.
static int WalkSchedule(int round)
{
    RestartSchedule s;
    char pairs[kPairsSize];
    OpenSchedule(&s, round == ROUND_ALL);
    s.pairs = round == ROUND_NEEDED && !RestartReadsWininit() ? pairs : NULL;
    s.paired = 0;
    ForEachPackageFile(round, ScheduleWhatStays, &s);
    if (round == ROUND_NEEDED) {
        // Windows 95/98's restart deletes files only: there the folder stays.
        ScheduleInstallFolder(&s);
        if (s.paired > 0 && !AddToPendingDeletions(pairs, s.paired)) s.registered = 0;
    }
    // Nothing added: wininit.ini keeps its bytes.
    if (s.added && !s.document->Save(s.wininitPath)) s.listed = 0;
    if (s.document != NULL) WritePrivateProfileStringA(NULL, NULL, NULL, kWininitName);
    int all = AllScheduled(s);
    RtDelete(s.document);
    RtFree(s.pending.list);
    return all;
}

void RecoverWininit()
{
    char path[REMOVR_PATH_SIZE];
    if (WininitPath(path)) IniRecoverReplacing(path);
}

static int MarkPath(char* path)
{
    return BuildEntryPath(kMark, path, REMOVR_PATH_SIZE);
}

int MarkThere()
{
    char path[REMOVR_PATH_SIZE];
    return MarkPath(path) && RtPathThere(path);
}

int LeaveMark()
{
    char path[REMOVR_PATH_SIZE];
    if (!MarkPath(path)) return 0;
    if (RtPathThere(path)) return 1;
    // Empty: its being there is the record, written through to the disk.
    RtStream* mark = RtOpenWrite(path);
    return mark != NULL && RtClose(mark);
}

int ScheduleForRestart()
{
    return WalkSchedule(ROUND_NOT_NEEDED);
}

int ScheduleNeededByNextStart()
{
    return WalkSchedule(ROUND_NEEDED);
}

int PackageFilesAllScheduled()
{
    return WalkSchedule(ROUND_ALL);
}
