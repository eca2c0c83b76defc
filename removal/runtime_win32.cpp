// The runtime's heap and file streams over KERNEL32, for REMOVR.EXE, which links no
// C run-time library.
#include "runtime.h"

#include <windows.h>

static const DWORD kStreamBufferSize = 4096;

struct RtStream {
    HANDLE file;
    int writing;
    int failed;      // a read or write error happened
    DWORD used;      // reading: bytes in the buffer; writing: bytes waiting
    DWORD position;  // reading: the next byte's place in the buffer
    int atEnd;
    unsigned char buffer[kStreamBufferSize];
};

void* RtAlloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void RtFree(void* block)
{
    if (block != NULL) HeapFree(GetProcessHeap(), 0, block);
}

static RtStream* OpenStream(const char* path, int writing)
{
    HANDLE file = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ,
                              writing ? 0 : FILE_SHARE_READ, NULL,
                              writing ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return NULL;
    RtStream* stream = static_cast<RtStream*>(RtAlloc(sizeof(RtStream)));
    if (stream == NULL) {
        CloseHandle(file);
        return NULL;
    }
    stream->file = file;
    stream->writing = writing;
    stream->failed = 0;
    stream->used = 0;
    stream->position = 0;
    stream->atEnd = 0;
    return stream;
}

RtStream* RtOpenRead(const char* path, int* missing)
{
    if (missing != NULL) *missing = 0;
    RtStream* stream = OpenStream(path, 0);
    if (stream == NULL && missing != NULL) {
        DWORD error = GetLastError();
        *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return stream;
}

RtStream* RtOpenWrite(const char* path)
{
    return OpenStream(path, 1);
}

// Refills an empty read buffer; 0 at the end of the file or after an error.
static int Fill(RtStream* stream)
{
    if (stream->position < stream->used) return 1;
    if (stream->failed || stream->atEnd || stream->writing) return 0;
    DWORD got = 0;
    if (!ReadFile(stream->file, stream->buffer, kStreamBufferSize, &got, NULL)) {
        stream->failed = 1;
        return 0;
    }
    stream->used = got;
    stream->position = 0;
    if (got == 0) stream->atEnd = 1;
    return got > 0;
}

int RtPeekByte(RtStream* stream)
{
    if (!Fill(stream)) return stream->failed ? RT_ERROR : RT_END;
    return stream->buffer[stream->position];
}

int RtReadByte(RtStream* stream)
{
    int c = RtPeekByte(stream);
    if (c >= 0) stream->position++;
    return c;
}

static int Flush(RtStream* stream)
{
    DWORD done = 0;
    while (!stream->failed && done < stream->used) {
        DWORD written = 0;
        if (!WriteFile(stream->file, stream->buffer + done, stream->used - done, &written, NULL) ||
            written == 0)
            stream->failed = 1;
        done += written;
    }
    stream->used = 0;
    return !stream->failed;
}

int RtWrite(RtStream* stream, const void* bytes, size_t count)
{
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    if (!stream->writing) stream->failed = 1;
    while (!stream->failed && count > 0) {
        if (stream->used == kStreamBufferSize && !Flush(stream)) break;
        DWORD room = kStreamBufferSize - stream->used;
        DWORD part = count < room ? static_cast<DWORD>(count) : room;
        RtCopyBytes(stream->buffer + stream->used, from, part);
        stream->used += part;
        from += part;
        count -= part;
    }
    return !stream->failed;
}

int RtClose(RtStream* stream)
{
    if (stream == NULL) return 0;
    int ok = 1;
    if (stream->writing) ok = Flush(stream);
    if (stream->failed) ok = 0;
    if (!CloseHandle(stream->file)) ok = 0;
    RtFree(stream);
    return ok;
}

int RtDeleteFile(const char* path)
{
    return DeleteFileA(path) ? 1 : 0;
}
