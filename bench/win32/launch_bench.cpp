// Wall time from launch to the first dialog on screen: REMOVR.EXE (its wizard)
// against one_dialog.exe (a program that shows one dialog and nothing else), both
// started and watched the same way, in turns, several runs each, in one run.
//
//   launch_bench REMOVR.EXE one_dialog.exe [--runs N]
//
// Both programs are copied into a fresh temporary directory and started from
// there, beside one empty file of the package (a copy with none of it beside it
// shows only that), with a key of the package's registry made for the run where
// there is none (a copy where nothing of the package is left shows only that too),
// so that the uninstaller never touches the package. A launched
// program counts as up when a visible top-level dialog (#32770, not a message box)
// of its process holds control 1001, possibly in a child page; it is then ended at
// once. The wizard is only found, never pressed, so the removal never starts.
#include <windows.h>

#include "gui_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int kDialogControlId = 1001;
const DWORD kPollIntervalMs = 10;
const DWORD kLaunchDeadlineMs = 180000;
const DWORD kExitDeadlineMs = 30000;

struct Program {
    const char* name;
    std::string source;
    std::string copy;
    std::vector<double> samples;
};

std::string FromUnixPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string out = "Z:" + path;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void EndProcess(const PROCESS_INFORMATION& info)
{
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, kExitDeadlineMs);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// Milliseconds from CreateProcess to the dialog, or a negative number on failure.
double LaunchOnce(const std::string& path, const std::string& directory)
{
    std::string commandLine = "\"" + path + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION info;

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, directory.c_str(), &si,
                        &info)) {
        fprintf(stderr, "launch_bench: cannot start %s (error %lu)\n", path.c_str(),
                GetLastError());
        return -1;
    }
    double elapsedMs = 0;
    for (;;) {
        HWND found = DialogWithControl(info.dwProcessId, kDialogControlId);
        QueryPerformanceCounter(&now);
        elapsedMs = 1000.0 * (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
        if (found != NULL)
            break;
        if (elapsedMs > kLaunchDeadlineMs ||
            WaitForSingleObject(info.hProcess, kPollIntervalMs) == WAIT_OBJECT_0) {
            fprintf(stderr, "launch_bench: %s showed no dialog (%s)\n", path.c_str(),
                    elapsedMs > kLaunchDeadlineMs ? "deadline passed" : "it ended");
            EndProcess(info);
            return -1;
        }
    }
    EndProcess(info);
    return elapsedMs;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string MakeTempDirectory()
{
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof base, base);
    if (n == 0 || n >= sizeof base)
        return std::string();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[MAX_PATH + 64];
        snprintf(name, sizeof name, "%slaunch_bench_%lu_%u", base, GetCurrentProcessId(), attempt);
        if (CreateDirectoryA(name, NULL))
            return std::string(name) + "\\";
    }
    return std::string();
}

}  // namespace

int main(int argc, char** argv)
{
    int nRuns = 5;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            nRuns = atoi(argv[++i]);
        else
            paths.push_back(FromUnixPath(argv[i]));
    }
    if (paths.size() != 2 || nRuns < 1) {
        fprintf(stderr, "usage: launch_bench REMOVR.EXE one_dialog.exe [--runs N]\n");
        return 2;
    }
    std::string directory = MakeTempDirectory();
    if (directory.empty()) {
        fprintf(stderr, "launch_bench: cannot make a temporary directory\n");
        return 1;
    }
    Program programs[2] = {{"removr", paths[0], directory + BaseName(paths[0]), {}},
                           {"one_dialog", paths[1], directory + BaseName(paths[1]), {}}};
    const std::string packageFile = directory + "RELNOTE.TXT";
    HANDLE made = CreateFileA(packageFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    int nStatus = made != INVALID_HANDLE_VALUE && CloseHandle(made) ? 0 : 1;
    const char* packageKey = "SOFTWARE\\Varsen\\Lumatrak";
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, packageKey, 0, NULL, 0, KEY_WRITE, NULL, &key,
                        &disposition) == ERROR_SUCCESS)
        RegCloseKey(key);
    else
        nStatus = 1;
    for (Program& p : programs)
        if (!CopyFileA(p.source.c_str(), p.copy.c_str(), FALSE)) {
            fprintf(stderr, "launch_bench: cannot copy %s to %s\n", p.source.c_str(),
                    p.copy.c_str());
            nStatus = 1;
        }

    // In turns, baseline first, so that a drift of the machine reaches both alike.
    // Run 0 warms up (the copies' first load) and is not counted.
    for (int run = 0; run <= nRuns && nStatus == 0; ++run) {
        for (int i = 1; i >= 0 && nStatus == 0; --i) {
            Program& p = programs[i];
            double ms = LaunchOnce(p.copy, directory);
            if (ms < 0) {
                nStatus = 1;
                break;
            }
            printf("SAMPLE launch program=%s run=%d ms=%.1f%s\n", p.name, run, ms,
                   run == 0 ? " warmup" : "");
            fflush(stdout);
            if (run > 0)
                p.samples.push_back(ms);
        }
    }
    if (nStatus == 0)
        for (const Program& p : programs)
            printf("RESULT launch program=%s runs=%d median_ms=%.1f\n", p.name, nRuns,
                   Median(p.samples));

    for (const Program& p : programs)
        DeleteFileA(p.copy.c_str());
    DeleteFileA(packageFile.c_str());
    if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyA(HKEY_LOCAL_MACHINE, packageKey);
    RemoveDirectoryA(directory.c_str());
    return nStatus;
}
