// The setup library's removal call, then the package's registry entries. The
// library is loaded by full path from the install directory only; the registry
// plan is a table, deleted in its order with every result ignored.
#include "setup_registry.h"

#include "messages.h"
#include "path_rules.h"
#include "removal_table.h"

static const char kSetupLibraryName[] = "TKSET32.dll";
static const char kSetupEntryName[] = "CallSetupxUninstall32";

// The setup library's entry point. Its calling convention is documented nowhere, so
// it is declared __stdcall and called so that a __cdecl entry works as well.
typedef DWORD(WINAPI* SetupUninstallProc)(HWND owner, DWORD reserved, LPCSTR options);

enum { PLAN_KEY, PLAN_VALUE };

struct RegistryPlanStep {
    int kind;
    HKEY root;
    const char* path;
    const char* name;  // PLAN_KEY: appended to path; PLAN_VALUE: the value to delete
};

// The Windows 95/98 installs also named "SOFTWARE\Classes\CLSID\{...}" below the
// classes root, a path that does not exist there; it is left out, since the class
// registration goes with the CLSID key below.
static const RegistryPlanStep kRegistryPlan[] = {
    {PLAN_KEY, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelto95",
     ""},
    {PLAN_KEY, HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Lumatrak", ""},
    {PLAN_KEY, HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\", g_szProductName},
    {PLAN_KEY, HKEY_CLASSES_ROOT, "CLSID\\{3b8e6f12-9c4d-11d1-8e5a-0080c7a41f90}", ""},
    {PLAN_KEY, HKEY_LOCAL_MACHINE,
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse", ""},
    {PLAN_VALUE, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Pelto"},
    {PLAN_VALUE, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
     "VarsenTrainer"},
    {PLAN_VALUE, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
     "VarsenMotion"},
    {PLAN_VALUE, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\Help", "PELTO.HLP"},
};

#define REGISTRY_PATH_SIZE 100
#define KEY_NAME_SIZE 256     // registry key names have at most 255 characters
#define MAX_KEY_DEPTH 512     // the registry's own nesting limit

// Only a key that can no longer be found is gone: one that cannot be opened (no
// right to) may still be there.
static int IsKeyGone(HKEY parent, const char* name)
{
    HKEY key;
    LONG result = RegOpenKeyExA(parent, name, 0, KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return result == ERROR_FILE_NOT_FOUND;
}

// Deletes key path below parent with everything beneath it, depth first: the NT
// family refuses to delete a key that still has subkeys.
static void DeleteKeyTree(HKEY parent, const char* path, int depth)
{
    HKEY key;
    if (depth < MAX_KEY_DEPTH &&
        RegOpenKeyExA(parent, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
        char name[KEY_NAME_SIZE];
        DWORD index = 0;
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, index, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            DeleteKeyTree(key, name, depth + 1);
            // A subkey that stays, or cannot even be opened, is stepped over, so the
            // walk always ends; the key above it then stays too.
            if (!IsKeyGone(key, name)) index++;
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(parent, path);
}

static void DeleteValue(HKEY root, const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

static void RunRegistryPlan()
{
    char path[REGISTRY_PATH_SIZE];
    for (size_t i = 0; i < sizeof kRegistryPlan / sizeof kRegistryPlan[0]; i++) {
        const RegistryPlanStep& step = kRegistryPlan[i];
        if (step.kind == PLAN_VALUE) {
            DeleteValue(step.root, step.path, step.name);
        } else if (FormatPath(path, sizeof path, "%s%s", step.path, step.name)) {
            DeleteKeyTree(step.root, path, 0);
        }
    }
}

// Calls the entry point with (owner, 0, ""). The stack pointer is saved in a
// callee-saved register and put back after the call: a __stdcall entry has removed
// its arguments, a __cdecl entry has left them, and both leave the stack as it was.
void CallSetupEntry(FARPROC entry, HWND owner)
{
#if defined(__i386__)
    const char* options = "";
    void* target = reinterpret_cast<void*>(entry);
    __asm__ __volatile__(
        "movl %%esp, %%esi\n\t"
        "pushl %%edx\n\t"
        "pushl $0\n\t"
        "pushl %%ecx\n\t"
        "call *%%eax\n\t"
        "movl %%esi, %%esp\n\t"
        : "+a"(target), "+c"(owner), "+d"(options)
        :
        : "esi", "memory", "cc");
#else
    reinterpret_cast<SetupUninstallProc>(reinterpret_cast<void*>(entry))(owner, 0, "");
#endif
}

int RunSetupRemoval(HWND owner)
{
    char path[REMOVR_PATH_SIZE];
    HMODULE library = NULL;
    // Only the install directory's own copy: never one found along the search path.
    if (IsFullDirectory(g_szInstallDir) &&
        FormatPath(path, sizeof path, "%s%s", g_szInstallDir, kSetupLibraryName))
        library = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (reinterpret_cast<UINT_PTR>(library) <= 32) {
        ShowMessage(owner, MSG_CANT_LOAD_SETUP, g_szSetupCaption, MB_ICONERROR | MB_OK);
        return 0;
    }

    FARPROC entry = GetProcAddress(library, kSetupEntryName);
    if (entry == NULL) {
        ShowMessage(owner, MSG_SETUP_INCOMPLETE, g_szSetupCaption, MB_ICONERROR | MB_OK);
        FreeLibrary(library);
        return 0;
    }
    CallSetupEntry(entry, owner);
    FreeLibrary(library);

    RunRegistryPlan();
    return 1;
}
