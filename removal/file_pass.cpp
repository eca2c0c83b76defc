// The file removal pass. Files that may be loaded or running are scheduled through
// the rename section of wininit.ini ("NUL=<path>" deletes the file at the next
// start); on the NT family, which never reads that file, they are also registered
// for deletion at restart with the system.
#include "file_pass.h"

#include <commctrl.h>

#include "ini_document.h"
#include "path_rules.h"
#include "platform.h"
#include "removal_table.h"
#include "runtime.h"

static const char kWininitName[] = "wininit.ini";
static const char kRenameSection[] = "rename";
static const int kProgressStart = 10;
static const int kProgressStep = 14;

// Windows 95/98 skip rename entries whose paths hold long names, so the NUL= line
// names an existing file by its short form when that fits.
static const char* PathForNulLine(const char* path, char* shortPath, DWORD shortSize)
{
    DWORD n = GetShortPathNameA(path, shortPath, shortSize);
    if (n > 0 && n < shortSize) return shortPath;
    return path;
}

// What became of the files scheduled for the next start: each goes on a NUL= line
// and, where the system has its own registration, is registered with it too.
struct Scheduled {
    int listed;      // every one is on a NUL= line of a wininit.ini that was put in place
    int registered;  // every one that exists is registered with the system
};

// Schedules one file. Neither family's restart deletes a read-only file, so its
// attribute goes first: a file that keeps it stays either way.
static void ScheduleAtRestart(IniSection* rename, const char* path, Scheduled* scheduled)
{
    char shortPath[REMOVR_PATH_SIZE];
    char line[REMOVR_PATH_SIZE];
    if (!RtClearReadOnly(path)) scheduled->listed = scheduled->registered = 0;
    if (rename == NULL ||
        !BuildNulLine(PathForNulLine(path, shortPath, sizeof shortPath), line, sizeof line) ||
        !rename->AddLine(line))
        scheduled->listed = 0;
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES &&
        RegisterDeletionAtRestart(path) == RESTART_DELETION_REFUSED)
        scheduled->registered = 0;
}

// Deletes a file of the package now. One that stays (a library another program has
// loaded, a file it holds open) goes at the restart instead; one that is not there
// is no failure.
static void DeleteNowOrAtRestart(IniSection* rename, const char* path, Scheduled* scheduled)
{
    if (!RtDeleteFile(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        ScheduleAtRestart(rename, path, scheduled);
}

// WinHelp 4 writes its own files beside a help file it opens: a hidden index at the
// first opening, the full-text search files after a Find. They go with the help file;
// nothing else of the folder is touched.
static const char kHelpExtension[] = ".HLP";
static const char kHelpFiles[][4] = {"GID", "FTS", "FTG"};

static void DeleteHelpFiles(const RemovalEntry& entry, const char* helpPath, IniSection* rename,
                            Scheduled* scheduled)
{
    const char* ext = RtFindLastChar(entry.fileName, '.');
    if (entry.location != LOCATION_INSTALL || ext == NULL || RtCompare(ext, kHelpExtension) != 0)
        return;
    // Hidden, as the index is, is no obstacle to either deletion; read-only is cleared.
    char path[REMOVR_PATH_SIZE];
    for (size_t i = 0; i < sizeof kHelpFiles / sizeof kHelpFiles[0]; i++)
        if (ReplaceExtension(path, sizeof path, helpPath, kHelpFiles[i]))
            DeleteNowOrAtRestart(rename, path, scheduled);
}

// The install folder goes at the restart after its files, where the system deletes
// at the restart: its restart removes a folder only when it is empty, so one that
// holds the user's own files stays. A drive's root is never named.
static void ScheduleInstallFolder()
{
    char folder[REMOVR_PATH_SIZE];
    if (!SystemDeletesAtRestart() || !FormatPath(folder, sizeof folder, "%s%s", g_szInstallDir, ""))
        return;
    size_t length = RtLength(folder);
    if (length <= 3) return;
    folder[length - 1] = '\0';  // its closing backslash
    RegisterDeletionAtRestart(folder);
}

int RunRemovalPass(HWND progressBar, HWND statusText)
{
    char wininitPath[REMOVR_PATH_SIZE];
    char path[REMOVR_PATH_SIZE];
    Scheduled scheduled = {1, 1};

    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(progressBar, PBM_SETPOS, kProgressStart, 0);

    int havePath = FormatPath(wininitPath, sizeof wininitPath, "%s\\%s", g_szWindowsDir,
                              kWininitName);
    WritePrivateProfileStringA(NULL, NULL, NULL, kWininitName);

    IniDocument* document = RtNew<IniDocument>();
    IniSection* rename = NULL;
    // A file that exists but cannot be held faithfully is never rewritten.
    int writable = 0;
    if (document != NULL && havePath) {
        int loaded = document->Load(wininitPath);
        writable = loaded || document->missing;
        if (loaded) rename = document->FindSection(kRenameSection);
        if (writable && rename == NULL) {
            rename = RtNew<IniSection>();
            if (rename == NULL || !rename->SetName(kRenameSection) ||
                !document->AppendSection(rename)) {
                RtDelete(rename);
                rename = NULL;
                writable = 0;
            }
        }
    }
    if (!writable) scheduled.listed = 0;

    for (int i = 0; i < g_removalTableCount; i++) {
        const RemovalEntry& entry = g_removalTable[i];
        SetWindowTextA(statusText, entry.fileName);
        if (!BuildEntryPath(entry, path, sizeof path)) {
            if (entry.pendingName != NULL) scheduled.listed = scheduled.registered = 0;
        } else if (entry.pendingName != NULL) {
            ScheduleAtRestart(rename, path, &scheduled);
        } else {
            DeleteNowOrAtRestart(rename, path, &scheduled);
            DeleteHelpFiles(entry, path, rename, &scheduled);
        }
        SendMessageA(progressBar, PBM_DELTAPOS, kProgressStep, 0);
    }

    // Windows 95/98's restart deletes files only: there the folder stays.
    ScheduleInstallFolder();
    if (writable && !document->Save(wininitPath)) scheduled.listed = 0;
    WritePrivateProfileStringA(NULL, NULL, NULL, kWininitName);
    RtDelete(document);
    // A system that takes registrations for the restart never reads wininit.ini:
    // there only they count.
    return SystemDeletesAtRestart() ? scheduled.registered : scheduled.listed;
}
