// The setup-library call and the registry plan under Wine, run under both the
// Windows 98 and the NT setting: the stand-in TKSET32.dll records its load and the
// arguments it received; the package's keys are staged with nested subkeys.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "messages.h"
#include "package_files.h"
#include "personality_client.h"
#include "removal_table.h"
#include "registry_plan.h"
#include "setup_library.h"
#include "win32_test_support.h"

// Calls fn(a, b) as a C function and gives ESP after the call less ESP before it,
// 0 when the call left the stack as it found it; fn's result in g_stackCallResult.
extern "C" int StackShiftOfCall(const void* fn, const void* a, const void* b);
extern "C" int g_stackCallResult;
int g_stackCallResult;
__asm__(".text\n_StackShiftOfCall:\n\t"
        "pushl %edi\n\tmovl %esp, %edi\n\t"
        "pushl 16(%esp)\n\tpushl 16(%esp)\n\tcall *8(%edi)\n\taddl $8, %esp\n\t"
        "movl %eax, _g_stackCallResult\n\tmovl %esp, %eax\n\tsubl %edi, %eax\n\t"
        "movl %edi, %esp\n\tpopl %edi\n\tret");

namespace {

const char* const kRun = kRunKey;
const char* const kHelp = kHelpKey;
const char* const kEarlierSetup = kEarlierSetupKey;

class SetupRegistry : public StagedMachine {
protected:
    HWND owner = NULL;

    void SetUp() override
    {
        StagedMachine::SetUp();
        PersonaHere().Reset();
        PersonaHere().SetWin9xCalls(!OnNtFamily());
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL,
                                NULL);
        StageRegistry();
    }

    void TearDown() override
    {
        for (const PackageKey& key : kPackageKeys) DeleteRegTree(key.root, key.path);
        DeleteRegTree(HKEY_LOCAL_MACHINE, kMouseKey);
        DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen");
        for (const char* name : kRunValues) DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, name);
        DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, "VarsenKeep");
        DeleteRegValue(HKEY_LOCAL_MACHINE, kHelp, "PELTO.HLP");
        DeleteRegValue(HKEY_LOCAL_MACHINE, kHelp, "VARSENKEEP.HLP");
        DeleteRegTree(HKEY_LOCAL_MACHINE, kEarlierSetup);
        DestroyWindow(owner);
        StagedMachine::TearDown();
    }

    void StageRegistry()
    {
        for (const PackageKey& key : kPackageKeys) {
            std::string path = key.path;
            ASSERT_TRUE(SetRegText(key.root, path, "Value", "x")) << path;
            ASSERT_TRUE(SetRegText(key.root, path + "\\Sub\\Deeper\\Deepest", "Value", "x"));
            ASSERT_TRUE(SetRegText(key.root, path + "\\Other", NULL, "x"));
        }
        for (const char* name : kRunValues)
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kRun, name, "C:\\x.exe"));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kRun, "VarsenKeep", "keep"));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kHelp, "PELTO.HLP", "C:\\"));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kHelp, "VARSENKEEP.HLP", "C:\\"));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, kEarlierSetup, "UninstallString", "C:\\S.EXE"));
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Keep", "Value", "x"));
        // The package's Mouse page handler by its class id as value, in other letter case;
        // another maker's beside it when asked.
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, Handler("PeltoPage"), NULL,
                               "{3B8E6F12-9C4D-11D1-8E5A-0080C7A41F90}"));
        if (otherMaker) {
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, Handler("WheelPage"), NULL, kWheelPage));
        }
    }

    static std::string Handler(const char* name)
    {
        return std::string(kMouseKey) + "\\shellex\\PropertySheetHandlers\\" + name;
    }
    static constexpr const char* kWheelPage = "{5e2f0a10-1111-4abc-9def-00aa00bb00cc}";
    bool otherMaker = true;

    // Every staged entry of the plan is there (1) or gone (0).
    void ExpectPlanEntries(bool present)
    {
        for (const PackageKey& key : kPackageKeys) {
            EXPECT_EQ(KeyExists(key.root, key.path), present) << key.path;
            EXPECT_EQ(KeyExists(key.root, std::string(key.path) + "\\Sub\\Deeper"), present);
        }
        for (const char* name : kRunValues)
            EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, name) != "<none>", present) << name;
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kHelp, "PELTO.HLP") != "<none>", present);
        // Never touched: other values, the earlier setup's entry, the maker's other keys.
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, "VarsenKeep"), "keep");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kHelp, "VARSENKEEP.HLP"), "C:\\");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kEarlierSetup, "UninstallString"), "C:\\S.EXE");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Keep"));
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, Handler("PeltoPage")), present);
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, Handler("WheelPage"), NULL),
                  otherMaker ? kWheelPage : "<none>");
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kMouseKey), present || otherMaker);
    }

    std::string ExpectedCall() const
    {
        return "load\ncall " + std::to_string(reinterpret_cast<UINT_PTR>(owner)) + " 0 []\n";
    }
};

TEST_F(SetupRegistry, CallsTheEntryThenDeletesEveryKeyAndValueOfThePlan)
{
    // The entry may follow either calling convention; the program goes on alike.
    for (const char* variant : {"set_stdcall", "set_cdecl"}) {
        SCOPED_TRACE(variant);
        ASSERT_TRUE(InstallFixture(variant, "TKSET32.dll"));
        for (const std::string& path : {record, install + "REMOVR.RUN"}) DeleteFileA(path.c_str());
        MessageBoxWatcher watcher;
        EXPECT_EQ(StackShiftOfCall(reinterpret_cast<const void*>(RunSetupRemoval), owner, NULL), 0);
        EXPECT_EQ(g_stackCallResult, 1);
        watcher.Stop();
        EXPECT_EQ(watcher.Transcript(), std::vector<std::string>{});
        EXPECT_EQ(ReadBytes(record), ExpectedCall());
        // Freed again once called. The uninstall entry goes last, in the run's last step.
        EXPECT_TRUE(GetModuleHandleA("TKSET32.dll") == NULL);
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPackageKeys[0].path) && DeleteUninstallEntry());
        ExpectPlanEntries(false);
        // Once more without the other maker's handler: then the Mouse keys go too.
        otherMaker = false;
        DeleteRegTree(HKEY_LOCAL_MACHINE, kMouseKey);
        StageRegistry();
    }
    // A value on shellex keeps it, and the Mouse key above it; the emptied handlers go.
    const std::string shellex = std::string(kMouseKey) + "\\shellex";
    ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, shellex, "Maker", "x"));
    EXPECT_EQ(RunSetupRemoval(owner), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, shellex + "\\PropertySheetHandlers"));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, shellex, "Maker"), "x");
    // An emptied key of the chain that cannot be deleted stays, counted; taken again, it goes.
    DeleteRegValue(HKEY_LOCAL_MACHINE, shellex, "Maker");
    PersonaHere().RefuseKey("shellex");
    EXPECT_EQ(RunRegistryPlan(), 1);
    PersonaHere().RefuseKey(NULL);
    EXPECT_EQ(RunRegistryPlan(), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMouseKey));
    // The share is due by the run's mark, left once it is called, and never by a key:
    // called where the install lacks the plan's first key, never again once marked.
    for (const std::string& path : {record, install + "REMOVR.RUN"}) DeleteFileA(path.c_str());
    DeleteRegTree(HKEY_LOCAL_MACHINE, kPackageKeys[1].path);
    EXPECT_EQ(RunSetupRemoval(owner), 1);
    EXPECT_EQ(ReadBytes(record), ExpectedCall());
    DeleteFileA(record.c_str());
    StageRegistry();
    EXPECT_EQ(RunSetupRemoval(owner), 1);
    EXPECT_EQ(ReadBytes(record), "<missing>");
}

TEST_F(SetupRegistry, TheEntryCallLeavesTheStackAsItWasForEitherConvention)
{
    for (const char* variant : {"set_stdcall", "set_cdecl"}) {
        SCOPED_TRACE(variant);
        DeleteFileA(record.c_str());
        HMODULE library = LoadLibraryA(FixturePath(variant, "TKSET32.dll").c_str());
        ASSERT_TRUE(library != NULL);
        FARPROC entry = GetProcAddress(library, "CallSetupxUninstall32");
        ASSERT_TRUE(entry != NULL);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(StackShiftOfCall(reinterpret_cast<const void*>(CallSetupEntry),
                                       reinterpret_cast<const void*>(entry), owner), 0);
        FreeLibrary(library);
        std::string call = "call " + std::to_string(reinterpret_cast<UINT_PTR>(owner)) + " 0 []\n";
        EXPECT_EQ(ReadBytes(record), "load\n" + call + call + call);
    }
}

// The library missing, without its entry, missing with an install directory that is
// no full path, and missing with the translation of its load error: the boxes, owned
// by the owner, and the registry stays. A working library planted on the search path
// never runs.
TEST_F(SetupRegistry, WithoutALibraryToCallTheBoxesShowAndTheRegistryStays)
{
    const std::string cantLoad = kBoxes[BOX_CANT_LOAD_SETUP];
    const struct {
        const char* what;
        const char* library;  // the stand-in installed, or NULL
        bool planted, translated;
        std::vector<std::string> boxes;
        const char* recorded;
    } cases[] = {
        {"no library", NULL, false, false, {cantLoad}, "<missing>"},
        {"no entry point", "set_noentry", false, false,
         {kBoxes[BOX_SETUP_INCOMPLETE]},
         "load\n"},
        {"and no full install path", NULL, true, false, {cantLoad, cantLoad}, "<missing>"},
        {"translated", NULL, false, true, {kGermanBoxes[BOX_CANT_LOAD_SETUP]}, "<missing>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA((install + "TKSET32.dll").c_str());
        DeleteFileA((install + "TKRES32.DLL").c_str());
        DeleteFileA(record.c_str());
        ASSERT_TRUE(!c.library || InstallFixture(c.library, "TKSET32.dll"));
        if (c.translated) {
            ASSERT_TRUE(InstallFixture("res_full", "TKRES32.DLL"));
            LoadResourceLibrary();
            ASSERT_TRUE(g_hResLib != NULL);
        }
        // A working library on the search path never runs.
        PlantedOnSearchPath planted(root + "\\planted", "set_stdcall", "TKSET32.dll");
        ASSERT_TRUE(planted.ok);
        MessageBoxWatcher watcher;
        EXPECT_EQ(RunSetupRemoval(owner), 0);
        if (c.planted) {
            // An install directory that is no full path must not reach the search path either.
            lstrcpynA(g_szInstallDir, "", sizeof g_szInstallDir);
            EXPECT_EQ(RunSetupRemoval(owner), 0);
            lstrcpynA(g_szInstallDir, install.c_str(), sizeof g_szInstallDir);
        }
        watcher.Stop();
        FreeResourceLibrary();
        EXPECT_EQ(watcher.Transcript(), c.boxes);
        for (const BoxRecord& box : watcher.Records()) EXPECT_EQ(box.owner, owner);
        EXPECT_EQ(ReadBytes(record), c.recorded);
        EXPECT_TRUE(GetModuleHandleA("TKSET32.dll") == NULL);
        ExpectPlanEntries(true);
    }
}

DWORD WINAPI RunSetupRemovalThread(LPVOID owner)
{
    return static_cast<DWORD>(RunSetupRemoval(static_cast<HWND>(owner)));
}

// A subkey that is listed but can be neither opened nor deleted (an access-controlled
// key on NT), made by the personality library refusing every open and deletion of
// that name: the walk steps over it and ends, and the rest of the plan is done.
TEST_F(SetupRegistry, AKeyThatCanBeNeitherOpenedNorDeletedEndsTheWalk)
{
    const std::string lumatrak = kPackageKeys[1].path;
    for (const char* sub : {"\\Sub\\Locked\\Inner", "\\Sub\\Zlast"})
        ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, lumatrak + sub, "Value", "x"));
    // Names that the code page cannot hold: the ANSI calls give "?", which opens nothing.
    // One below a key of the plan, one another maker's Mouse page handler.
    const wchar_t omega[] = L"SOFTWARE\\Varsen\\Lumatrak\\Sub\\\x03A9";
    const std::string handlers = Handler("");
    const std::wstring omegaPage = std::wstring(handlers.begin(), handlers.end()) + L"\x03A9";
    HKEY key;
    for (const wchar_t* path : {omega, omegaPage.c_str()}) {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                                  NULL), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ASSERT_TRUE(InstallFixture("set_stdcall", "TKSET32.dll"));
    Personality& persona = PersonaHere();
    persona.RefuseKey("Locked");

    HANDLE thread = CreateThread(NULL, 0, RunSetupRemovalThread, owner, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    DWORD waited = WaitForSingleObject(thread, 30000);
    if (waited != WAIT_OBJECT_0) TerminateThread(thread, 99);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    persona.RefuseKey(NULL);
    ASSERT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the registry walk did not end";
    EXPECT_EQ(result, 1u);
    EXPECT_GE(persona.Get(PV_KEY_REFUSALS), 2);

    // The Windows 95/98 key deletion takes a whole subtree; on NT the refused key
    // stays, and so do the keys above it, while everything beside them goes. The
    // Unicode name goes on NT; the ANSI calls cannot reach it (Windows 95/98 have no
    // such names; Wine's registry has them in every setting), so there it stays, with
    // the keys above it, and the walk steps over it.
    const bool nt = OnNtFamily();
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, lumatrak + "\\Sub\\Locked\\Inner"), nt);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, lumatrak));
    for (const char* gone : {"\\Sub\\Zlast", "\\Sub\\Deeper", "\\Other"})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, lumatrak + gone)) << gone;
    LONG omegaOpen = RegOpenKeyExW(HKEY_LOCAL_MACHINE, omega, 0, KEY_READ, &key);
    if (omegaOpen == ERROR_SUCCESS) RegCloseKey(key);
    EXPECT_EQ(omegaOpen, nt ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, omega);  // the clean-up's ANSI calls cannot
    // The walk of the Mouse pages ended too: the package's handler went, the other
    // maker's stays, whatever its name.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Handler("PeltoPage")));
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, omegaPage.c_str()), ERROR_SUCCESS);
    for (const PackageKey& key : kPackageKeys)  // the uninstall entry goes in the last step
        EXPECT_EQ(KeyExists(key.root, key.path), key.path == lumatrak || &key == kPackageKeys) << key.path;
    for (const char* name : kRunValues)
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, name), "<none>") << name;
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kHelp, "PELTO.HLP"), "<none>");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kRun, "VarsenKeep"), "keep");
}

}  // namespace
