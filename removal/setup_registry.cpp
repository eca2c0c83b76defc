// The setup library's removal call, then the package's registry entries. The
// library is loaded by full path from the install directory only; the registry
// plan is a table, deleted in its order with every result ignored.
#include "setup_registry.h"

#include "file_pass.h"
#include "messages.h"
#include "path_rules.h"
#include "removal_table.h"
#include "runtime.h"

static const char kSetupLibraryName[] = "TKSET32.dll";
static const char kSetupEntryName[] = "CallSetupxUninstall32";

// The setup library's entry point. Its calling convention is documented nowhere, so
// it is declared __stdcall and called so that a __cdecl entry works as well.
typedef DWORD(WINAPI* SetupUninstallProc)(HWND owner, DWORD reserved, LPCSTR options);

// The package's shell extension: its class key, and its Mouse control panel pages.
static const char kClassId[] = "{3b8e6f12-9c4d-11d1-8e5a-0080c7a41f90}";

// The package's removal key: deleting it is what the removal needs the rights for.
static const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kPackageUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelto95";

enum { PLAN_KEY, PLAN_VALUE, PLAN_MOUSE_PAGES };

struct RegistryPlanStep {
    int kind;
    HKEY root;
    const char* path;
    const char* name;  // PLAN_KEY: appended to path; PLAN_VALUE: the value to delete
};

// Every maker of pointing devices adds its pages to the Mouse control panel under the
// handlers key: only the package's own handler goes, then each key of the chain that
// it leaves empty, innermost first.
static const char kMouseKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse";
static const char* const kMouseChain[] = {"\\shellex\\PropertySheetHandlers", "\\shellex", ""};

// The Windows 95/98 installs also named "SOFTWARE\Classes\CLSID\{...}" below the
// classes root, a path that does not exist there; it is left out, since the class
// registration goes with the CLSID key below.
static const RegistryPlanStep kRegistryPlan[] = {
    {PLAN_KEY, HKEY_LOCAL_MACHINE, kPackageUninstallKey, ""},
    {PLAN_KEY, HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Lumatrak", ""},
    {PLAN_KEY, HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\", g_szProductName},
    {PLAN_KEY, HKEY_CLASSES_ROOT, "CLSID\\", kClassId},
    {PLAN_MOUSE_PAGES, HKEY_LOCAL_MACHINE, NULL, NULL},
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

// The key calls of one character width. On the NT family key names are Unicode:
// the ANSI calls give a name that the code page cannot hold with '?' in it, and
// that name opens nothing, so there the walk uses the Unicode calls, looked up at
// run time (Windows 95/98 only stub them).
template <typename Char>
struct KeyCalls {
    LONG(WINAPI* open)(HKEY, const Char*, DWORD, REGSAM, PHKEY);
    LONG(WINAPI* enumerate)(HKEY, DWORD, Char*, LPDWORD, LPDWORD, Char*, LPDWORD, PFILETIME);
    LONG(WINAPI* remove)(HKEY, const Char*);
};

static const KeyCalls<char> kAnsiKeyCalls = {RegOpenKeyExA, RegEnumKeyExA, RegDeleteKeyA};

template <typename Char>
static int SameName(const Char* a, const Char* b)
{
    while (*a != 0 && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

// Only a key that can no longer be found is gone: one that cannot be opened (no
// right to) may still be there.
template <typename Char>
static int IsKeyGone(const KeyCalls<Char>& calls, HKEY parent, const Char* name)
{
    HKEY key;
    LONG result = calls.open(parent, name, 0, KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return result == ERROR_FILE_NOT_FOUND;
}

// Deletes key path below parent with everything beneath it, depth first: the NT
// family refuses to delete a key that still has subkeys. The walk always ends: a
// subkey that stays is stepped over (the key above it then stays too), and a name
// met again at the place it was taken from is never taken twice.
template <typename Char>
static void DeleteKeyTree(const KeyCalls<Char>& calls, HKEY parent, const Char* path, int depth)
{
    HKEY key;
    if (depth < MAX_KEY_DEPTH &&
        calls.open(parent, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
        Char name[KEY_NAME_SIZE];
        Char taken[KEY_NAME_SIZE];
        taken[0] = 0;
        DWORD index = 0;
        for (;;) {
            DWORD size = KEY_NAME_SIZE;
            if (calls.enumerate(key, index, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS ||
                size >= KEY_NAME_SIZE)
                break;
            if (SameName(name, taken)) {
                index++;
                continue;
            }
            RtCopyBytes(taken, name, (size + 1) * sizeof(Char));
            DeleteKeyTree(calls, key, name, depth + 1);
            if (!IsKeyGone(calls, key, name)) index++;
        }
        RegCloseKey(key);
    }
    calls.remove(parent, path);
}

FARPROC AdvapiCall(const char* name)
{
    HMODULE advapi = GetModuleHandleA("ADVAPI32.DLL");
    return advapi != NULL ? GetProcAddress(advapi, name) : NULL;
}

// The Unicode key calls of the NT family; 0 elsewhere, or when one is missing.
static int LookUpWideKeyCalls(KeyCalls<WCHAR>* wide)
{
    return IsNtPlatform() && LookUpAdvapiCall(&wide->open, "RegOpenKeyExW") &&
           LookUpAdvapiCall(&wide->enumerate, "RegEnumKeyExW") &&
           LookUpAdvapiCall(&wide->remove, "RegDeleteKeyW");
}

// Deletes key path below root (a path of the plan, or one subkey's name) with
// everything beneath it, through the Unicode calls when wide is given.
static void DeletePlanKey(HKEY root, const char* path, const KeyCalls<WCHAR>* wide)
{
    WCHAR widePath[KEY_NAME_SIZE];
    if (wide != NULL && MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, KEY_NAME_SIZE) > 0)
        DeleteKeyTree(*wide, root, static_cast<const WCHAR*>(widePath), 0);
    else
        DeleteKeyTree(kAnsiKeyCalls, root, path, 0);
}

// 1 when text is the package's class id, its letters in either case.
static int IsPackageClassId(const char* text)
{
    for (const char* id = kClassId; *id != '\0'; id++, text++) {
        char c = *text;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *id) return 0;
    }
    return *text == '\0';
}

// 1 when the handler name below handlers is the package's, by its name or by its
// default value; 0 for another's, or one that cannot be opened to tell.
static int IsPackageHandler(HKEY handlers, const char* name)
{
    if (IsPackageClassId(name)) return 1;
    HKEY key;
    if (RegOpenKeyExA(handlers, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    char value[KEY_NAME_SIZE];
    DWORD size = sizeof value - 1;  // room for the terminator the registry may lack
    DWORD type = REG_NONE;
    LONG result = RegQueryValueExA(key, NULL, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
    value[size] = '\0';
    return IsPackageClassId(value);
}

static void DeleteKeyIfEmpty(HKEY root, const char* path)
{
    HKEY key;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    LONG result = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyA(root, path);
}

// The package's Mouse page handlers, each with everything beneath it, then the keys
// of the chain that are left empty. Another maker's handler, or one that cannot be
// opened, is stepped over, so the walk ends.
static void DeleteMousePages(HKEY root, const KeyCalls<WCHAR>* wide)
{
    char path[REGISTRY_PATH_SIZE];
    HKEY handlers;
    if (FormatPath(path, sizeof path, "%s%s", kMouseKey, kMouseChain[0]) &&
        RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &handlers) ==
            ERROR_SUCCESS) {
        char name[KEY_NAME_SIZE];
        DWORD index = 0;
        for (;;) {
            DWORD size = KEY_NAME_SIZE;
            if (RegEnumKeyExA(handlers, index, name, &size, NULL, NULL, NULL, NULL) !=
                    ERROR_SUCCESS ||
                size >= KEY_NAME_SIZE)
                break;
            if (IsPackageHandler(handlers, name)) DeletePlanKey(handlers, name, wide);
            if (!IsKeyGone(kAnsiKeyCalls, handlers, name)) index++;
        }
        RegCloseKey(handlers);
    }
    for (size_t i = 0; i < sizeof kMouseChain / sizeof kMouseChain[0]; i++)
        if (FormatPath(path, sizeof path, "%s%s", kMouseKey, kMouseChain[i]))
            DeleteKeyIfEmpty(root, path);
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
    KeyCalls<WCHAR> wide;
    int unicode = LookUpWideKeyCalls(&wide);
    for (size_t i = 0; i < sizeof kRegistryPlan / sizeof kRegistryPlan[0]; i++) {
        const RegistryPlanStep& step = kRegistryPlan[i];
        if (step.kind == PLAN_VALUE) {
            DeleteValue(step.root, step.path, step.name);
        } else if (step.kind == PLAN_MOUSE_PAGES) {
            DeleteMousePages(step.root, unicode ? &wide : NULL);
        } else if (FormatPath(path, sizeof path, "%s%s", step.path, step.name)) {
            DeletePlanKey(step.root, path, unicode ? &wide : NULL);
        }
    }
}

int MayRemoveRegistryEntries()
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPackageUninstallKey, 0,
                                DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_WRITE, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return result != ERROR_ACCESS_DENIED;
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
