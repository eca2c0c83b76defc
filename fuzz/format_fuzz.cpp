// libFuzzer target for the formats a resource library may hand the program. A format
// that the check accepts for a message is filled with exactly the arguments the
// program passes for it, by the program's own formatter and by the C library's: the
// two must give the same text and length, whatever the buffer's size. Under the
// sanitizers any format that reads an argument that was not passed ends the run.
#include "message_format.h"
#include "runtime.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename... Args>
void Compare(const char* format, Args... args)
{
    for (size_t size : {size_t(512), size_t(7), size_t(1)}) {
        char ours[512];
        char theirs[512];
        int a = RtFormat(ours, size, format, args...);
        int b = std::snprintf(theirs, size, format, args...);
        if (a != b || std::strcmp(ours, theirs) != 0) {
            std::fprintf(stderr, "format [%s] size %zu: ours %d [%s], C library %d [%s]\n", format,
                         size, a, ours, b, theirs);
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string format(reinterpret_cast<const char*>(data), size);
    format = format.c_str();  // a resource string ends at its first zero byte
    // Widths and precisions of six digits and more: the program's formatter stops
    // counting at 100,000 where the C library goes on (and refuses counts beyond
    // INT_MAX); both then overflow every buffer the program has, so only the fit
    // check's answer matters, and it is "does not fit" for both.
    size_t digits = 0;
    for (char c : format) {
        digits = c >= '0' && c <= '9' ? digits + 1 : 0;
        if (digits >= 6) return 0;
    }
    // The wizard body: two texts; the restart body: one; the setup error: a text
    // and a number.
    if (IsFormatSafe(format.c_str(), "ss")) Compare(format.c_str(), "Varsen Software", "Varsen Software");
    if (IsFormatSafe(format.c_str(), "s")) Compare(format.c_str(), "Varsen Software");
    if (IsFormatSafe(format.c_str(), "sd")) Compare(format.c_str(), "REMOVR.EXE", 1);
    return 0;
}
