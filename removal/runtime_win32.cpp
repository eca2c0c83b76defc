// The runtime's heap and raw file calls over KERNEL32, for REMOVR.EXE, which links
// no C run-time library.
#include "runtime.h"

#include <windows.h>

void* RtAlloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void RtFree(void* block)
{
    if (block != NULL) HeapFree(GetProcessHeap(), 0, block);
}

void* RtFileOpen(const char* path, int writing, int* missing)
{
    HANDLE file = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ,
                              writing ? 0 : FILE_SHARE_READ, NULL,
                              writing ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (missing != NULL) {
        DWORD error = GetLastError();
        *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return NULL;
}

int RtFileRead(void* file, void* buffer, size_t size, size_t* got)
{
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(file), buffer, static_cast<DWORD>(size), &read, NULL))
        return 0;
    *got = read;
    return 1;
}

int RtFileWrite(void* file, const void* bytes, size_t count)
{
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(file), from, static_cast<DWORD>(count), &written, NULL) ||
            written == 0)
            return 0;
        from += written;
        count -= written;
    }
    return 1;
}

int RtFileSync(void* file)
{
    return FlushFileBuffers(static_cast<HANDLE>(file)) ? 1 : 0;
}

int RtFileClose(void* file)
{
    return CloseHandle(static_cast<HANDLE>(file)) ? 1 : 0;
}

int RtPathThere(const char* path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return 1;
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

int RtClearReadOnly(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return 1;
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesA(path, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL) ? 1 : 0;
}

int RtDeleteFile(const char* path)
{
    RtClearReadOnly(path);
    return DeleteFileA(path) ? 1 : 0;
}

int RtIsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) ? 1 : 0;
}
