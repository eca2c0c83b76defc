// The in-memory wininit.ini: reading it line by line with the Windows text
// conventions, the header and name rules, and writing it back through a temporary
// file so that a failed save never damages the file on disk.
#include "ini_document.h"

#include "path_rules.h"

// The new copy is written beside the file under an 8.3 name of the program's own:
// a Windows 95/98 file system with long names switched off has no other kind.
const char* const g_aszNewCopyExtensions[2] = {"rvn", "rvm"};
// The old file moved aside while the new one moves in (Windows 95/98): two names,
// so that a replacing can go on while the copy of an ended one still waits.
const char* const g_aszAsideExtensions[2] = {"rvo", "rvp"};

int FreeCopyName(char* out, size_t size, const char* target, const char* const names[2])
{
    for (int i = 0; i < 2; i++)
        if (ReplaceExtension(out, size, target, names[i]) && !RtPathThere(out)) return 1;
    return 0;
}

namespace {

const int kCtrlZ = 0x1A;
const size_t kPathSize = 260;  // the platform's path limit, terminating zero included
// The new copy is written beside the file under an 8.3 name of the program's own:
// a Windows 95/98 file system with long names switched off has no other kind.

int WriteText(RtStream* stream, const char* text)
{
    return RtWrite(stream, text, RtLength(text));
}

// Reads one physical line into buffer (bufferSize bytes). 1: a line; 2: a comment
// line (buffer empty, its text is not kept, so neither its length nor its bytes
// matter); 0: end of file before the line's first character; -1: the line cannot
// be kept faithfully.
int ReadPhysicalLine(char* buffer, size_t bufferSize, RtStream* stream)
{
    size_t length = 0;
    int started = 0;
    int comment = 0;
    buffer[0] = '\0';

    for (;;) {
        int ch = RtPeekByte(stream);
        if (ch == RT_ERROR)
            return -1;
        // Ctrl-Z is left unread, so that every later read also meets the end.
        if (ch == RT_END || ch == kCtrlZ)
            break;
        RtReadByte(stream);
        if (ch == '\n') {
            started = 1;
            break;
        }
        if (ch == '\r') {
            int following = RtPeekByte(stream);
            if (following == RT_ERROR)
                return -1;
            if (following == '\n') {
                RtReadByte(stream);
                started = 1;
                break;
            }
            // A lone CR is an ordinary character of the line.
        }
        if (!started && ch == '#')
            comment = 1;
        started = 1;
        if (comment)
            continue;
        if (ch == '\0' || length + 1 >= bufferSize) {
            buffer[0] = '\0';
            return -1;
        }
        buffer[length++] = static_cast<char>(ch);
    }

    buffer[length] = '\0';
    if (!started)
        return 0;
    return comment ? 2 : 1;
}

} // namespace

IniLine::IniLine() : next(nullptr)
{
    text[0] = '\0';
}

int IniLine::SetText(const char* newText)
{
    if (!newText)
        return 0;
    size_t length = RtLength(newText);
    if (length >= INI_LINE_SIZE)
        return 0;  // refused, never cut
    RtCopyBytes(text, newText, length + 1);
    return 1;
}

int IniLine::Write(RtStream* stream) const
{
    if (!stream)
        return 0;
    return WriteText(stream, text) && WriteText(stream, "\r\n");
}

IniSection::IniSection()
    : name(nullptr), next(nullptr), firstLine(nullptr), lastLine(nullptr)
{
}

IniSection::~IniSection()
{
    IniLine* line = firstLine;
    while (line) {
        IniLine* following = line->next;
        RtDelete(line);
        line = following;
    }
    firstLine = nullptr;
    lastLine = nullptr;
    RtFree(name);
    name = nullptr;
}

int IniSection::SetName(const char* text)
{
    if (!text)
        return 0;
    char* copy = RtDuplicate(text);
    if (!copy)
        return 0;
    RtFree(name);
    name = copy;
    return 1;
}

int IniSection::SetNameFromHeader(const char* line)
{
    if (!line)
        return 0;
    const char* open = RtFindChar(line, '[');
    if (!open)
        return 0;
    const char* close = RtFindChar(open + 1, ']');
    if (!close)
        return 0;

    size_t length = static_cast<size_t>(close - (open + 1));
    char* copy = static_cast<char*>(RtAlloc(length + 1));
    if (!copy)
        return 0;
    RtCopyBytes(copy, open + 1, length);
    copy[length] = '\0';
    RtFree(name);
    name = copy;
    return 1;
}

int IniSection::AddLine(const char* text)
{
    IniLine* line = RtNew<IniLine>();
    if (!line)
        return 0;
    if (!line->SetText(text) || !AppendLine(line)) {
        RtDelete(line);
        return 0;
    }
    return 1;
}

int IniSection::AppendLine(IniLine* line)
{
    if (!line || !firstLine != !lastLine)
        return 0;
    if (lastLine)
        lastLine->next = line;
    else
        firstLine = line;
    lastLine = line;
    return 1;
}

int IniSection::Write(RtStream* stream) const
{
    if (!stream)
        return 0;
    if (name) {
        if (!WriteText(stream, "[") || !WriteText(stream, name) || !WriteText(stream, "]\r\n"))
            return 0;
    }
    for (const IniLine* line = firstLine; line; line = line->next) {
        if (!line->Write(stream))
            return 0;
    }
    return 1;
}

IniDocument::IniDocument() : firstSection(nullptr), lastSection(nullptr), missing(0)
{
}

IniDocument::~IniDocument()
{
    IniSection* section = firstSection;
    while (section) {
        IniSection* following = section->next;
        RtDelete(section);
        section = following;
    }
    firstSection = nullptr;
    lastSection = nullptr;
}

int IniDocument::Load(const char* path)
{
    missing = 0;
    if (!path)
        return 0;
    RtStream* stream = RtOpenRead(path, &missing);
    if (!stream)
        return 0;

    // Sections that were in the document before this load never get its lines.
    IniSection* current = nullptr;
    int result = 1;
    char buffer[INI_LINE_SIZE];

    for (;;) {
        int read = ReadIniLine(buffer, sizeof buffer, stream);
        if (read != 1) {
            if (read < 0)
                result = 0;
            break;
        }

        if (IsSectionHeader(buffer)) {
            IniSection* section = RtNew<IniSection>();
            if (!section || !AppendSection(section)) {
                RtDelete(section);
                result = 0;
                break;
            }
            // A header has '[' first and a ']' after it, so it always yields a name;
            // failing here means the name could not be allocated.
            if (!section->SetNameFromHeader(buffer)) {
                result = 0;
                break;
            }
            current = section;
            continue;
        }

        IniLine* line = RtNew<IniLine>();
        if (!line) {
            result = 0;
            break;
        }
        if (!current) {
            // Lines before the file's first header: one nameless section per load.
            IniSection* section = RtNew<IniSection>();
            if (!section || !AppendSection(section)) {
                RtDelete(section);
                RtDelete(line);
                result = 0;
                break;
            }
            current = section;
        }
        if (!line->SetText(buffer) || !current->AppendLine(line)) {
            RtDelete(line);
            result = 0;
            break;
        }
    }

    RtClose(stream);
    return result;
}

int IniDocument::Save(const char* path) const
{
    if (!path)
        return 0;
    char tmp[kPathSize];
    if (!FreeCopyName(tmp, sizeof tmp, path, g_aszNewCopyExtensions) || RtCompare(tmp, path) == 0)
        return 0;

    RtStream* stream = RtOpenWrite(tmp);
    if (!stream)
        return 0;  // nothing was created, so nothing to remove

    int ok = 1;
    for (const IniSection* section = firstSection; section && ok; section = section->next)
        ok = section->Write(stream);
    if (!RtClose(stream))
        ok = 0;
    if (!ok) {
        RtDeleteFile(tmp);
        return 0;
    }
    // The replace removes tmp, or keeps it when it must.
    return IniReplaceFile(tmp, path);
}

// 1 when the section holds a line of exactly that text.
static int HoldsLine(const IniSection* section, const char* text)
{
    for (const IniLine* line = section->firstLine; line; line = line->next)
        if (RtCompare(line->text, text) == 0)
            return 1;
    return 0;
}

int IniDocument::AddMissingLines(const IniDocument& other)
{
    int added = 0;
    for (const IniSection* from = other.firstSection; from; from = from->next) {
        // Lines before the first header go to the nameless section at the head.
        IniSection* into = from->name ? FindSection(from->name)
                                      : firstSection && !firstSection->name ? firstSection : nullptr;
        for (const IniLine* line = from->firstLine; line; line = line->next) {
            if (into && HoldsLine(into, line->text))
                continue;
            if (!into) {
                into = RtNew<IniSection>();
                if (!into || (from->name && (!into->SetName(from->name) || !AppendSection(into)))) {
                    RtDelete(into);
                    return -1;
                }
                if (!from->name) {
                    into->next = firstSection;
                    firstSection = into;
                    if (!lastSection)
                        lastSection = into;
                }
            }
            if (!into->AddLine(line->text))
                return -1;
            added++;
        }
    }
    return added;
}

IniSection* IniDocument::FindSection(const char* name) const
{
    if (!name)
        return nullptr;
    for (IniSection* section = firstSection; section; section = section->next) {
        if (section->name && RtCompare(section->name, name) == 0)
            return section;
    }
    return nullptr;
}

int IniDocument::AppendSection(IniSection* section)
{
    if (!section || !firstSection != !lastSection)
        return 0;
    if (lastSection)
        lastSection->next = section;
    else
        firstSection = section;
    lastSection = section;
    return 1;
}

int ReadIniLine(char* buffer, size_t bufferSize, RtStream* stream)
{
    if (!buffer || bufferSize == 0)
        return -1;
    buffer[0] = '\0';
    if (!stream)
        return -1;
    for (;;) {
        int read = ReadPhysicalLine(buffer, bufferSize, stream);
        if (read != 2)
            return read;
        // A comment: read the next line in its place.
    }
}

int IsSectionHeader(const char* line)
{
    if (!line)
        return 0;
    const char* open = line;
    while (*open == ' ' || *open == '\t')
        ++open;
    if (*open != '[')
        return 0;  // brackets inside a value, such as a path, make no header
    const char* close = RtFindChar(open, ']');
    if (!close)
        return 0;
    const char* semicolon = RtFindChar(open, ';');
    if (!semicolon)
        return 1;
    // A ';' between the brackets comments the header out; one after them is a note.
    return semicolon > close ? 1 : 0;
}
