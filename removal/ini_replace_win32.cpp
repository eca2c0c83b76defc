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

static int ReplaceInSteps(const char* tmp, const char* target)
{
    char aside[MAX_PATH];
    // An old copy still there from an ended run may be the only one of what it holds
    // (another program's entries among them): it is never overwritten.
    if (!FreeCopyName(aside, sizeof aside, target, g_aszAsideExtensions)) {
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

// Puts the old copy at aside back: whole where target is missing, else the lines
// that target, written anew meanwhile, lacks. 1 when the copy is gone.
static int PutBack(const char* aside, const char* target)
{
    if (!RtPathThere(target)) return MoveFileA(aside, target) ? 1 : 0;
    IniDocument* old = RtNew<IniDocument>();
    IniDocument* current = RtNew<IniDocument>();
    int added = old != NULL && current != NULL && old->Load(aside) && current->Load(target)
                    ? current->AddMissingLines(*old)
                    : -1;
    int back = (added == 0 || (added > 0 && current->Save(target))) && RtDeleteFile(aside);
    RtDelete(old);
    RtDelete(current);
    return back;
}

void IniRecoverReplacing(const char* target)
{
    char path[MAX_PATH];
    char fresh[MAX_PATH];
    // The second new copy is only ever written below, while the first waits: stale.
    if (ReplaceExtension(path, sizeof path, target, g_aszNewCopyExtensions[1]) && RtPathThere(path))
        RtDeleteFile(path);
    // A new copy is complete and on the disk before the old file moves aside, and
    // leaves by moving in: one still beside the file never moved in, so the old
    // content is the file's; without one, the file that moved in holds every line of
    // the old copy, which goes and is never moved back.
    int movedIn = !ReplaceExtension(fresh, sizeof fresh, target, g_aszNewCopyExtensions[0]) ||
                  !RtPathThere(fresh);
    int waiting = 0;
    for (int i = 0; i < 2; i++) {
        if (!ReplaceExtension(path, sizeof path, target, g_aszAsideExtensions[i]) || !RtPathThere(path))
            continue;
        if (movedIn ? !RtDeleteFile(path) : !PutBack(path, target)) waiting = 1;
    }
    // The new copy goes last: while an old copy waits, it tells what happened.
    if (!movedIn && !waiting) RtDeleteFile(fresh);
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
