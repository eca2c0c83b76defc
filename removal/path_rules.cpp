// Path split and join rules. Every write is checked against its buffer; a part
// that does not fit makes the whole operation fail.
#include "path_rules.h"

#include "runtime.h"

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The last character of text ends in a separator; a double-byte character whose
// second byte is '\' does not.
static int EndsInSeparator(const char* text)
{
    const char* last = text;
    for (const char* p = text; *p; p = RtNextChar(p)) last = p;
    return IsSeparator(*last);
}

// Copies count characters of from into out; 0 when they do not fit with the terminator.
static int CopyPart(char* out, size_t outSize, const char* from, size_t count)
{
    if (out == NULL) return 1;
    if (count >= outSize) return 0;
    RtCopyBytes(out, from, count);
    out[count] = '\0';
    return 1;
}

static void Clear(char* out, size_t outSize)
{
    if (out != NULL && outSize > 0) out[0] = '\0';
}

int SplitPath(const char* path, char* drive, size_t driveSize, char* dir, size_t dirSize,
              char* name, size_t nameSize, char* ext, size_t extSize)
{
    size_t length = RtLength(path);
    size_t driveLength = (length >= 2 && path[1] == ':') ? 2 : 0;

    const char* rest = path + driveLength;
    const char* fileStart = rest;
    for (const char* p = rest; *p; p = RtNextChar(p))
        if (IsSeparator(*p)) fileStart = p + 1;
    const char* fileEnd = path + length;
    const char* extStart = RtFindLastChar(fileStart, '.');
    if (extStart == NULL) extStart = fileEnd;

    if (CopyPart(drive, driveSize, path, driveLength) &&
        CopyPart(dir, dirSize, rest, static_cast<size_t>(fileStart - rest)) &&
        CopyPart(name, nameSize, fileStart, static_cast<size_t>(extStart - fileStart)) &&
        CopyPart(ext, extSize, extStart, static_cast<size_t>(fileEnd - extStart)))
        return 1;
    Clear(drive, driveSize);
    Clear(dir, dirSize);
    Clear(name, nameSize);
    Clear(ext, extSize);
    return 0;
}

// Appends text to out at *used; 0 when it does not fit with the terminator.
static int Append(char* out, size_t outSize, size_t* used, const char* text, size_t count)
{
    if (count >= outSize - *used) return 0;
    RtCopyBytes(out + *used, text, count);
    *used += count;
    out[*used] = '\0';
    return 1;
}

int JoinPath(char* out, size_t outSize, const char* drive, const char* dir, const char* name,
             const char* ext)
{
    if (outSize == 0) return 0;
    size_t used = 0;
    out[0] = '\0';
    int ok = 1;
    if (drive != NULL && drive[0] != '\0') {
        ok = Append(out, outSize, &used, drive, 1) && Append(out, outSize, &used, ":", 1);
    }
    if (ok && dir != NULL && dir[0] != '\0') {
        ok = Append(out, outSize, &used, dir, RtLength(dir));
        if (ok && !EndsInSeparator(dir)) ok = Append(out, outSize, &used, "\\", 1);
    }
    if (ok && name != NULL) ok = Append(out, outSize, &used, name, RtLength(name));
    if (ok && ext != NULL && ext[0] != '\0') {
        if (ext[0] != '.') ok = Append(out, outSize, &used, ".", 1);
        if (ok) ok = Append(out, outSize, &used, ext, RtLength(ext));
    }
    if (!ok) out[0] = '\0';
    return ok;
}

int ReplaceExtension(char* out, size_t outSize, const char* path, const char* ext)
{
    char drive[PATH_DRIVE_SIZE];
    char dir[PATH_DIR_SIZE];
    char name[PATH_DIR_SIZE];
    if (SplitPath(path, drive, sizeof drive, dir, sizeof dir, name, sizeof name, NULL, 0) &&
        JoinPath(out, outSize, drive, dir, name, ext))
        return 1;
    if (outSize > 0) out[0] = '\0';
    return 0;
}

int IsFullDirectory(const char* dir)
{
    size_t length = RtLength(dir);
    if (length == 0 || !EndsInSeparator(dir)) return 0;
    int drivePath = length >= 3 && dir[1] == ':' && IsSeparator(dir[2]) &&
                    ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z'));
    int uncPath = length >= 3 && IsSeparator(dir[0]) && IsSeparator(dir[1]);
    return drivePath || uncPath;
}

static char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int SamePathIgnoringCase(const char* a, const char* b)
{
    for (;; a++, b++) {
        if (UpperAscii(*a) != UpperAscii(*b)) return 0;
        if (*a == '\0') return 1;
        // Both begin a double-byte character here: its second bytes must be the same.
        if (RtIsLeadByte(static_cast<unsigned char>(*a)) && a[1] != '\0' && *++a != *++b) return 0;
    }
}
