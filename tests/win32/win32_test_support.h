// Staging helpers of the Win32 tests: files, directories, registry keys and the
// stand-in libraries built in tests/fixtures.
#ifndef REMOVR_WIN32_TEST_SUPPORT_H
#define REMOVR_WIN32_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "removal_table.h"

// The platform as the test reads it (GetVersion's high bit is set on Windows 95/98),
// never as the program decides it: a wrong answer there would flip the behaviour
// and the expectation together.
inline bool OnNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    return written == bytes.size();
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

inline bool IsReadOnly(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Marks files read-only, as files copied from a CD-ROM are.
inline void MakeReadOnly(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << path;
        ASSERT_TRUE(IsReadOnly(path)) << path;
    }
}

// A fresh directory under the temporary directory, named by prefix and process.
inline std::string MakeTestRoot(const char* prefix)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + prefix + std::to_string(GetCurrentProcessId() % 100000);
    RemoveTree(root);
    CreateDirectoryA(root.c_str(), NULL);
    return root;
}

// A file of the build tree, named from its tests directory (the parent of the test
// program's own directory, tests/<kind>/).
inline std::string BuildFile(const std::string& fromTests)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, MAX_PATH);
    std::string dir = self;
    dir = dir.substr(0, dir.find_last_of("\\/"));
    return dir.substr(0, dir.find_last_of("\\/")) + "\\" + fromTests;
}

// A stand-in library of tests/fixtures: variant is its build directory there.
inline std::string FixturePath(const char* variant, const char* file)
{
    return BuildFile(std::string("fixtures\\") + variant + "\\" + file);
}

// Plants a stand-in library of tests/fixtures in dir and puts dir first on the
// search path (the current directory and PATH) for the life of this object.
class PlantedOnSearchPath {
public:
    PlantedOnSearchPath(const std::string& dir, const char* variant, const char* file)
    {
        CreateDirectoryA(dir.c_str(), NULL);
        GetCurrentDirectoryA(MAX_PATH, oldDir_);
        DWORD length = GetEnvironmentVariableA("PATH", oldPath_, sizeof oldPath_);
        ok = CopyFileA(FixturePath(variant, file).c_str(), (dir + "\\" + file).c_str(), FALSE) &&
             length > 0 && length < sizeof oldPath_ && SetCurrentDirectoryA(dir.c_str()) &&
             SetEnvironmentVariableA("PATH", (dir + ";" + oldPath_).c_str());
    }
    ~PlantedOnSearchPath()
    {
        SetEnvironmentVariableA("PATH", oldPath_);
        SetCurrentDirectoryA(oldDir_);
    }
    PlantedOnSearchPath(const PlantedOnSearchPath&) = delete;
    PlantedOnSearchPath& operator=(const PlantedOnSearchPath&) = delete;

    bool ok = false;

private:
    char oldDir_[MAX_PATH] = "";
    char oldPath_[4096] = "";
};

// Registry helpers; paths below a root, values as texts.
inline bool SetRegText(HKEY root, const std::string& path, const char* name,
                       const std::string& value, DWORD type = REG_SZ)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

inline bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The value's text, or "<none>".
inline std::string RegText(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    std::string value = "<none>";
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
    char data[1024];
    DWORD size = sizeof data - 1;
    if (RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        data[size] = '\0';
        value = data;
    }
    RegCloseKey(key);
    return value;
}

inline void DeleteRegValue(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Deletes a key and its subtree, for staging and cleaning up.
inline void DeleteRegTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0;; i++) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
            names.push_back(name);
        }
        RegCloseKey(key);
        for (const std::string& sub : names) DeleteRegTree(root, path + "\\" + sub);
    }
    RegDeleteKeyA(root, path.c_str());
}

// The bench prefix's own list of renames pending for the next start, emptied.
inline void ClearPendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                      0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "PendingFileRenameOperations");
    RegCloseKey(key);
}

// The bench prefix's own list of renames pending for the next start, as read.
inline std::string PendingRenames()
{
    HKEY key;
    std::string value;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                      0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    char data[65536];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL,
                         reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
        value.assign(data, size);
    RegCloseKey(key);
    return value;
}

inline int Occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
    return n;
}

// Runs a command line to its end: its exit code, -1 when it cannot start, -2 when it
// overran and was ended.
inline int RunProgram(std::string command)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return waited == WAIT_OBJECT_0 ? static_cast<int>(code) : -2;
}

// Wine's start-up processing of the prefix (wineboot -r: wininit.ini's rename
// section and the pending renames).
inline int RunWineboot(const char* arguments)
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, MAX_PATH);
    return RunProgram("\"" + std::string(dir) + "\\wineboot.exe\" " + arguments);
}

// A text value of the registry set for the life of this object, then put back as it
// was (or deleted, when there was none).
class ScopedRegText {
public:
    ScopedRegText(HKEY root, const std::string& path, const char* name)
        : root_(root), path_(path), name_(name), saved_(RegText(root, path, name)) {}
    ~ScopedRegText()
    {
        if (saved_ == "<none>") DeleteRegValue(root_, path_, name_);
        else SetRegText(root_, path_, name_, saved_);
    }
    ScopedRegText(const ScopedRegText&) = delete;
    ScopedRegText& operator=(const ScopedRegText&) = delete;

    bool Set(const std::string& value) { return SetRegText(root_, path_, name_, value); }
    void Delete() { DeleteRegValue(root_, path_, name_); }

private:
    HKEY root_;
    std::string path_;
    const char* name_;
    std::string saved_;
};

// A control subclassed so that note sees every message sent to it, before the control.
typedef void (*ControlNote)(UINT message, WPARAM wParam, LPARAM lParam);

inline LRESULT CALLBACK RecordingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    reinterpret_cast<ControlNote>(GetPropA(control, "note"))(message, wParam, lParam);
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetPropA(control, "proc")), control, message,
                           wParam, lParam);
}

inline void RecordControl(HWND control, ControlNote note)
{
    SetPropA(control, "note", reinterpret_cast<HANDLE>(note));
    SetPropA(control, "proc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
}

// A staged machine under a fresh directory: install, system, Windows and INF
// directories made the program's own, and the record the stand-in setup library
// writes. Short names, so that the paths are their own short forms.
class StagedMachine : public ::testing::Test {
protected:
    std::string root, install, system, windows, inf, wininit, record;

    void SetUp() override
    {
        root = MakeTestRoot("sm");
        ClearPendingRenames();
        record = root + "\\record.txt";
        SetEnvironmentVariableA("TKSET_RECORD", record.c_str());
        StageDirs(root + "\\inst\\");
    }

    void TearDown() override
    {
        SetEnvironmentVariableA("TKSET_RECORD", NULL);
        RemoveTree(root);
    }

    // installDir (under root, its directories made) and windowsDir ("" for root\win).
    void StageDirs(const std::string& installDir, const std::string& windowsDir = "")
    {
        install = installDir;
        system = root + "\\sys";
        windows = windowsDir.empty() ? root + "\\win" : windowsDir;
        inf = windows + "\\INF";
        wininit = windows + "\\wininit.ini";
        for (size_t at = root.size() + 1; at < install.size(); at = install.find('\\', at) + 1)
            CreateDirectoryA(install.substr(0, install.find('\\', at)).c_str(), NULL);
        for (const std::string& dir : {system, windows, inf}) CreateDirectoryA(dir.c_str(), NULL);
        SetProgramDir(g_szInstallDir, install);
        SetProgramDir(g_szSystemDir, system);
        SetProgramDir(g_szWindowsDir, windows);
        ASSERT_EQ(SetInfDirFromWindowsDir(), 1);
        ASSERT_EQ(g_szInfDir, inf);
    }

    // A stand-in library of tests/fixtures put in the install directory.
    bool InstallFixture(const char* variant, const char* file)
    {
        return CopyFileA(FixturePath(variant, file).c_str(), (install + file).c_str(), FALSE) != 0;
    }

    static void SetProgramDir(char* target, const std::string& value)
    {
        ASSERT_LT(value.size(), static_cast<size_t>(REMOVR_PATH_SIZE));
        lstrcpynA(target, value.c_str(), REMOVR_PATH_SIZE);
    }
};

#endif
