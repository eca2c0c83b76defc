// Whether this run may remove the package: asked once, before the wizard. Before it
// decides, a replacing of wininit.ini that an ended run left midway is completed or
// undone, so that no other program's entries wait aside; beyond that, a run that
// cannot remove the package changes nothing.
#include "installation.h"

#include <windows.h>

#include "cleanup.h"
#include "file_pass.h"
#include "messages.h"
#include "path_rules.h"
#include "platform.h"
#include "registry_plan.h"
#include "removal_table.h"
#include "runtime.h"

static const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// 1 when a file of the table besides the uninstaller itself is there, in the install
// folder (inInstall) or in the system and INF folders. With doubtIsThere, a file
// that cannot be asked for (its folder not known, an error other than its absence)
// counts as there.
static int TableFileThere(int inInstall, int doubtIsThere)
{
    char path[REMOVR_PATH_SIZE];
    for (int i = 0; i < g_removalTableCount; i++) {
        const RemovalEntry& entry = g_removalTable[i];
        if ((entry.location == LOCATION_INSTALL) != inInstall ||
            RtCompare(entry.fileName, g_szProgramFile) == 0)
            continue;
        if (!BuildEntryPath(entry, path, sizeof path)) {
            if (doubtIsThere) return 1;
        } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
            return 1;
        } else if (doubtIsThere && GetLastError() != ERROR_FILE_NOT_FOUND &&
                   GetLastError() != ERROR_PATH_NOT_FOUND) {
            return 1;
        }
    }
    return 0;
}

// The short form of path (a folder ending in its backslash, or a file) cut after its
// last backslash: the folder in one spelling, whichever spelling path has. 0 when it
// cannot be had, or is no full path.
static int ShortFolderOf(const char* path, char* out, DWORD size)
{
    DWORD n = GetShortPathNameA(path, out, size);
    const char* slash = n > 0 && n < size ? RtFindLastChar(out, '\\') : NULL;
    if (slash == NULL) return 0;
    out[slash - out + 1] = '\0';
    return IsFullDirectory(out);
}

// 0 only when the package's uninstall entry, which Add/Remove Programs runs, names an
// existing uninstaller in another folder: this one is then a copy, such as the
// unpacked distribution's. A missing or unreadable entry, or one that names no
// existing file, leaves the answer to the files: refusing the installed uninstaller
// by mistake would leave the user no way to remove the package.
static int UninstallEntryNamesThisFolder()
{
    HKEY key;
    char value[REMOVR_PATH_SIZE];
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szPackageUninstallKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return 1;
    int read = ReadRegistryText(key, "UninstallString", value, sizeof value);
    RegCloseKey(key);
    if (!read) return 1;

    // "C:\Program Files\...\REMOVR.EXE", with or without its quotes.
    const char* path = value;
    if (value[0] == '"') {
        const char* end = RtFindChar(++path, '"');
        if (end != NULL) value[end - value] = '\0';
    }
    DWORD attributes = GetFileAttributesA(path);
    char named[REMOVR_PATH_SIZE];
    char own[REMOVR_PATH_SIZE];
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !ShortFolderOf(path, named, sizeof named) || !ShortFolderOf(g_szInstallDir, own, sizeof own))
        return 1;
    return SamePathIgnoringCase(named, own);
}

// The result of opening path with access, the key closed again.
static LONG TryOpen(const char* path, REGSAM access)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return result;
}

// 0 when the system denies this user what the removal needs (a user of the NT family
// without an administrator's rights, or a Power User): deleting the package's
// uninstall key (or, where it is gone, writing the Uninstall key) and registering
// deletions for the restart. A key that is missing is no refusal.
static int HasRightsToRemove()
{
    LONG package =
        TryOpen(g_szPackageUninstallKey, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (package == ERROR_FILE_NOT_FOUND) package = TryOpen(kUninstallKey, KEY_WRITE);
    return package != ERROR_ACCESS_DENIED &&
           TryOpen(g_szSessionManagerKey, KEY_SET_VALUE) != ERROR_ACCESS_DENIED;
}

int InstallationVerdict()
{
    RecoverWininit();
    int registered = PackageRegistered();
    // The run's mark beside this uninstaller: an unfinished removal, whatever the
    // install held. Otherwise a limited user running a copy is told that it is a copy:
    // one away from the package, another folder's than the uninstall entry names, or
    // one where nothing of the package is left beyond its own folder (no key of its
    // registry plan, no file of its table in the system or INF folder; doubt counts as
    // left).
    if (!MarkThere() && (!TableFileThere(1, 0) || !UninstallEntryNamesThisFolder() ||
                         !(registered || TableFileThere(0, 1))))
        return MSG_NOT_INSTALLED;
    if (!registered && PackageFilesAllScheduled()) return MSG_ONLY_RESTART_LEFT;
    return HasRightsToRemove() ? 0 : MSG_NEEDS_ADMINISTRATOR;
}
