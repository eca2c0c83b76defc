// The staged machine and one run of REMOVR.EXE under Wine, shared by the end-to-end
// test programs: the package's install directory, wininit.ini, the setup record,
// starting the program with the test library in it, finding its dialogs and reading
// its message boxes.
#ifndef REMOVR_E2E_FIXTURE_H
#define REMOVR_E2E_FIXTURE_H

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "failure_printer.h"
#include "gui_driver.h"
#include "package_files.h"
#include "personality_client.h"
#include "removal_table.h"

inline std::string g_removrPath;
inline std::string g_setupLibraryPath;
inline std::string g_resourceLibraryPath;
inline std::string g_libraryPath;  // the test library, win9x_personality.dll

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
    std::string startDir;  // where REMOVR.EXE is started from; empty: the install directory
    std::string wininit = WindowsDir() + "\\wininit.ini";
    std::string setupRecord;
    std::string programVersion;
    // In every run from the program's first message: the calls of the setting (those
    // of Windows 95/98 by default), ExitWindowsEx recorded, the windows observed.
    Personality persona;
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
        ASSERT_TRUE(persona.Load(g_libraryPath)) << g_libraryPath;
        CreateDirectoryA("C:\\Program Files", NULL);
        StagePackage();
        DeleteFileA(wininit.c_str());
        ClearPendingRenames();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        setupRecord = std::string(temp) + "tkset_e2e.txt";
        DeleteFileA(setupRecord.c_str());
        SetEnvironmentVariableA("TKSET_RECORD", setupRecord.c_str());
        SetProgramVersion("win98");
    }

    void TearDown() override
    {
        EndRun();
        for (const RemovalEntry& entry : kPackageFiles)
            if (entry.location != LOCATION_INSTALL) DeleteFileA(PackagePath(entry).c_str());
        // Nothing scheduled by a test may be carried out at another test's restart.
        DeleteFileA(wininit.c_str());
        ClearPendingRenames();
        RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kPackageKeys[1].path);
    }

    // The package's files, REMOVR.EXE among them, its folder too, which an NT restart
    // removes, and a key of its registry; no mark of an earlier run.
    void StagePackage()
    {
        DeleteFileA((installDir + "REMOVR.RUN").c_str());
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kPackageKeys[1].path, "Value", "x"));
        CreateDirectoryA(installDir.c_str(), NULL);
        for (const RemovalEntry& entry : kPackageFiles) WriteSmallFile(PackagePath(entry));
        ASSERT_TRUE(CopyFileA(g_removrPath.c_str(), (installDir + "REMOVR.EXE").c_str(), FALSE));
    }

    // Written for REMOVR.EXE and read back; EndRun checks what the program ran under.
    void SetProgramVersion(const char* version)
    {
        ASSERT_TRUE(SetRegText(HKEY_CURRENT_USER, kVersionKey, "Version", version));
        ASSERT_EQ(RegText(HKEY_CURRENT_USER, kVersionKey, "Version"), version);
        programVersion = version;
    }

    // A machine of the table: a version setting, its family's calls, "win95 on NT"
    // the NT family in the compatibility mode that reports Windows 95.
    void SetMachine(const std::string& setting)
    {
        SetProgramVersion(setting.substr(0, 5).c_str());
        persona.SetWin9xCalls(setting[3] == '9' && setting.size() == 5);
    }

    // The program's GetVersion, as the library read it inside (a run refused before
    // its first window never loads it), checked against the setting; the program
    // ended, its hooks off, its handles closed and the library reset: ready for the
    // next run.
    void EndRun()
    {
        if (process.hProcess != NULL && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "REMOVR.EXE still running: ended";
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, kExitTimeout);
        }
        // GetVersion's low word (major, minor) under each setting.
        const std::pair<std::string, WORD> kVersionWords[] = {
            {"win95", 0x0004}, {"win98", 0x0A04}, {"winxp", 0x0105}};
        DWORD platform = persona.Library() != NULL ? static_cast<DWORD>(persona.Get(PV_PLATFORM)) : 0;
        for (const auto& word : kVersionWords) {
            if (platform != 0 && word.first == programVersion) {
                EXPECT_EQ(LOWORD(platform), word.second) << programVersion << " ran as " << std::hex << platform;
            }
        }
        if (persona.Library() != NULL) persona.Reset();
        watcher.reset();
        for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
        hooks.clear();
        if (process.hProcess != NULL) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        process = PROCESS_INFORMATION();
    }

    void StageResourceLibrary(const std::string& path = g_resourceLibraryPath)
    {
        ASSERT_TRUE(CopyFileA(path.c_str(), (installDir + "TKRES32.DLL").c_str(), FALSE)) << path;
    }

    void StageSetupLibrary()
    {
        ASSERT_TRUE(CopyFileA(g_setupLibraryPath.c_str(), (installDir + "TKSET32.dll").c_str(), FALSE))
            << g_setupLibraryPath;
    }

    // Starts the program suspended with the library's hooks on its GUI thread, armed:
    // the library comes in with the first message the thread gets, before anything
    // the program posted to itself at start-up is handled, and rewrites its imports.
    void Start()
    {
        std::string dir = startDir.empty() ? installDir : startDir;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        persona.Set(PV_PATCH_ON_LOAD, 1);
        ASSERT_TRUE(CreateProcessA((dir + "REMOVR.EXE").c_str(), NULL, NULL, NULL, FALSE,
                                   CREATE_SUSPENDED, NULL, dir.c_str(), &startup, &process));
        bool hooked = Hook(persona.Hook("LoadHook@12"), WH_GETMESSAGE) &&
                      Hook(persona.Hook("CallWndHook@12"), WH_CALLWNDPROC);
        ResumeThread(process.hThread);
        ASSERT_TRUE(hooked);
    }

    // Starts the program with its boxes recorded and answered from answers (IDOK
    // once they run out).
    void StartWatched(std::vector<int> answers = {IDOK})
    {
        Start();
        watcher.reset(new MessageBoxWatcher(answers, process.dwProcessId));
    }

    // The run's boxes whole, as the driver's FullLine reads them.
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
    // A dialog of the program, not waited for past the program's end.
    HWND Dialog(int controlId)
    {
        HWND found = NULL;
        WaitUntil([&] { return (found = DialogWithControl(process.dwProcessId, controlId)) != NULL ||
                               WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                  kWindowTimeout);
        return found;
    }
    HWND Wizard() { return Dialog(1001); }
    // The wizard once it offers Finish; NULL when it never does.
    HWND ReadyWizard()
    {
        HWND sheet = Wizard();
        bool ready = sheet != NULL &&
                     WaitUntil([&] { return ButtonOffered(sheet, kFinishButton); }, kWindowTimeout);
        EXPECT_TRUE(ready) << "no wizard offering Finish";
        EXPECT_GT(persona.Get(PV_PATCHED_SLOTS), 0) << "the test library is not in the program";
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

    // A hook of the test library on the program's GUI thread.
    bool Hook(HOOKPROC proc, int kind)
    {
        HHOOK hook = proc != NULL ? SetWindowsHookExA(kind, proc, persona.Library(), process.dwThreadId)
                                  : NULL;
        EXPECT_TRUE(hook != NULL) << "error " << GetLastError();
        if (hook != NULL) hooks.push_back(hook);
        return hook != NULL;
    }

    // Another program posting the backdrop's private messages, its stages among them
    // (WM_USER + 4, 8 and 11), and with setupToo its registry step (WM_USER + 10).
    void PostStageMessages(bool setupToo)
    {
        HWND main = FindWindowWithin("Varsen Uninstall", NULL, process.dwProcessId, kWindowTimeout);
        for (UINT message = WM_USER + 4; message <= WM_USER + 11; message++)
            EXPECT_TRUE((message == WM_USER + 10 && !setupToo) || PostMessageA(main, message, 0, 0));
    }

    void ExpectPackageFilesUntouched()
    {
        for (const RemovalEntry& entry : kPackageFiles)
            EXPECT_TRUE(Exists(PackagePath(entry))) << entry.fileName;
        EXPECT_FALSE(Exists(wininit));
    }

    // Deleted at once, or still there and named once on a NUL= line of wininit.ini, or
    // where the system registers deletions once on its own list instead, as files that
    // another program held (held, full paths) are. When the registry step did not run
    // (no call of the setup library), what a next start needs is kept, unscheduled.
    void ExpectPackageFilesRemoved(std::vector<std::string> held = {})
    {
        std::string text = ReadBytes(wininit), pending = PendingRenames();
        const bool nt = persona.Get(PV_WIN9X_CALLS) == 0;
        const bool registryStepRan = ReadBytes(setupRecord).find("call") != std::string::npos;
        EXPECT_TRUE(nt || text.find("[rename]") != std::string::npos) << text;
        std::vector<std::string> kept;
        if (registryStepRan) held.push_back(installDir + "REMOVR.RUN");
        for (int i = 0; i < kPackageFileCount; i++)
            if (kPackageFiles[i].pendingName != NULL) (registryStepRan || !NeededByNextStart(i) ? held : kept).push_back(PackagePath(kPackageFiles[i]));
            else EXPECT_TRUE(std::count(held.begin(), held.end(), PackagePath(kPackageFiles[i])) || !Exists(PackagePath(kPackageFiles[i])))
                << kPackageFiles[i].fileName;
        auto expectNamed = [&](const std::string& path, int times) {
            char shortPath[MAX_PATH];
            ASSERT_GT(GetShortPathNameA(path.c_str(), shortPath, MAX_PATH), 0u) << path;
            EXPECT_EQ(Occurrences(text, std::string("NUL=") + shortPath + "\r\n"), nt ? 0 : times) << path << " in\n" << text;
            EXPECT_EQ(Occurrences(pending, "\\??\\" + path + '\0'), nt ? times : 0) << path;
        };
        for (const std::string& path : held) expectNamed(path, 1);
        for (const std::string& path : kept) expectNamed(path, 0);
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

// The main of the end-to-end programs: REMOVR.EXE, the stand-in TKSET32.dll and
// TKRES32.DLL and the test library.
inline int RunEndToEnd(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::string* paths[] = {&g_removrPath, &g_setupLibraryPath, &g_resourceLibraryPath, &g_libraryPath};
    if (argc < 5) {
        fprintf(stderr, "usage: %s REMOVR.EXE TKSET32.dll TKRES32.DLL win9x_personality.dll\n", argv[0]);
        return 2;
    }
    for (int i = 0; i < 4; i++) *paths[i] = FromUnixPath(argv[i + 1]);
    return RunTestProgram(&argc, argv);  // GoogleTest is initialised once only
}

#endif
