// The runtime's heap and raw file calls over the C library, for the host build: the
// portable modules run natively, under the sanitizers, through the same interface
// and the same stream buffering as in REMOVR.EXE.
#include "runtime.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

void* RtAlloc(size_t size)
{
    return std::malloc(size != 0 ? size : 1);
}

void RtFree(void* block)
{
    std::free(block);
}

void* RtFileOpen(const char* path, int writing, int* missing)
{
    errno = 0;
    FILE* file = std::fopen(path, writing ? "wb" : "rb");
    if (file == NULL && missing != NULL) *missing = errno == ENOENT;
    return file;
}

int RtFileRead(void* file, void* buffer, size_t size, size_t* got)
{
    FILE* stream = static_cast<FILE*>(file);
    *got = std::fread(buffer, 1, size, stream);
    return !std::ferror(stream);
}

int RtFileWrite(void* file, const void* bytes, size_t count)
{
    return std::fwrite(bytes, 1, count, static_cast<FILE*>(file)) == count;
}

int RtFileSync(void* file)
{
    return std::fflush(static_cast<FILE*>(file)) == 0;
}

int RtFileClose(void* file)
{
    return std::fclose(static_cast<FILE*>(file)) == 0;
}

int RtPathThere(const char* path)
{
    errno = 0;
    FILE* file = std::fopen(path, "rb");
    if (file != NULL) std::fclose(file);
    return file != NULL || (errno != ENOENT && errno != ENOTDIR);
}

int RtDeleteFile(const char* path)
{
    return std::remove(path) == 0 ? 1 : 0;
}

static unsigned int g_codePage = 0;

void RtSetCodePage(unsigned int codePage)
{
    g_codePage = codePage;
}

int RtIsLeadByte(unsigned char c)
{
    return g_codePage == 932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}
