// The package's file table, the directory set it is resolved against, and the
// building of full paths and NUL= lines. Portable.
#ifndef REMOVR_REMOVAL_TABLE_H
#define REMOVR_REMOVAL_TABLE_H

#include <cstddef>

#define REMOVR_PATH_SIZE 260

enum {
    LOCATION_INSTALL = 0,  // the install directory, which ends in a backslash
    LOCATION_SYSTEM = 1,   // the Windows system directory
    LOCATION_INF = 2       // the Windows INF directory
};

struct RemovalEntry {
    unsigned long location;   // a 16-bit location kind in a 32-bit slot
    const char* fileName;     // bare file name
    const char* pendingName;  // present: removed at the next start; none: deleted now
};

extern const RemovalEntry g_removalTable[];
extern const int g_removalTableCount;

// The directory set, filled once at start-up.
extern char g_szInstallDir[REMOVR_PATH_SIZE];
extern char g_szSystemDir[REMOVR_PATH_SIZE];
extern char g_szWindowsDir[REMOVR_PATH_SIZE];
extern char g_szInfDir[REMOVR_PATH_SIZE];

// Formats format with two texts into out. 0, with out empty, when the result does
// not fit: a path is refused, never cut to a name that may be another file's.
int FormatPath(char* out, size_t outSize, const char* format, const char* a, const char* b);

// Formats g_szInfDir as "<windows>\INF". 0 if it does not fit.
int SetInfDirFromWindowsDir();

// Full path of an entry by its location rule. 0, with out empty, when the path
// does not fit or its directory is unknown (empty): such a file is skipped, never
// cut to a name that may be another.
int BuildEntryPath(const RemovalEntry& entry, char* out, size_t outSize);

// "NUL=<path>". 0, with out empty, when it does not fit.
int BuildNulLine(const char* path, char* out, size_t outSize);

// 1 when the rename-section line is "NUL=" (in any case) followed by path or by
// shortPath (NULL for none), their letters in any case: the file is scheduled.
int NulLineNames(const char* line, const char* path, const char* shortPath);

// 1 when the system's list of renames at the next restart names path or shortPath
// (NULL for none) for deletion, in any letter case. The list holds pairs of texts of
// size bytes in all, each text ended by its zero: the file, "\??\" before its path,
// then its new name, empty for a deletion; an empty file ends the list.
int PendingListDeletes(const char* list, size_t size, const char* path, const char* shortPath);

// The pair of the system's list of renames (count characters) that begins at at:
// where it ends, past the zero of its new name; 0 at the list's end (an empty file)
// or where the pair is cut short. *fileEnd is where its file ends.
template <typename Char>
size_t PendingPairEnd(const Char* list, size_t count, size_t at, size_t* fileEnd)
{
    if (at >= count || list[at] == 0) return 0;
    size_t end = at;
    while (end < count && list[end] != 0) end++;
    *fileEnd = end++;
    while (end < count && list[end] != 0) end++;
    return end < count ? end + 1 : 0;
}

// Where the whole pairs of the system's list of renames (count characters) end: at
// its first empty file, or where a pair is cut short.
template <typename Char>
size_t PendingListEnd(const Char* list, size_t count)
{
    size_t at = 0, fileEnd, next;
    while ((next = PendingPairEnd(list, count, at, &fileEnd)) != 0) at = next;
    return at;
}

#endif
