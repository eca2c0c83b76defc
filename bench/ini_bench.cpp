// Cost of loading and saving a large wininit.ini, against a plain byte copy of the
// same file through the same buffered streams. The per-line figures should stay flat
// from 10,000 to 100,000 lines: loading and saving are linear in the file's size.
#include "ini_document.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string g_dir;

std::string InputPath(long lines)
{
    return g_dir + "/in" + std::to_string(lines) + ".ini";
}

std::string OutputPath()
{
    return g_dir + "/out.ini";
}

// Sections of 49 scheduled deletions each, the shape the removal pass produces.
int WriteSample(const std::string& path, long lines)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    for (long i = 0; i < lines; ++i) {
        if (i % 50 == 0)
            std::fprintf(f, "[rename%ld]\r\n", i / 50);
        else
            std::fprintf(f, "NUL=C:\\PROGRA~1\\VARSEN\\DRIVERS\\FILE%06ld.DLL\r\n", i);
    }
    return std::fclose(f) == 0 ? 1 : 0;
}

void SetLineCounters(benchmark::State& state)
{
    long lines = state.range(0);
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["time_per_line"] = benchmark::Counter(
        static_cast<double>(lines),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LoadSave(benchmark::State& state)
{
    std::string in = InputPath(state.range(0));
    for (auto _ : state) {
        IniDocument doc;
        if (!doc.Load(in.c_str()) || !doc.Save(OutputPath().c_str())) {
            state.SkipWithError("load or save failed");
            break;
        }
    }
    SetLineCounters(state);
}

void BM_ByteCopy(benchmark::State& state)
{
    std::string in = InputPath(state.range(0));
    for (auto _ : state) {
        FILE* from = std::fopen(in.c_str(), "rb");
        FILE* to = std::fopen(OutputPath().c_str(), "wb");
        int ok = from && to;
        for (int ch; ok && (ch = std::fgetc(from)) != EOF;)
            ok = std::fputc(ch, to) != EOF;
        if (from)
            std::fclose(from);
        if (to && std::fclose(to) != 0)
            ok = 0;
        if (!ok) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    SetLineCounters(state);
}

BENCHMARK(BM_LoadSave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ByteCopy)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::error_code error;
    g_dir = (std::filesystem::temp_directory_path(error) / "removr_ini_bench").string();
    std::filesystem::create_directories(g_dir, error);
    if (!WriteSample(InputPath(10000), 10000) || !WriteSample(InputPath(100000), 100000)) {
        std::fprintf(stderr, "cannot write the sample files in %s\n", g_dir.c_str());
        return 1;
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_dir, error);
    return 0;
}
