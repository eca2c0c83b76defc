// The package's file table: what the removal pass deletes at once and what it
// schedules for deletion at the next Windows start.
#include "removal_table.h"

#include "path_rules.h"
#include "runtime.h"

#define AT_RESTART "NUL"

const RemovalEntry g_removalTable[] = {
    {LOCATION_INSTALL, "tkpanel.DLL", NULL},
    {LOCATION_INSTALL, "tkpanel.HLP", NULL},
    {LOCATION_INSTALL, "tkpanel.CNT", NULL},
    {LOCATION_INSTALL, "PELTO.HLP", NULL},
    {LOCATION_INSTALL, "PELTOW32.EXE", AT_RESTART},
    {LOCATION_INSTALL, "PELTOAPI.DLL", AT_RESTART},
    {LOCATION_INSTALL, "REMOVR.EXE", AT_RESTART},
    {LOCATION_INSTALL, "TKSET32.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TKRES32.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TKSET16.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TKRES16.DLL", AT_RESTART},
    {LOCATION_INSTALL, "PADCORE.DLL", AT_RESTART},
    {LOCATION_INSTALL, "KICKER.DLL", AT_RESTART},
    {LOCATION_INSTALL, "PADCORE.LIB", AT_RESTART},
    {LOCATION_INSTALL, "PADCORE.H", AT_RESTART},
    {LOCATION_INSTALL, "INKCTL32.DLL", AT_RESTART},
    {LOCATION_INSTALL, "INKRES.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TKCPRES.DLL", AT_RESTART},
    {LOCATION_INSTALL, "INKCAP.EXE", AT_RESTART},
    {LOCATION_INSTALL, "INKDEST.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TRAINER.EXE", AT_RESTART},
    {LOCATION_INSTALL, "TRNSUP32.DLL", AT_RESTART},
    {LOCATION_INSTALL, "TRNSUP16.DLL", AT_RESTART},
    {LOCATION_INSTALL, "MOTION.EXE", AT_RESTART},
    {LOCATION_INSTALL, "RELNOTE.TXT", AT_RESTART},
    {LOCATION_INSTALL, "DRIFTCD.EXE", AT_RESTART},
    {LOCATION_INSTALL, "INSTNT.DLL", AT_RESTART},
    {LOCATION_INSTALL, "SHAPREC.DLL", AT_RESTART},
    {LOCATION_INSTALL, "MOTIONS.BIN", AT_RESTART},
    {LOCATION_SYSTEM, "PELTO.VXD", AT_RESTART},
    {LOCATION_INF, "PELTO.INF", NULL},
};

const int g_removalTableCount = sizeof(g_removalTable) / sizeof(g_removalTable[0]);

char g_szInstallDir[REMOVR_PATH_SIZE];
char g_szSystemDir[REMOVR_PATH_SIZE];
char g_szWindowsDir[REMOVR_PATH_SIZE];
char g_szInfDir[REMOVR_PATH_SIZE];

int FormatPath(char* out, size_t outSize, const char* format, const char* a,
                       const char* b)
{
    if (outSize == 0) return 0;
    int n = RtFormat(out, outSize, format, a, b);
    if (n < 0 || static_cast<size_t>(n) >= outSize) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

int SetInfDirFromWindowsDir()
{
    return FormatPath(g_szInfDir, sizeof g_szInfDir, "%s\\%s", g_szWindowsDir, "INF");
}

int BuildEntryPath(const RemovalEntry& entry, char* out, size_t outSize)
{
    // A directory that could not be found is no directory: "\\NAME" or a bare
    // "NAME" would name another file.
    const char* dir = entry.location == LOCATION_INSTALL  ? g_szInstallDir
                      : entry.location == LOCATION_SYSTEM ? g_szSystemDir
                      : entry.location == LOCATION_INF    ? g_szInfDir
                                                          : "";
    if (dir[0] == '\0') {
        if (outSize) out[0] = '\0';
        return 0;
    }
    // The install directory already ends in its backslash.
    const char* format = entry.location == LOCATION_INSTALL ? "%s%s" : "%s\\%s";
    return FormatPath(out, outSize, format, dir, entry.fileName);
}

int BuildNulLine(const char* path, char* out, size_t outSize)
{
    return FormatPath(out, outSize, "%s%s", "NUL=", path);
}

static int NamesFile(const char* named, const char* path, const char* shortPath)
{
    return SamePathIgnoringCase(named, path) ||
           (shortPath != NULL && SamePathIgnoringCase(named, shortPath));
}

// How text begins, its ASCII letters in either case: what follows, or NULL.
static const char* AfterPrefix(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; text++, prefix++) {
        char c = *text >= 'a' && *text <= 'z' ? static_cast<char>(*text - 'a' + 'A') : *text;
        if (c != *prefix) return NULL;
    }
    return text;
}

int NulLineNames(const char* line, const char* path, const char* shortPath)
{
    const char* named = AfterPrefix(line, "NUL=");
    return named != NULL && NamesFile(named, path, shortPath);
}

int PendingListDeletes(const char* list, size_t size, const char* path, const char* shortPath)
{
    size_t at = 0, fileEnd, next;
    while ((next = PendingPairEnd(list, size, at, &fileEnd)) != 0) {
        const char* file = AfterPrefix(list + at, "\\??\\");
        if (next == fileEnd + 2 && file != NULL && NamesFile(file, path, shortPath)) return 1;
        at = next;
    }
    return 0;
}
