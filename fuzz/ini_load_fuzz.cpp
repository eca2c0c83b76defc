// libFuzzer target for loading wininit.ini. Whatever the file holds, a load must
// not fault, and a document that loaded must round-trip: saving it, loading the
// saved file and saving again gives the same bytes.
#include "ini_document.h"
#include "runtime.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string g_input;
std::string g_first;
std::string g_second;

int WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    size_t written = size ? std::fwrite(data, 1, size, f) : 0;
    return std::fclose(f) == 0 && written == size;
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        std::abort();
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, got);
    std::fclose(f);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string prefix = std::string(tmp && *tmp ? tmp : "/tmp") + "/removr_ini_fuzz_" +
                         std::to_string(static_cast<long>(getpid()));
    g_input = prefix + "_in.ini";
    g_first = prefix + "_first.ini";
    g_second = prefix + "_second.ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteBytes(g_input, data, size))
        std::abort();

    {
        IniDocument doc;
        if (!doc.Load(g_input.c_str()))
            return 0;  // a file that cannot be held faithfully is never written back
        if (!doc.Save(g_first.c_str()))
            std::abort();
    }
    {
        IniDocument doc;
        if (!doc.Load(g_first.c_str()) || !doc.Save(g_second.c_str()))
            std::abort();
    }
    if (ReadBytes(g_first) != ReadBytes(g_second))
        std::abort();
    return 0;
}
