// Replacing wininit.ini by its finished temporary copy on Windows. The NT family
// replaces in one step; Windows 95/98 have no MoveFileExA (it fails with
// ERROR_CALL_NOT_IMPLEMENTED), so there the old file is deleted first.
#include "ini_document.h"

#include <windows.h>

int IniReplaceFile(const char* tmp, const char* target)
{
    if (!tmp || !target)
        return 0;
    if (MoveFileExA(tmp, target, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return 0;

    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(target))
        return 0;
    return MoveFileA(tmp, target) ? 1 : 0;
}
