// The runtime's heap and file streams over the C library, for the host build: the
// portable modules run natively, under the sanitizers, through the same interface
// as in REMOVR.EXE.
#include "runtime.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

struct RtStream {
    FILE* file;
    int writing;
    int failed;
};

void* RtAlloc(size_t size)
{
    return std::malloc(size != 0 ? size : 1);
}

void RtFree(void* block)
{
    std::free(block);
}

static RtStream* OpenStream(const char* path, int writing)
{
    FILE* file = std::fopen(path, writing ? "wb" : "rb");
    if (file == NULL) return NULL;
    RtStream* stream = static_cast<RtStream*>(RtAlloc(sizeof(RtStream)));
    if (stream == NULL) {
        std::fclose(file);
        return NULL;
    }
    stream->file = file;
    stream->writing = writing;
    stream->failed = 0;
    return stream;
}

RtStream* RtOpenRead(const char* path, int* missing)
{
    if (missing != NULL) *missing = 0;
    errno = 0;
    RtStream* stream = OpenStream(path, 0);
    if (stream == NULL && missing != NULL) *missing = errno == ENOENT;
    return stream;
}

RtStream* RtOpenWrite(const char* path)
{
    return OpenStream(path, 1);
}

int RtPeekByte(RtStream* stream)
{
    if (stream->failed) return RT_ERROR;
    int c = std::getc(stream->file);
    if (c == EOF) {
        if (std::ferror(stream->file)) {
            stream->failed = 1;
            return RT_ERROR;
        }
        return RT_END;
    }
    std::ungetc(c, stream->file);
    return c;
}

int RtReadByte(RtStream* stream)
{
    if (stream->failed) return RT_ERROR;
    int c = std::getc(stream->file);
    if (c != EOF) return c;
    if (!std::ferror(stream->file)) return RT_END;
    stream->failed = 1;
    return RT_ERROR;
}

int RtWrite(RtStream* stream, const void* bytes, size_t count)
{
    if (!stream->writing || (!stream->failed && std::fwrite(bytes, 1, count, stream->file) != count))
        stream->failed = 1;
    return !stream->failed;
}

int RtClose(RtStream* stream)
{
    if (stream == NULL) return 0;
    int ok = !stream->failed;
    if (stream->writing && std::fflush(stream->file) != 0) ok = 0;
    if (std::fclose(stream->file) != 0) ok = 0;
    RtFree(stream);
    return ok;
}

int RtDeleteFile(const char* path)
{
    return std::remove(path) == 0 ? 1 : 0;
}
