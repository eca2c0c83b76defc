// The staged machine and one run of REMOVR.EXE under Wine, shared by the end-to-end
// test programs: the package's install directory, wininit.ini, the setup record,
// starting the program, finding its dialogs and reading its message boxes.
#ifndef REMOVR_E2E_FIXTURE_H
#define REMOVR_E2E_FIXTURE_H

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "win32_test_support.h"
#include "package_files.h"
#include "removal_table.h"

inline std::string g_removrPath;
inline std::string g_setupLibraryPath;
inline std::string g_hookLibraryPath;
inline std::string g_resourceLibraryPath;
inline std::string g_restartHookPath;

inline const char kInstallDir[] = "C:\\Program Files\\Varsen Software\\";
inline const char kVersionKey[] = "Software\\Wine\\AppDefaults\\REMOVR.EXE";
inline const DWORD kWindowTimeout = 60000;
inline const DWORD kExitTimeout = 60000;

// Buttons of the wizard frame.
inline const int kBackButton = 0x3023;
inline const int kNextButton = 0x3024;
inline const int kFinishButton = 0x3025;

inline std::string FromUnixPath(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

inline std::string WindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

inline void WriteSmallFile(const std::string& path)
{
    ASSERT_TRUE(WriteBytes(path, "x")) << path;
}

inline void SetProgramVersion(const char* version)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kVersionKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                              NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(lstrlenA(version) + 1));
    RegCloseKey(key);
}

struct Search {
    DWORD processId;
    int controlId;
    HWND found;
};

// A visible top-level dialog of the process that holds the control.
inline HWND FindDialog(DWORD processId, int controlId, DWORD timeoutMs = kWindowTimeout)
{
    return FindDialogWithControl(processId, controlId, timeoutMs);
}


inline std::vector<std::string> Boxes(MessageBoxWatcher& watcher)
{
    std::vector<std::string> lines;
    for (const BoxRecord& r : watcher.Records()) lines.push_back(r.caption + "|" + r.text);
    return lines;
}

inline bool ButtonOffered(HWND sheet, int id)
{
    HWND button = GetDlgItem(sheet, id);
    return button != NULL && IsWindowVisible(button) && IsWindowEnabled(button);
}

// One staged machine and one run of REMOVR.EXE on it.
class RemovrRun : public ::testing::Test {
protected:
    PROCESS_INFORMATION process = {};
    std::string installDir = kInstallDir;
    std::string wininit = WindowsDir() + "\\wininit.ini";
    std::string setupRecord;
    HMODULE hookLibrary = NULL;
    std::vector<HHOOK> hooks;

    void SetUp() override
    {
        ASSERT_TRUE(Exists(g_removrPath)) << g_removrPath;
        CreateDirectoryA("C:\\Program Files", NULL);
        CreateDirectoryA(installDir.c_str(), NULL);
        for (int i = 0; i < kPackageFileCount; i++) {
            const RemovalEntry& entry = kPackageFiles[i];
            if (entry.location == LOCATION_INSTALL) WriteSmallFile(installDir + entry.fileName);
        }
        ASSERT_TRUE(CopyFileA(g_removrPath.c_str(), (installDir + "REMOVR.EXE").c_str(), FALSE));
        DeleteFileA(wininit.c_str());
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        setupRecord = std::string(temp) + "tkset_e2e.txt";
        DeleteFileA(setupRecord.c_str());
        SetEnvironmentVariableA("TKSET_RECORD", setupRecord.c_str());
        SetProgramVersion("win98");
    }

    void TearDown() override
    {
        for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
        if (process.hProcess != NULL) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
                ADD_FAILURE() << "REMOVR.EXE still running: ended";
                TerminateProcess(process.hProcess, 99);
                WaitForSingleObject(process.hProcess, kExitTimeout);
            }
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        if (hookLibrary != NULL) FreeLibrary(hookLibrary);
        // Nothing scheduled by a test may be carried out at another test's restart.
        DeleteFileA(wininit.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    }

    void StageResourceLibrary()
    {
        ASSERT_TRUE(CopyFileA(g_resourceLibraryPath.c_str(), (installDir + "TKRES32.DLL").c_str(),
                              FALSE))
            << g_resourceLibraryPath;
    }

    void StageSetupLibrary()
    {
        ASSERT_TRUE(CopyFileA(g_setupLibraryPath.c_str(), (installDir + "TKSET32.dll").c_str(), FALSE))
            << g_setupLibraryPath;
    }

    void Start()
    {
        std::string exe = installDir + "REMOVR.EXE";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, installDir.c_str(),
                                   &startup, &process));
    }

    DWORD WaitForExit()
    {
        DWORD code = 12345;
        if (WaitForSingleObject(process.hProcess, kExitTimeout) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    HWND Wizard() { return FindDialog(process.dwProcessId, 1001); }
    HWND Progress() { return FindDialog(process.dwProcessId, 1003); }
    HWND Restart() { return FindDialog(process.dwProcessId, 202); }

    // The test's hooks on REMOVR's GUI thread (its message queue exists by now).
    void InstallHooks()
    {
        hookLibrary = LoadLibraryA(g_hookLibraryPath.c_str());
        ASSERT_TRUE(hookLibrary != NULL) << g_hookLibraryPath;
        const char* names[] = {"CallWndHook@12", "GetMessageHook@12"};
        const int kinds[] = {WH_CALLWNDPROC, WH_GETMESSAGE};
        for (int i = 0; i < 2; i++) {
            HOOKPROC proc = reinterpret_cast<HOOKPROC>(
                reinterpret_cast<void*>(GetProcAddress(hookLibrary, names[i])));
            ASSERT_TRUE(proc != NULL) << names[i];
            HHOOK hook = SetWindowsHookExA(kinds[i], proc, hookLibrary, process.dwThreadId);
            ASSERT_TRUE(hook != NULL) << names[i] << " error " << GetLastError();
            hooks.push_back(hook);
        }
    }

    template <typename T>
    T HookFunction(const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hookLibrary, name)));
    }

    void ExpectPackageFilesUntouched()
    {
        for (int i = 0; i < kPackageFileCount; i++) {
            const RemovalEntry& entry = kPackageFiles[i];
            if (entry.location == LOCATION_INSTALL) {
                EXPECT_TRUE(Exists(installDir + entry.fileName)) << entry.fileName;
            }
        }
        EXPECT_FALSE(Exists(wininit));
    }

    // Deleted at once, or still there and named on a NUL= line of wininit.ini.
    void ExpectPackageFilesRemoved()
    {
        std::string text = ReadBytes(wininit);
        EXPECT_NE(text.find("[rename]"), std::string::npos) << text;
        for (int i = 0; i < kPackageFileCount; i++) {
            const RemovalEntry& entry = kPackageFiles[i];
            if (entry.location != LOCATION_INSTALL) continue;
            std::string path = installDir + entry.fileName;
            if (entry.pendingName == NULL) {
                EXPECT_FALSE(Exists(path)) << entry.fileName;
                continue;
            }
            char shortPath[MAX_PATH];
            ASSERT_GT(GetShortPathNameA(path.c_str(), shortPath, MAX_PATH), 0u) << entry.fileName;
            EXPECT_NE(text.find(std::string("NUL=") + shortPath), std::string::npos)
                << entry.fileName << " in\n" << text;
        }
    }

    // Finish in the wizard, then wait for the restart offer.
    HWND FinishToRestartOffer()
    {
        HWND sheet = Wizard();
        if (sheet == NULL) return NULL;
        WaitUntil([&] { return ButtonOffered(sheet, kFinishButton); }, kWindowTimeout);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        return Restart();
    }
};

#endif
