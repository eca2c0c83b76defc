// Splitting and joining of paths, the way the uninstaller builds its install
// directory and the earlier setup's file names. Portable.
#ifndef REMOVR_PATH_RULES_H
#define REMOVR_PATH_RULES_H

#include <cstddef>

#define PATH_DRIVE_SIZE 3    // "C:" and its terminator
#define PATH_DIR_SIZE 256    // at most 255 characters of directory

// Splits path into drive (the first two characters when the second is ':'), directory
// (after the drive, up to and including the last '\' or '/'), name and extension (the
// rest from its last '.', dot included). Any output may be NULL. 0, with every given
// output empty, when a part does not fit its buffer: a part is refused, never cut.
int SplitPath(const char* path, char* drive, size_t driveSize, char* dir, size_t dirSize,
              char* name, size_t nameSize, char* ext, size_t extSize);

// Joins drive letter and ':' (when drive is given), directory (with a '\' added when it
// does not end in '\' or '/'), name, and '.' with ext (the dot only when ext lacks it).
// NULL or empty parts are left out. 0, with out empty, when the result does not fit.
int JoinPath(char* out, size_t outSize, const char* drive, const char* dir, const char* name,
             const char* ext);

// path with its extension replaced by ext (added when it has none): the name of a
// file beside it. 0, with out empty, when it does not fit.
int ReplaceExtension(char* out, size_t outSize, const char* path, const char* ext);

// 1 when dir is an absolute directory ending in a separator ("C:\...\" or "\\server\...\"),
// so that a file name behind it can never be looked up along a search path.
int IsFullDirectory(const char* dir);

// 1 when a and b spell one path but for the case of their ASCII letters; the second
// byte of a double-byte character is compared as it stands.
int SamePathIgnoringCase(const char* a, const char* b);

#endif
