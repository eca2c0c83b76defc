// libFuzzer target for the system's list of renames at the next restart, as another
// program may have left it in the registry: whatever its bytes, reading it must stay
// inside them, and a deletion it is said to hold must name the file there.
#include "removal_table.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly its size: the sanitizer sees a read past it.
    std::vector<char> list(data, data + size);
    const char* path = "C:\\P\\REMOVR.EXE";
    if (PendingListDeletes(list.data(), list.size(), path, "c:\\p\\x") &&
        !memmem(list.data(), list.size(), "\\P\\", 3) && !memmem(list.data(), list.size(), "\\p\\", 3))
        std::abort();
    return 0;
}
