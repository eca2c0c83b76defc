// The file removal pass. Files that may be loaded or running are scheduled through
// the rename section of wininit.ini ("NUL=<path>" deletes the file at the next
// start); on the NT family, which never reads that file, they are also registered
// for deletion at restart with the system.
#include "file_pass.h"

#include <commctrl.h>

#include "ini_document.h"
#include "removal_table.h"
#include "runtime.h"

static const char kWininitName[] = "wininit.ini";
static const char kRenameSection[] = "rename";
static const int kProgressStart = 10;
static const int kProgressStep = 14;

int IsNtPlatform()
{
    return (GetVersion() & 0x80000000u) == 0;
}

// Windows 95/98 skip rename entries whose paths hold long names, so the NUL= line
// names an existing file by its short form when that fits.
static const char* PathForNulLine(const char* path, char* shortPath, DWORD shortSize)
{
    DWORD n = GetShortPathNameA(path, shortPath, shortSize);
    if (n > 0 && n < shortSize) return shortPath;
    return path;
}

// Adds one scheduled deletion; 0 when it will not be done at the next start. The NT
// family never reads wininit.ini: there only the system's own registration counts.
// Neither family's restart deletes a read-only file, so its attribute goes first.
static int ScheduleAtRestart(IniSection* rename, const char* path, int nt)
{
    char shortPath[REMOVR_PATH_SIZE];
    char line[REMOVR_PATH_SIZE];
    int writable = RtClearReadOnly(path);
    int recorded = rename != NULL &&
                   BuildNulLine(PathForNulLine(path, shortPath, sizeof shortPath), line,
                                sizeof line) &&
                   rename->AddLine(line);
    if (nt)
        recorded = GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ||
                   MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    return writable && recorded;
}

// The install folder goes at the restart after its files: the NT family's restart
// removes a folder only when it is empty, so one that holds the user's own files
// stays. A drive's root is never named.
static void ScheduleInstallFolder()
{
    char folder[REMOVR_PATH_SIZE];
    if (!FormatPath(folder, sizeof folder, "%s%s", g_szInstallDir, "")) return;
    size_t length = RtLength(folder);
    if (length <= 3) return;
    folder[length - 1] = '\0';  // its closing backslash
    MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int RunRemovalPass(HWND progressBar, HWND statusText)
{
    char wininitPath[REMOVR_PATH_SIZE];
    char path[REMOVR_PATH_SIZE];
    int ok = 1;
    const int nt = IsNtPlatform();

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
    // Only Windows 95/98 read wininit.ini: there a file that cannot be rewritten
    // leaves every scheduled file on the disk.
    if (!writable && !nt) ok = 0;

    for (int i = 0; i < g_removalTableCount; i++) {
        const RemovalEntry& entry = g_removalTable[i];
        SetWindowTextA(statusText, entry.fileName);
        if (!BuildEntryPath(entry, path, sizeof path)) {
            if (entry.pendingName != NULL) ok = 0;
        } else if (entry.pendingName != NULL) {
            if (!ScheduleAtRestart(writable ? rename : NULL, path, nt)) ok = 0;
        } else {
            RtDeleteFile(path);
        }
        SendMessageA(progressBar, PBM_DELTAPOS, kProgressStep, 0);
    }

    // Windows 95/98's restart deletes files only: there the folder stays.
    if (nt) ScheduleInstallFolder();
    if (writable && !document->Save(wininitPath) && !nt) ok = 0;
    WritePrivateProfileStringA(NULL, NULL, NULL, kWininitName);
    RtDelete(document);
    return ok;
}
