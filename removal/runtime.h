// The program's own small runtime: heap, buffered byte streams for files, bounded
// formatting and the few string helpers it needs. REMOVR.EXE has no C run-time
// library (Windows 95 as first shipped has no MSVCRT.DLL): runtime_win32.cpp
// implements the heap and the raw file calls over KERNEL32; the host build's twin,
// runtime_libc.cpp, over the C library. The streams' buffering (runtime_stream.cpp)
// and the text helpers (runtime_text.cpp) are the same code in both builds.
#ifndef REMOVR_RUNTIME_H
#define REMOVR_RUNTIME_H

#include <stdarg.h>
#include <stddef.h>

#include <new>  // placement new only

// ---- Heap: NULL when the memory is not there.
void* RtAlloc(size_t size);
void RtFree(void* block);

// A record on the heap, constructed in place; NULL when the memory is not there.
template <typename T>
T* RtNew()
{
    void* block = RtAlloc(sizeof(T));
    return block != NULL ? ::new (block) T() : NULL;
}

template <typename T>
void RtDelete(T* record)
{
    if (record == NULL) return;
    record->~T();
    RtFree(record);
}

// ---- Byte streams on files, buffered here, over the platform's file calls. No text
// conversion happens here: the callers handle the Windows conventions (CR LF,
// Ctrl-Z) themselves. A plain record, so that taking a byte is inline.
#define RT_STREAM_BUFFER_SIZE 4096

struct RtStream {
    void* file;      // the platform's open file
    int writing;
    int failed;      // a read or write error happened: every later call fails
    int atEnd;
    size_t used;     // reading: bytes in the buffer; writing: bytes waiting
    size_t position; // reading: the next byte's place in the buffer
    unsigned char buffer[RT_STREAM_BUFFER_SIZE];
};

enum {
    RT_END = -1,    // no further byte
    RT_ERROR = -2   // the file could not be read
};

// Opens an existing file for reading. NULL when it cannot be opened; *missing (if
// given) is then 1 when the file (or its directory) does not exist, else 0.
RtStream* RtOpenRead(const char* path, int* missing);
// Creates the file, or cuts an existing one to nothing, for writing. NULL on failure.
RtStream* RtOpenWrite(const char* path);
// Refills an empty read buffer: 1 when a byte is waiting.
int RtFillStream(RtStream* stream);
// The next byte without taking it (0..255), RT_END or RT_ERROR.
inline int RtPeekByte(RtStream* stream)
{
    if (stream->position < stream->used || RtFillStream(stream))
        return stream->buffer[stream->position];
    return stream->failed ? RT_ERROR : RT_END;
}
// The next byte (0..255), RT_END or RT_ERROR.
inline int RtReadByte(RtStream* stream)
{
    int c = RtPeekByte(stream);
    if (c >= 0) stream->position++;
    return c;
}
// 1 when all count bytes were taken; once a write has failed every later one fails.
int RtWrite(RtStream* stream, const void* bytes, size_t count);
// Writes out what is buffered, has the system write it through to the disk (a file
// that later steps rely on must survive a power cut) and closes. 1 only when every
// write of the stream, the write-through and the close succeeded. Always frees it.
int RtClose(RtStream* stream);

// The platform's file calls under the streams (runtime_win32.cpp, runtime_libc.cpp).
// Open: NULL on failure, with *missing as for RtOpenRead. Read: 1 with *got bytes
// (0 at the end), 0 on an error. Write: 1 when all count bytes were written.
void* RtFileOpen(const char* path, int writing, int* missing);
int RtFileRead(void* file, void* buffer, size_t size, size_t* got);
int RtFileWrite(void* file, const void* bytes, size_t count);
// 1 when what was written reached the disk.
int RtFileSync(void* file);
int RtFileClose(void* file);
// 1 when path is there, or cannot be asked for (an error other than its absence).
int RtPathThere(const char* path);
// 1 when the file was deleted. On Windows a read-only file is deleted too: files
// copied from a CD-ROM keep that attribute, and the program deletes only its own.
int RtDeleteFile(const char* path);
#ifdef _WIN32
// Clears the read-only attribute of the file at path, keeping its other attributes.
// 1 when the file is not read-only now (or is not there); 0 when it stays read-only,
// which neither a deletion nor the restart's processing can then remove.
int RtClearReadOnly(const char* path);
#endif

// ---- Texts, in the system's code page. In a double-byte code page (932, 936, 949,
// 950) the second byte of a character may be '\', '[' or ']': every search steps over
// whole characters, as the system does; comparisons stay byte by byte.
// 1 when c begins a two-byte character.
int RtIsLeadByte(unsigned char c);
#ifndef _WIN32
// The host build's code page: 932 gives its lead bytes (0x81-0x9F, 0xE0-0xFC), any
// other value none. Windows answers from the system's own code page.
void RtSetCodePage(unsigned int codePage);
#endif
// The character after the one at text; text itself at the terminator. A lead byte
// before the terminator is a character of its own.
const char* RtNextChar(const char* text);
size_t RtLength(const char* text);
// The first (or last) c in text, or NULL; c may be the terminating zero.
const char* RtFindChar(const char* text, char c);
const char* RtFindLastChar(const char* text, char c);
// Byte-wise comparison: 0 when equal, else the sign of the first difference.
int RtCompare(const char* a, const char* b);
void RtCopyBytes(void* to, const void* from, size_t count);
// A heap copy of text (free it with RtFree), or NULL.
char* RtDuplicate(const char* text);

// Bounded formatting with the conversions the program uses: %s, %d, %i, %u and %%,
// with the flags "-+ 0#", a width and a precision in digits. Always terminates out
// when size > 0, cutting what does not fit. Returns the length that the whole
// result has (as snprintf does), so "result < size" is the fit check.
// An unknown conversion is copied as it stands and takes no argument.
int RtFormat(char* out, size_t size, const char* format, ...);
int RtFormatV(char* out, size_t size, const char* format, va_list args);

#endif
