// The package's registry entries: a plan deleted in its order, each item asked again
// afterwards so that what stays is counted, and the walks that delete keys with their
// subtrees.
#include "registry_plan.h"

#include "messages.h"
#include "platform.h"
#include "removal_table.h"
#include "runtime.h"

// The package's shell extension: its class key, and its Mouse control panel pages.
static const char kClassId[] = "{3b8e6f12-9c4d-11d1-8e5a-0080c7a41f90}";

const char g_szPackageUninstallKey[] =
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
// registration goes with the CLSID key below. The uninstall entry,
// which Add/Remove Programs lists, is the last: it goes in the run's last step, once
// nothing else of the package stays.
static const RegistryPlanStep kRegistryPlan[] = {
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
    {PLAN_KEY, HKEY_LOCAL_MACHINE, g_szPackageUninstallKey, ""},
};
static const size_t kPlanSteps = sizeof kRegistryPlan / sizeof kRegistryPlan[0];
static const RegistryPlanStep& kUninstallEntry = kRegistryPlan[kPlanSteps - 1];

#define REGISTRY_PATH_SIZE 100
#define KEY_NAME_SIZE 256     // registry key names have at most 255 characters
#define MAX_KEY_DEPTH 512     // the registry's own nesting limit

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

// The name of the subkey at *index or after it into name; 0 at the end. A name
// longer than the buffer is stepped over, never the end of a walk.
template <typename Char>
static int NextSubkey(const KeyCalls<Char>& calls, HKEY key, DWORD* index, Char* name)
{
    for (;;) {
        DWORD size = KEY_NAME_SIZE;
        LONG result = calls.enumerate(key, *index, name, &size, NULL, NULL, NULL, NULL);
        if (result == ERROR_SUCCESS && size < KEY_NAME_SIZE) return 1;
        if (result != ERROR_MORE_DATA) return 0;
        ++*index;
    }
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
        while (NextSubkey(calls, key, &index, name)) {
            if (SameName(name, taken)) {
                index++;
                continue;
            }
            RtCopyBytes(taken, name, sizeof taken);
            DeleteKeyTree(calls, key, name, depth + 1);
            if (!IsKeyGone(calls, key, name)) index++;
        }
        RegCloseKey(key);
    }
    calls.remove(parent, path);
}

// Deletes key path below root with everything beneath it, through the Unicode calls
// where the system has them.
static void DeletePlanKey(HKEY root, const char* path)
{
    const KeyCalls<WCHAR>* wide = UnicodeKeyCalls();
    WCHAR widePath[KEY_NAME_SIZE];
    if (wide != NULL && MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, KEY_NAME_SIZE) > 0)
        DeleteKeyTree(*wide, root, static_cast<const WCHAR*>(widePath), 0);
    else
        DeleteKeyTree(g_ansiKeyCalls, root, path, 0);
}

// 1 when text is the package's class id, its letters in either case.
template <typename Char>
static int IsPackageClassId(const Char* text)
{
    for (const char* id = kClassId; *id != '\0'; id++, text++) {
        Char c = *text;
        if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c - 'A' + 'a');
        if (c != static_cast<Char>(*id)) return 0;
    }
    return *text == 0;
}

// 1 when the handler name below handlers is the package's, by its name or by its
// default value; 0 for another's, or one that cannot be opened to tell.
template <typename Char>
static int IsPackageHandler(const KeyCalls<Char>& calls, HKEY handlers, const Char* name)
{
    if (IsPackageClassId(name)) return 1;
    HKEY key;
    if (calls.open(handlers, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    Char value[KEY_NAME_SIZE];
    DWORD size = sizeof value - sizeof value[0];  // room for the terminator the registry may lack
    DWORD type = REG_NONE;
    LONG result = calls.query(key, NULL, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
    value[size / sizeof value[0]] = 0;
    return IsPackageClassId(value);
}

// The package's handlers below handlers, each with everything beneath it when
// deleting; 1 when one of them is there. The walk always ends: its place moves on
// past every handler but one really deleted now.
template <typename Char>
static int PackageHandlers(const KeyCalls<Char>& calls, HKEY handlers, int deleting)
{
    Char name[KEY_NAME_SIZE];
    DWORD index = 0;
    int there = 0;
    while (NextSubkey(calls, handlers, &index, name)) {
        if (IsPackageHandler(calls, handlers, name)) {
            if (deleting) DeleteKeyTree(calls, handlers, name, 0);
            if (IsKeyGone(calls, handlers, name)) continue;
            there = 1;
        }
        index++;
    }
    return there;
}

// Deletes the key when it has no subkey and no value; 1 when it stays so, emptied by
// the package and still there (it counts as the package's), or cannot be asked for.
static int EmptyKeyStays(HKEY root, const char* path)
{
    HKEY key;
    DWORD subkeys = 0;
    DWORD values = 0;
    LONG opened = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS) return opened != ERROR_FILE_NOT_FOUND;
    LONG result = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && subkeys == 0 && values == 0 &&
           RegDeleteKeyA(root, path) != ERROR_SUCCESS && !IsKeyGone(g_ansiKeyCalls, root, path);
}

// The package's Mouse page handlers, and when deleting the keys of the chain that
// are left empty; the number of them that stay: a handler of the package, and each
// key of the chain emptied but not deleted (while another maker's handler is there,
// the chain is that maker's too and stays). The handlers' names are read through the
// Unicode calls where the system has them, so that another maker's handler of any
// name is read and kept.
static int MousePages(HKEY root, int deleting)
{
    const KeyCalls<WCHAR>* wide = UnicodeKeyCalls();
    char path[REGISTRY_PATH_SIZE];
    HKEY handlers;
    if (!FormatPath(path, sizeof path, "%s%s", kMouseKey, kMouseChain[0])) return 1;
    LONG result = RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &handlers);
    int there = result != ERROR_FILE_NOT_FOUND;
    if (result == ERROR_SUCCESS) {
        there = wide != NULL ? PackageHandlers(*wide, handlers, deleting)
                             : PackageHandlers(g_ansiKeyCalls, handlers, deleting);
        RegCloseKey(handlers);
    }
    for (size_t i = 0; deleting && i < sizeof kMouseChain / sizeof kMouseChain[0]; i++)
        if (FormatPath(path, sizeof path, "%s%s", kMouseKey, kMouseChain[i]))
            there += EmptyKeyStays(root, path);
    return there;
}

// Deletes the value when deleting; 1 while it is there.
static int PlanValue(HKEY root, const char* path, const char* name, int deleting)
{
    HKEY key;
    LONG result = RegOpenKeyExA(root, path, 0, deleting ? KEY_ALL_ACCESS : KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) {
        if (deleting) RegDeleteValueA(key, name);
        result = RegQueryValueExA(key, name, NULL, NULL, NULL, NULL);
        RegCloseKey(key);
    }
    return result != ERROR_FILE_NOT_FOUND;
}

// Takes one step of the plan when deleting; the number of its items there (1 or 0
// but for the Mouse chain). An item that cannot be asked for (no right to, a path
// that does not fit) counts as there.
static int PlanItem(const RegistryPlanStep& step, int deleting)
{
    char path[REGISTRY_PATH_SIZE];
    if (step.kind == PLAN_VALUE) return PlanValue(step.root, step.path, step.name, deleting);
    if (step.kind == PLAN_MOUSE_PAGES) return MousePages(step.root, deleting);
    if (!FormatPath(path, sizeof path, "%s%s", step.path, step.name)) return 1;
    if (deleting) DeletePlanKey(step.root, path);
    return !IsKeyGone(g_ansiKeyCalls, step.root, static_cast<const char*>(path));
}

int PackageRegistered()
{
    for (size_t i = 0; i < kPlanSteps; i++)
        if (PlanItem(kRegistryPlan[i], 0)) return 1;
    return 0;
}

int RunRegistryPlan()
{
    int stays = 0;
    for (size_t i = 0; i + 1 < kPlanSteps; i++) stays += PlanItem(kRegistryPlan[i], 1);
    return stays;
}

int DeleteUninstallEntry()
{
    return !PlanItem(kUninstallEntry, 1);
}

void FlushRegistry()
{
    // A key of the hive that holds the package's keys: the NT family writes each hive
    // by itself (Windows 95/98 the whole registry).
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    RegFlushKey(key);
    RegCloseKey(key);
}
