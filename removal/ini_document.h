// The in-memory wininit.ini: an ordered list of sections, each an ordered list of
// lines kept byte for byte. Portable: the Windows text conventions (CR LF in and
// out, a lone CR kept, Ctrl-Z ends the file) are handled here, not by the C library.
#ifndef REMOVR_INI_DOCUMENT_H
#define REMOVR_INI_DOCUMENT_H

#include <stddef.h>

#include "runtime.h"

// Capacity of one line: 519 characters and the terminating zero. A line read from
// a file is kept whole up to this size; a longer one makes the whole load fail, so
// that a file we cannot hold faithfully is never written back.
#define INI_LINE_SIZE 520

struct IniLine {
    char text[INI_LINE_SIZE];
    IniLine* next;

    IniLine();
    int SetText(const char* newText);  // 0 for no text or one beyond the capacity
    int Write(RtStream* stream) const;     // text then CR LF; 0 without a stream or on error
};

struct IniSection {
    char* name;  // heap copy owned by the section, or none
    IniSection* next;
    IniLine* firstLine;
    IniLine* lastLine;

    IniSection();
    ~IniSection();
    int SetName(const char* text);
    int SetNameFromHeader(const char* line);
    int AddLine(const char* text);
    int AppendLine(IniLine* line);
    int Write(RtStream* stream) const;

private:
    IniSection(const IniSection&);
    IniSection& operator=(const IniSection&);
};

struct IniDocument {
    IniSection* firstSection;
    IniSection* lastSection;
    // Set by Load: 1 when the file could not be opened because it does not exist.
    // Only a missing file may be treated as empty by the caller.
    int missing;

    IniDocument();
    ~IniDocument();
    int Load(const char* path);
    int Save(const char* path) const;
    IniSection* FindSection(const char* name) const;
    int AppendSection(IniSection* section);
    // Adds each line of other that its section here lacks (the section made when
    // missing); the number added, or -1 when a record cannot be allocated.
    int AddMissingLines(const IniDocument& other);

private:
    IniDocument(const IniDocument&);
    IniDocument& operator=(const IniDocument&);
};

// Reads the next line that is not a comment into buffer (bufferSize bytes, room for
// the terminating zero included). 1: a line was read; 0: no further line (buffer
// empty); -1: the stream cannot be read faithfully (read error, a line that does
// not fit the buffer, a zero byte in a line).
int ReadIniLine(char* buffer, size_t bufferSize, RtStream* stream);

int IsSectionHeader(const char* line);

// Puts the finished temporary file tmp in place of target; 1 when tmp's bytes are
// there. Afterwards target holds its old bytes or tmp's and tmp is gone, except on
// Windows 95/98 when the old file was moved aside and neither copy could then be
// moved in: both are kept beside target, since one of them is the only copy of
// another program's entries. Per platform (ini_replace_posix.cpp, ini_replace_win32.cpp).
int IniReplaceFile(const char* tmp, const char* target);

// Our copies beside the file: the new one (the second while the first waits), and
// the old one moved aside.
extern const char* const g_aszNewCopyExtensions[2];
extern const char* const g_aszAsideExtensions[2];
// The first of names beside target that is free into out; 0 when none is.
int FreeCopyName(char* out, size_t size, const char* target, const char* const names[2]);

// Completes or undoes a replacing of target that was ended midway, before target is
// read, by whether the new copy is still beside it: if so it never moved in, and an
// old copy moved aside goes back (whole where target is missing, else the lines
// target lacks); if not, the old copy goes. Windows only (ini_replace_win32.cpp).
void IniRecoverReplacing(const char* target);

#endif
