// The runtime's buffered file streams, the same code in both builds, over the
// platform's raw file calls.
#include "runtime.h"

static RtStream* OpenStream(const char* path, int writing, int* missing)
{
    void* file = RtFileOpen(path, writing, missing);
    if (file == NULL) return NULL;
    RtStream* stream = static_cast<RtStream*>(RtAlloc(sizeof(RtStream)));
    if (stream == NULL) {
        RtFileClose(file);
        return NULL;
    }
    stream->file = file;
    stream->writing = writing;
    stream->failed = 0;
    stream->atEnd = 0;
    stream->used = 0;
    stream->position = 0;
    return stream;
}

RtStream* RtOpenRead(const char* path, int* missing)
{
    if (missing != NULL) *missing = 0;
    return OpenStream(path, 0, missing);
}

RtStream* RtOpenWrite(const char* path)
{
    return OpenStream(path, 1, NULL);
}

int RtFillStream(RtStream* stream)
{
    if (stream->position < stream->used) return 1;
    if (stream->failed || stream->atEnd || stream->writing) return 0;
    size_t got = 0;
    if (!RtFileRead(stream->file, stream->buffer, RT_STREAM_BUFFER_SIZE, &got)) {
        stream->failed = 1;
        return 0;
    }
    stream->used = got;
    stream->position = 0;
    if (got == 0) stream->atEnd = 1;
    return got > 0;
}

static int Flush(RtStream* stream)
{
    if (!stream->failed && stream->used > 0 &&
        !RtFileWrite(stream->file, stream->buffer, stream->used))
        stream->failed = 1;
    stream->used = 0;
    return !stream->failed;
}

int RtWrite(RtStream* stream, const void* bytes, size_t count)
{
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    if (!stream->writing) stream->failed = 1;
    while (!stream->failed && count > 0) {
        if (stream->used == RT_STREAM_BUFFER_SIZE && !Flush(stream)) break;
        size_t room = RT_STREAM_BUFFER_SIZE - stream->used;
        size_t part = count < room ? count : room;
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
    if (stream->writing) ok = Flush(stream) && RtFileSync(stream->file);
    if (stream->failed) ok = 0;
    if (!RtFileClose(stream->file)) ok = 0;
    RtFree(stream);
    return ok;
}
