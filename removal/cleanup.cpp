// Shortcut and previous-setup clean-up. Paths come from the registry; one that
// does not fit its buffer is skipped, never cut, since a cut path can name
// another file, and one that is not a full path is refused, since it would be
// resolved against whatever drive and directory are current.
#include "cleanup.h"

#include "path_rules.h"
#include "removal_table.h"
#include "runtime.h"

static const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kProgramFolder[] = "\\Varsen Software";
static const char* const kProgramShortcuts[] = {
    "\\Ink Capture.lnk",
    "\\Pelto Help.lnk",
    "\\Trainer.lnk",
};
static const char kStartupShortcut[] = "\\Ink Capture.lnk";

// The user's own Start menu, and the one of all users that the NT family names and
// that a setup run by an administrator fills. A shortcut the user has no right to
// delete there stays.
struct StartMenu {
    HKEY root;
    const char* programs;
    const char* startup;
};
static const StartMenu kStartMenus[] = {
    {HKEY_CURRENT_USER, "Programs", "Startup"},
    {HKEY_LOCAL_MACHINE, "Common Programs", "Common Startup"},
};

static const char kEarlierSetupKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PeltoSetup";

int ReadRegistryText(HKEY key, const char* name, char* out, DWORD outSize)
{
    if (outSize == 0) return 0;
    DWORD type = 0;
    DWORD size = outSize;
    LONG result = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(out), &size);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size > outSize) {
        out[0] = '\0';
        return 0;
    }
    // A stored text need not end in its terminator.
    if (size == 0 || out[size - 1] != '\0') {
        if (size == outSize) {
            out[0] = '\0';
            return 0;
        }
        out[size] = '\0';
    }
    return 1;
}

// Splits path into drive and directory; 0 unless together they make a full
// directory ("C:\...\" or "\\server\...\"). An empty, relative, root-relative
// ("\dir\x") or drive-relative ("C:dir\x") path is refused.
static int SplitFullDirectory(const char* path, char* drive, size_t driveSize, char* dir,
                              size_t dirSize)
{
    char full[REMOVR_PATH_SIZE];
    return SplitPath(path, drive, driveSize, dir, dirSize, NULL, 0, NULL, 0) &&
           JoinPath(full, sizeof full, drive, dir, NULL, NULL) && IsFullDirectory(full);
}

// A shell-folder value names a folder: it is used only when it is a full path.
static int IsFullFolderValue(const char* value)
{
    char drive[PATH_DRIVE_SIZE];
    char dir[PATH_DIR_SIZE];
    return SplitFullDirectory(value, drive, sizeof drive, dir, sizeof dir);
}

static int StaysAfterDeleting(const char* path)
{
    return !RtDeleteFile(path) && RtPathThere(path);
}

static int IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The program folder goes when it is empty; one that holds files of others stays, as
// it should. 1 when it stays with nothing in it.
static int EmptyFolderStays(const char* folder)
{
    char pattern[REMOVR_PATH_SIZE];
    WIN32_FIND_DATAA entry;
    if (RemoveDirectoryA(folder) || !RtPathThere(folder)) return 0;
    HANDLE find = FormatPath(pattern, sizeof pattern, "%s%s", folder, "\\*.*")
                      ? FindFirstFileA(pattern, &entry)
                      : INVALID_HANDLE_VALUE;
    if (find == INVALID_HANDLE_VALUE) return 1;
    int empty = 1;
    do empty = IsDotEntry(entry.cFileName);
    while (empty && FindNextFileA(find, &entry));
    FindClose(find);
    return empty;
}

int RemoveShortcuts()
{
    char folder[REMOVR_PATH_SIZE];
    char value[REMOVR_PATH_SIZE];
    char path[REMOVR_PATH_SIZE];
    int stays = 0;
    for (size_t m = 0; m < sizeof kStartMenus / sizeof kStartMenus[0]; m++) {
        const StartMenu& menu = kStartMenus[m];
        HKEY key;
        if (RegOpenKeyExA(menu.root, kShellFoldersKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            continue;
        if (ReadRegistryText(key, menu.programs, value, sizeof value) && IsFullFolderValue(value) &&
            FormatPath(folder, sizeof folder, "%s%s", value, kProgramFolder)) {
            for (size_t i = 0; i < sizeof kProgramShortcuts / sizeof kProgramShortcuts[0]; i++)
                if (FormatPath(path, sizeof path, "%s%s", folder, kProgramShortcuts[i]))
                    stays += StaysAfterDeleting(path);
            stays += EmptyFolderStays(folder);
        }
        if (ReadRegistryText(key, menu.startup, value, sizeof value) && IsFullFolderValue(value) &&
            FormatPath(path, sizeof path, "%s%s", value, kStartupShortcut))
            stays += StaysAfterDeleting(path);
        RegCloseKey(key);
    }
    return stays;
}

void RestorePreviousSetupFile()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEarlierSetupKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    char value[REMOVR_PATH_SIZE];
    int haveValue = ReadRegistryText(key, "UninstallString", value, sizeof value);
    RegCloseKey(key);
    if (!haveValue) return;

    // The value is split as a plain path: a quoted value keeps its quote, so the
    // composed names do not exist and nothing is copied.
    char drive[PATH_DRIVE_SIZE];
    char dir[PATH_DIR_SIZE];
    char target[REMOVR_PATH_SIZE];
    // A relative value would name files in whatever directory is current.
    if (!SplitFullDirectory(value, drive, sizeof drive, dir, sizeof dir)) return;
    // The backup path is built over the value that was split.
    if (!JoinPath(value, sizeof value, drive, dir, "oldsig", "backup")) return;

    HANDLE backup = CreateFileA(value, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (backup == INVALID_HANDLE_VALUE) return;
    CloseHandle(backup);

    if (!JoinPath(target, sizeof target, drive, dir, "sig", "exe")) return;
    // The copy is refused onto a read-only file, which an earlier setup from a CD-ROM
    // leaves.
    RtClearReadOnly(target);
    CopyFileA(value, target, FALSE);
}
