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

// An 8.3 name of our own, as the new copy's (Windows 95/98 may have long names
// switched off); not wininit.bak, which Windows writes itself at start.
static const char kAsideExtension[] = "rvo";

static int ReplaceInSteps(const char* tmp, const char* target)
{
    char aside[MAX_PATH];
    if (!ReplaceExtension(aside, sizeof aside, target, kAsideExtension)) {
        DeleteFileA(tmp);
        return 0;
    }
    // An old copy still there from an earlier run may be the only one of what it
    // holds (another program's entries among them): it is never overwritten, and
    // no fresh file may take the place it waits to be moved back to.
    if (GetFileAttributesA(aside) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(tmp);
        return 0;
    }
    if (!MoveFileA(target, aside)) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND && MoveFileA(tmp, target)) return 1;
        DeleteFileA(tmp);
        return 0;
    }
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
