// Replacing wininit.ini by its finished temporary copy on Windows. The NT family
// replaces in one step. Windows 95/98 have no MoveFileExA (it fails with
// ERROR_CALL_NOT_IMPLEMENTED) and MoveFileA never replaces, so there the old file is
// moved aside under a name of our own, the new one moved in, and only then the old
// copy deleted; the file that holds another program's entries is never deleted
// before a complete copy of them is in place.
#include "ini_document.h"

#include <windows.h>

#include "path_rules.h"
#include "runtime.h"

static int Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Where the old file is moved aside: the first of our names that is free. An old copy
// still there from an ended run may be the only one of what it holds (another
// program's entries among them): it is never overwritten.
static int FreeAsideName(char* aside, size_t size, const char* target)
{
    for (int i = 0; i < 2; i++)
        if (ReplaceExtension(aside, size, target, g_aszAsideExtensions[i]) && !Exists(aside)) return 1;
    return 0;
}

static int ReplaceInSteps(const char* tmp, const char* target)
{
    char aside[MAX_PATH];
    if (!FreeAsideName(aside, sizeof aside, target)) {
        DeleteFileA(tmp);
        return 0;
    }
    if (!MoveFileA(target, aside)) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND && MoveFileA(tmp, target)) return 1;
        DeleteFileA(tmp);
        return 0;
    }
    // Between these two moves a power cut leaves no file in place: the restart then
    // goes without it, and the next start moves the old copy back.
    if (MoveFileA(tmp, target)) {
        // The aside copy keeps the old file's attributes: read-only, it goes too.
        RtDeleteFile(aside);
        return 1;
    }
    if (MoveFileA(aside, target)) {
        DeleteFileA(tmp);
        return 0;
    }
    // Neither copy could be put in place: both stay, the old one and the new one,
    // which holds every entry of the old one.
    return 0;
}

void IniRecoverReplacing(const char* target)
{
    char path[MAX_PATH];
    char done[MAX_PATH];
    // A new copy moves in only once it is complete: one left beside the file is stale.
    if (ReplaceExtension(path, sizeof path, target, g_szNewCopyExtension) && Exists(path))
        RtDeleteFile(path);
    // The restart renames the file it carried out to wininit.bak: an old copy whose
    // lines are all there was carried out already (ended after the new file moved in),
    // and goes, since a rename line carried out twice can lose a file.
    if (!ReplaceExtension(done, sizeof done, target, "bak")) return;
    for (int i = 0; i < 2; i++) {
        if (!ReplaceExtension(path, sizeof path, target, g_aszAsideExtensions[i]) || !Exists(path))
            continue;
        IniDocument* old = RtNew<IniDocument>();
        IniDocument* current = RtNew<IniDocument>();
        IniDocument* carried = RtNew<IniDocument>();
        int added = -1;
        if (old == NULL || current == NULL || carried == NULL || !old->Load(path)) {
            // kept for a later start
        } else if (carried->Load(done) && carried->AddMissingLines(*old) == 0) {
            added = 0;
        } else if (!Exists(target) && GetLastError() == ERROR_FILE_NOT_FOUND) {
            // Ended between the two moves: the old copy goes back whole.
            MoveFileA(path, target);
        } else if (current->Load(target)) {
            // Written anew meanwhile: the lines it lacks go into it first.
            added = current->AddMissingLines(*old);
        }
        if (added == 0 || (added > 0 && current->Save(target))) RtDeleteFile(path);
        RtDelete(old);
        RtDelete(current);
        RtDelete(carried);
    }
}

int IniReplaceFile(const char* tmp, const char* target)
{
    if (!tmp || !target)
        return 0;
    if (MoveFileExA(tmp, target, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return ReplaceInSteps(tmp, target);
    // The one-step replace failed and left the old file as it was.
    DeleteFileA(tmp);
    return 0;
}
