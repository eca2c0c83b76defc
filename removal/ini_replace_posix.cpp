// Replacing wininit.ini by its finished temporary copy on a POSIX system: rename
// replaces an existing target in one step.
#include "ini_document.h"

#include <cstdio>

int IniReplaceFile(const char* tmp, const char* target)
{
    if (!tmp || !target)
        return 0;
    if (std::rename(tmp, target) == 0)
        return 1;
    std::remove(tmp);
    return 0;
}
