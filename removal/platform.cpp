// What this Windows can do, asked of the system: the calls that only the NT family
// carries out are looked up by name (Windows 95 as first shipped lacks some of
// them, and stubs the rest) and their answers remembered.
#include "platform.h"

#include "removal_table.h"
#include "runtime.h"

const KeyCalls<char> g_ansiKeyCalls = {RegOpenKeyExA, RegEnumKeyExA, RegQueryValueExA,
                                       RegDeleteKeyA};

enum { NOT_ASKED, CARRIED_OUT, NOT_IMPLEMENTED };

static int s_wideKeyCalls = NOT_ASKED;
static KeyCalls<WCHAR> s_wide;
static int s_noRestartDeletion = 0;

// A call of a loaded library (ADVAPI32 unless named) by name into a pointer of its
// own type; 0 when it is not there.
template <typename Proc>
static int LookUpCall(Proc* proc, const char* name, const char* library = "ADVAPI32.DLL")
{
    HMODULE module = GetModuleHandleA(library);
    *proc = reinterpret_cast<Proc>(
        reinterpret_cast<void*>(module != NULL ? GetProcAddress(module, name) : NULL));
    return *proc != NULL;
}

const KeyCalls<WCHAR>* UnicodeKeyCalls()
{
    if (s_wideKeyCalls == NOT_ASKED) {
        s_wideKeyCalls = NOT_IMPLEMENTED;
        HKEY key;
        if (LookUpCall(&s_wide.open, "RegOpenKeyExW") &&
            LookUpCall(&s_wide.enumerate, "RegEnumKeyExW") &&
            LookUpCall(&s_wide.query, "RegQueryValueExW") &&
            LookUpCall(&s_wide.remove, "RegDeleteKeyW")) {
            LONG result = s_wide.open(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_QUERY_VALUE, &key);
            if (result == ERROR_SUCCESS) RegCloseKey(key);
            if (result != ERROR_CALL_NOT_IMPLEMENTED) s_wideKeyCalls = CARRIED_OUT;
        }
    }
    return s_wideKeyCalls == CARRIED_OUT ? &s_wide : NULL;
}

// Asked with the first file: MoveFileExA is in every KERNEL32, a stub on 95/98,
// which are not asked again.
int RegisterDeletionAtRestart(const char* path)
{
    if (s_noRestartDeletion) return RESTART_DELETION_UNKNOWN;
    if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) return RESTART_DELETION_REGISTERED;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return RESTART_DELETION_REFUSED;
    s_noRestartDeletion = 1;
    return RESTART_DELETION_UNKNOWN;
}

const char g_szSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

void ReadPendingDeletions(PendingDeletions* pending)
{
    pending->list = NULL;
    pending->size = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szSessionManagerKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    static const char kValue[] = "PendingFileRenameOperations";
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, kValue, NULL, &type, NULL, &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ && size > 0 && (pending->list = static_cast<char*>(RtAlloc(size))) != NULL &&
        RegQueryValueExA(key, kValue, NULL, &type, reinterpret_cast<BYTE*>(pending->list), &size) ==
            ERROR_SUCCESS)
        pending->size = size;
    RegCloseKey(key);
}

typedef LONG(WINAPI* SetValueProc)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);

int AddToPendingDeletions(const char* pairs, size_t size)
{
    static const WCHAR kValue[] = L"PendingFileRenameOperations";
    const KeyCalls<WCHAR>* wide = UnicodeKeyCalls();
    SetValueProc set;
    HKEY key;
    if (wide == NULL || !LookUpCall(&set, "RegSetValueExW") ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return 0;
    // Read and written in Unicode, so that another program's entries keep every
    // character whatever the code page.
    DWORD type = REG_MULTI_SZ;
    DWORD bytes = 0;
    LONG result = wide->query(key, kValue, NULL, &type, NULL, &bytes);
    if (result == ERROR_FILE_NOT_FOUND) bytes = 0;
    else if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) bytes = ~0u;
    WCHAR* list = bytes < 0x100000 ? static_cast<WCHAR*>(RtAlloc(bytes + (size + 1) * sizeof(WCHAR)))
                                   : NULL;
    result = ERROR_OUTOFMEMORY;
    if (list != NULL && (bytes == 0 || wide->query(key, kValue, NULL, &type,
                                                   reinterpret_cast<BYTE*>(list), &bytes) ==
                                           ERROR_SUCCESS)) {
        size_t kept = PendingListEnd(list, bytes / sizeof(WCHAR));
        int added = MultiByteToWideChar(CP_ACP, 0, pairs, static_cast<int>(size), list + kept,
                                        static_cast<int>(size));
        if (added > 0) {
            list[kept + added] = 0;
            result = set(key, kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list),
                         static_cast<DWORD>((kept + added + 1) * sizeof(WCHAR)));
        }
    }
    RtFree(list);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RestartReadsWininit()
{
    return UnicodeKeyCalls() == NULL;
}

typedef BOOL(WINAPI* OpenProcessTokenProc)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* LookupPrivilegeValueProc)(LPCSTR, LPCSTR, PLUID);
typedef BOOL(WINAPI* AdjustTokenPrivilegesProc)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                                PTOKEN_PRIVILEGES, PDWORD);

void EnableShutdownPrivilege()
{
    OpenProcessTokenProc openToken;
    LookupPrivilegeValueProc lookup;
    AdjustTokenPrivilegesProc adjust;
    if (!LookUpCall(&openToken, "OpenProcessToken") ||
        !LookUpCall(&lookup, "LookupPrivilegeValueA") ||
        !LookUpCall(&adjust, "AdjustTokenPrivileges"))
        return;

    HANDLE token;
    if (!openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (lookup(NULL, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        adjust(token, FALSE, &privileges, 0, NULL, NULL);
    CloseHandle(token);
}

typedef BOOL(WINAPI* CreateReasonProc)(HWND, LPCWSTR);
typedef BOOL(WINAPI* DestroyReasonProc)(HWND);

void BlockShutdown(HWND window, int on)
{
    CreateReasonProc create;
    DestroyReasonProc destroy;
    if (!on && LookUpCall(&destroy, "ShutdownBlockReasonDestroy", "USER32.DLL"))
        destroy(window);
    if (on && LookUpCall(&create, "ShutdownBlockReasonCreate", "USER32.DLL"))
        create(window, L"Removing Varsen Software");
}
