// libFuzzer target for the formats a resource library may hand the program. A format
// that the check accepts for a message is then really filled with exactly the
// arguments the program passes for it; under the sanitizers any format that reads
// an argument that was not passed, or writes through one, ends the run.
#include "message_format.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string format(reinterpret_cast<const char*>(data), size);
    format = format.c_str();  // a resource string ends at its first zero byte
    char out[512];
    // The wizard body: two texts; the restart body: one; the setup error: a text
    // and a number.
    if (IsFormatSafe(format.c_str(), "ss"))
        std::snprintf(out, sizeof out, format.c_str(), "Varsen Software", "Varsen Software");
    if (IsFormatSafe(format.c_str(), "s"))
        std::snprintf(out, sizeof out, format.c_str(), "Varsen Software");
    if (IsFormatSafe(format.c_str(), "sd"))
        std::snprintf(out, sizeof out, format.c_str(), "REMOVR.EXE", 1);
    return 0;
}
