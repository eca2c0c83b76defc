// The staged machine and one run of REMOVR.EXE under Wine, shared by the end-to-end
// test programs: the package's install directory, wininit.ini, the setup record,
// starting the program, finding its dialogs and reading its message boxes.
#ifndef REMOVR_E2E_FIXTURE_H
#define REMOVR_E2E_FIXTURE_H

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "failure_printer.h"
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

inline std::string NoIcon(const std::string& box) { return box.substr(0, box.find('|') + 1) + TextOf(box); }

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
    HMODULE recorder = NULL;  // the restart recorder, e2e_restart_hook.dll
    std::vector<HHOOK> hooks;
    std::unique_ptr<MessageBoxWatcher> watcher;  // the run's boxes, once StartWatched

    // Where the program must find a file of the package: the prefix's own system and
    // INF directories, or the install directory.
    std::string PackagePath(const RemovalEntry& entry) const
    {
        char dir[MAX_PATH];
        GetSystemDirectoryA(dir, sizeof dir);
        if (entry.location == LOCATION_SYSTEM) return std::string(dir) + "\\" + entry.fileName;
        if (entry.location == LOCATION_INF) return WindowsDir() + "\\INF\\" + entry.fileName;
        return installDir + entry.fileName;
    }

    void SetUp() override
    {
        ASSERT_TRUE(Exists(g_removrPath)) << g_removrPath;
        CreateDirectoryA("C:\\Program Files", NULL);
        CreateDirectoryA(installDir.c_str(), NULL);
        StagePackage();
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
        if (process.hProcess != NULL && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "REMOVR.EXE still running: ended";
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, kExitTimeout);
        }
        EndRun();
        if (hookLibrary != NULL) FreeLibrary(hookLibrary);
        for (const RemovalEntry& entry : kPackageFiles)
            if (entry.location != LOCATION_INSTALL) DeleteFileA(PackagePath(entry).c_str());
        // Nothing scheduled by a test may be carried out at another test's restart.
        DeleteFileA(wininit.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    }

    // The package's files, REMOVR.EXE among them.
    void StagePackage()
    {
        for (const RemovalEntry& entry : kPackageFiles) WriteSmallFile(PackagePath(entry));
        ASSERT_TRUE(CopyFileA(g_removrPath.c_str(), (installDir + "REMOVR.EXE").c_str(), FALSE));
    }

    // The hooks off the program, its handles closed and the restart recorder freed:
    // ready for the next run.
    void EndRun()
    {
        watcher.reset();
        for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
        hooks.clear();
        if (process.hProcess != NULL) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        process = PROCESS_INFORMATION();
        if (recorder != NULL) FreeLibrary(recorder);
        recorder = NULL;
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

    // Starts the program with its boxes recorded and answered from answers (IDOK
    // once they run out).
    void StartWatched(std::vector<int> answers = {IDOK})
    {
        Start();
        watcher.reset(new MessageBoxWatcher(answers, process.dwProcessId));
    }

    // The run's boxes as caption|text, and whole as the driver's FullLine.
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> lines;
        for (const BoxRecord& r : watcher->Records()) lines.push_back(r.caption + "|" + r.text);
        return lines;
    }
    std::vector<std::string> FullBoxes()
    {
        std::vector<std::string> lines;
        for (const BoxRecord& r : watcher->Records()) lines.push_back(FullLine(r));
        return lines;
    }

    DWORD WaitForExit()
    {
        DWORD code = 12345;
        if (WaitForSingleObject(process.hProcess, kExitTimeout) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    // The program's dialog that holds the control, once it is up.
    HWND Dialog(int controlId)
    {
        return FindDialogWithControl(process.dwProcessId, controlId, kWindowTimeout);
    }
    HWND Wizard() { return Dialog(1001); }
    // The wizard once it offers Finish; NULL when it never does.
    HWND ReadyWizard()
    {
        HWND sheet = Wizard();
        bool ready = sheet != NULL &&
                     WaitUntil([&] { return ButtonOffered(sheet, kFinishButton); }, kWindowTimeout);
        EXPECT_TRUE(ready) << "no wizard offering Finish";
        return ready ? sheet : NULL;
    }
    // StartWatched, then the wizard once it offers Finish.
    HWND StartToWizard(std::vector<int> answers = {IDOK})
    {
        StartWatched(answers);
        return ReadyWizard();
    }
    HWND Progress() { return Dialog(1003); }
    HWND Restart() { return Dialog(202); }

    // The window with the keyboard focus in the program's GUI thread.
    HWND Focus()
    {
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(process.dwThreadId, &gui);
        return gui.hwndFocus;
    }

    // A hook of library on the program's GUI thread (its message queue exists by now).
    bool Hook(HMODULE library, HOOKPROC proc, int kind = WH_GETMESSAGE)
    {
        HHOOK hook = proc != NULL ? SetWindowsHookExA(kind, proc, library, process.dwThreadId) : NULL;
        EXPECT_TRUE(hook != NULL) << "error " << GetLastError();
        if (hook != NULL) hooks.push_back(hook);
        return hook != NULL;
    }

    // Brings a library into the program through its hook LoadHook: any message the
    // program takes loads it. True once inPlace() holds.
    template <typename Condition>
    bool BringIn(HMODULE library, Condition inPlace)
    {
        if (!Hook(library, Export<HOOKPROC>(library, "LoadHook@12"))) return false;
        HWND sheet = Wizard();
        bool done = sheet != NULL && WaitUntil(
                                         [&] {
                                             PostMessageA(sheet, WM_NULL, 0, 0);
                                             return inPlace();
                                         },
                                         kWindowTimeout);
        EXPECT_TRUE(done) << "library not in place in the program";
        return done;
    }

    // The test hook library's counting hooks on the program.
    void InstallHooks()
    {
        hookLibrary = LoadLibraryA(g_hookLibraryPath.c_str());
        ASSERT_TRUE(hookLibrary != NULL) << g_hookLibraryPath;
        ASSERT_TRUE(Hook(hookLibrary, HookFunction<HOOKPROC>("CallWndHook@12"), WH_CALLWNDPROC));
        ASSERT_TRUE(Hook(hookLibrary, HookFunction<HOOKPROC>("GetMessageHook@12")));
    }

    template <typename T>
    static T Export(HMODULE library, const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
    template <typename T>
    T HookFunction(const char* name) { return Export<T>(hookLibrary, name); }
    template <typename T>
    T RecorderFunction(const char* name) { return Export<T>(recorder, name); }

    // The restart recorder loaded here, answering answer; brought into the program
    // (started by now) with BringInRecorder.
    bool LoadRecorder(BOOL answer)
    {
        if (recorder == NULL) recorder = LoadLibraryA(g_restartHookPath.c_str());
        EXPECT_TRUE(recorder != NULL) << g_restartHookPath;
        if (recorder == NULL) return false;
        RecorderFunction<void (*)()>("ResetExitRequests")();
        RecorderFunction<void (*)(LONG)>("SetExitAnswer")(answer);
        return true;
    }
    bool BringInRecorder()
    {
        return BringIn(recorder, [&] { return RecorderFunction<LONG (*)()>("ImportPatched")() >= 1; });
    }
    LONG ExitRequests() { return RecorderFunction<LONG (*)()>("ExitRequests")(); }
    LONG LastExitFlags() { return RecorderFunction<LONG (*)()>("LastExitFlags")(); }

    void ExpectPackageFilesUntouched()
    {
        for (const RemovalEntry& entry : kPackageFiles)
            EXPECT_TRUE(Exists(PackagePath(entry))) << entry.fileName;
        EXPECT_FALSE(Exists(wininit));
    }

    // Deleted at once, or still there and named on a NUL= line of wininit.ini.
    void ExpectPackageFilesRemoved()
    {
        std::string text = ReadBytes(wininit);
        EXPECT_NE(text.find("[rename]"), std::string::npos) << text;
        for (const RemovalEntry& entry : kPackageFiles) {
            std::string path = PackagePath(entry);
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
        HWND sheet = ReadyWizard();
        if (sheet == NULL) return NULL;
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        return Restart();
    }

    // Finish, then the restart offer answered with button; the program's exit code.
    DWORD FinishAndAnswerRestart(int button)
    {
        HWND restart = FinishToRestartOffer();
        EXPECT_TRUE(restart != NULL) << "no restart offer";
        if (restart == NULL) return 12345;
        PressButton(restart, button);
        return WaitForExit();
    }
};

// The main of the end-to-end programs: REMOVR.EXE and the libraries named after it,
// into paths in order.
inline int RunEndToEnd(int argc, char** argv, std::initializer_list<std::string*> paths)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 1 + static_cast<int>(paths.size())) {
        fprintf(stderr, "usage: %s REMOVR.EXE and its %d test libraries\n", argv[0],
                static_cast<int>(paths.size()) - 1);
        return 2;
    }
    char** arg = argv;
    for (std::string* path : paths) *path = FromUnixPath(*++arg);
    return RunTestProgram(&argc, argv);  // GoogleTest is initialised once only
}

#endif
