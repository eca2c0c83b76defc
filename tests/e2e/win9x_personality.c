/* Test-only library that gives a program under Wine the calls of Windows 95/98: the
 * functions those systems export but do not implement (MoveFileExA, the security
 * calls, also when looked up with GetProcAddress) fail with ERROR_CALL_NOT_IMPLEMENTED.
 * It can also fail chosen calls on the wininit.ini files (the n-th CreateFileA,
 * WriteFile, MoveFileA, DeleteFileA or MoveFileExA) and every RegOpenKeyExA and
 * RegDeleteKeyA of one key name. It works by rewriting the import slots of the
 * process's main module: an end-to-end driver brings it into REMOVR.EXE with the
 * WH_GETMESSAGE hook LoadHook after arming it (PatchOnLoad); an in-process test calls
 * ApplyPersonality. Control and counters live in a section shared by every process. */
#include <windows.h>

#include "import_patch.h"
#include "win9x_personality.h"

#define SHARED __attribute__((section(".shared"), shared))

volatile LONG g_patchOnLoad SHARED = 0;
volatile LONG g_patchedSlots SHARED = 0;
volatile LONG g_win9xCalls SHARED = 1;
/* Per kind of file call: calls on wininit.ini paths so far, and which fail (bit n-1
 * for the n-th). */
volatile LONG g_fileCalls[PERSONA_KINDS] SHARED = {0};
volatile LONG g_failMask[PERSONA_KINDS] SHARED = {0};
volatile LONG g_injected SHARED = 0;
volatile LONG g_notImplemented SHARED = 0;  /* calls answered ERROR_CALL_NOT_IMPLEMENTED */
volatile LONG g_ntLookups SHARED = 0;       /* NT-only functions looked up by name */
volatile LONG g_unknownLookups SHARED = 0;  /* ...W lookups without a known stub */
volatile LONG g_keyRefusals SHARED = 0;
volatile LONG g_failGetMessage SHARED = 0;  /* the program's next GetMessageA gives -1 */
volatile LONG g_wideImports SHARED = -1;    /* ...W imports of the patched module */
char g_refusedKey[256] SHARED = {0};
char g_lastLookup[64] SHARED = {0};
/* In the NT setting: the privilege looked up by name, and the count and the first
 * attributes AdjustTokenPrivileges was given (-1 before a call). */
char g_privilegeName[64] SHARED = {0};
volatile LONG g_privilegeCount SHARED = -1;
volatile LONG g_privilegeAttributes SHARED = -1;
/* One line per call on a wininit.ini path, "!" marking an injected failure. */
char g_log[4096] SHARED = {0};
volatile LONG g_logLength SHARED = 0;

static FARPROC s_real[PERSONA_FUNCTIONS];

/* Handles that CreateFileA opened on wininit.ini paths in this process. */
#define TRACKED_HANDLES 16
static HANDLE s_handles[TRACKED_HANDLES];

static void CopyText(char* target, int size, const char* text)
{
    int i = 0;
    for (; text != NULL && text[i] && i < size - 1; i++) target[i] = text[i];
    target[i] = '\0';
}

static char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

static const char* LastComponent(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

static int SameText(const char* a, const char* b)
{
    for (; *a && *b; a++, b++)
        if (Lower(*a) != Lower(*b)) return 0;
    return *a == *b;
}

/* wininit.ini and every file beside it whose name begins with it (ours: wininit.rvn, wininit.rvo). */
static int IsWininitPath(const char* path)
{
    static const char kName[] = "wininit";
    if (path == NULL) return 0;
    const char* name = LastComponent(path);
    for (int i = 0; kName[i]; i++)
        if (Lower(name[i]) != kName[i]) return 0;
    return 1;
}

static void Append(const char* text)
{
    LONG at = g_logLength;
    while (*text && at < (LONG)sizeof g_log - 1) g_log[at++] = *text++;
    g_log[at] = '\0';
    g_logLength = at;
}

static void Log(const char* kind, const char* from, const char* to, int failed)
{
    Append(kind);
    Append(" ");
    Append(from != NULL ? LastComponent(from) : "-");
    if (to != NULL) {
        Append(">");
        Append(LastComponent(to));
    }
    Append(failed ? " !\n" : "\n");
}

/* Counts one call of that kind on a wininit.ini path: 1 when it is to fail. */
static int CountCall(int kind)
{
    LONG n = InterlockedIncrement(&g_fileCalls[kind]);
    if (n > 32 || !(g_failMask[kind] & (1L << (n - 1)))) return 0;
    InterlockedIncrement(&g_injected);
    return 1;
}

/* A call of kind on a wininit.ini path (from or to), logged under tag: 1 when it is
 * to fail, with its error set. */
static int FailedOnWininit(int kind, const char* tag, const char* from, const char* to)
{
    if (!IsWininitPath(from) && !IsWininitPath(to)) return 0;
    int fail = CountCall(kind);
    Log(tag, from, to, fail);
    if (fail) SetLastError(ERROR_SHARING_VIOLATION);
    return fail;
}

static int IsTracked(HANDLE handle)
{
    for (int i = 0; i < TRACKED_HANDLES; i++)
        if (handle != NULL && s_handles[i] == handle) return 1;
    return 0;
}

static void Track(HANDLE handle, int on)
{
    for (int i = 0; i < TRACKED_HANDLES; i++) {
        if (on && s_handles[i] == NULL) {
            s_handles[i] = handle;
            return;
        }
        if (!on && s_handles[i] == handle) s_handles[i] = NULL;
    }
}

static BOOL NotImplemented(void)
{
    InterlockedIncrement(&g_notImplemented);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

typedef BOOL(WINAPI* MoveFileExProc)(LPCSTR, LPCSTR, DWORD);
typedef BOOL(WINAPI* MoveFileProc)(LPCSTR, LPCSTR);
typedef BOOL(WINAPI* DeleteFileProc)(LPCSTR);
typedef HANDLE(WINAPI* CreateFileProc)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE);
typedef BOOL(WINAPI* WriteFileProc)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
typedef BOOL(WINAPI* CloseHandleProc)(HANDLE);
typedef LONG(WINAPI* RegOpenKeyExProc)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI* RegDeleteKeyProc)(HKEY, LPCSTR);
typedef FARPROC(WINAPI* GetProcAddressProc)(HMODULE, LPCSTR);
typedef BOOL(WINAPI* GetMessageProc)(LPMSG, HWND, UINT, UINT);

/* A failed GetMessageA fills nothing in: the record is left as garbage, so that a
 * program that reads it anyway shows it. */
static BOOL WINAPI PersonaGetMessageA(LPMSG msg, HWND window, UINT first, UINT last)
{
    if (InterlockedExchange(&g_failGetMessage, 0)) {
        if (msg != NULL) FillMemory(msg, sizeof *msg, 0xA5);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    return ((GetMessageProc)(void*)s_real[PERSONA_FN_GETMESSAGE])(msg, window, first, last);
}

static BOOL WINAPI PersonaMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    /* Counted in every setting: a program that asks Windows 95/98 for it shows. */
    int refuse = (flags & MOVEFILE_DELAY_UNTIL_REBOOT) && CountCall(PERSONA_SCHEDULE);
    if (g_win9xCalls) {
        if (IsWininitPath(from) || IsWininitPath(to)) Log("X", from, to, 1);
        return NotImplemented();
    }
    if (refuse) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (FailedOnWininit(PERSONA_MOVEFILEEX, "X", from, to)) return FALSE;
    return ((MoveFileExProc)(void*)s_real[PERSONA_FN_MOVEFILEEX])(from, to, flags);
}

static BOOL WINAPI PersonaMoveFileA(LPCSTR from, LPCSTR to)
{
    if (FailedOnWininit(PERSONA_MOVEFILE, "M", from, to)) return FALSE;
    return ((MoveFileProc)(void*)s_real[PERSONA_FN_MOVEFILE])(from, to);
}

static BOOL WINAPI PersonaDeleteFileA(LPCSTR path)
{
    if (FailedOnWininit(PERSONA_DELETEFILE, "D", path, NULL)) return FALSE;
    return ((DeleteFileProc)(void*)s_real[PERSONA_FN_DELETEFILE])(path);
}

static BOOL WINAPI PersonaSetFileAttributesA(LPCSTR path, DWORD attributes)
{
    if (CountCall(PERSONA_ATTRIBUTES)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ((BOOL(WINAPI*)(LPCSTR, DWORD))(void*)s_real[PERSONA_FN_SETATTRIBUTES])(path, attributes);
}

static HANDLE WINAPI PersonaCreateFileA(LPCSTR path, DWORD access, DWORD share,
                                        LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                        DWORD flags, HANDLE templateFile)
{
    if (FailedOnWininit(PERSONA_CREATEFILE, (access & GENERIC_WRITE) ? "C+w" : "C", path, NULL))
        return INVALID_HANDLE_VALUE;
    HANDLE file = ((CreateFileProc)(void*)s_real[PERSONA_FN_CREATEFILE])(path, access, share, security,
                                                                  disposition, flags, templateFile);
    if (IsWininitPath(path) && file != INVALID_HANDLE_VALUE) Track(file, 1);
    return file;
}

static BOOL WINAPI PersonaWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                    LPOVERLAPPED overlapped)
{
    if (IsTracked(file)) {
        int fail = CountCall(PERSONA_WRITEFILE);
        Log("W", NULL, NULL, fail);
        if (fail) {
            if (written != NULL) *written = 0;
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
    }
    return ((WriteFileProc)(void*)s_real[PERSONA_FN_WRITEFILE])(file, data, size, written, overlapped);
}

static BOOL WINAPI PersonaCloseHandle(HANDLE handle)
{
    if (IsTracked(handle)) Track(handle, 0);
    return ((CloseHandleProc)(void*)s_real[PERSONA_FN_CLOSEHANDLE])(handle);
}

static int IsRefusedKey(LPCSTR path)
{
    return path != NULL && g_refusedKey[0] != '\0' && SameText(LastComponent(path), g_refusedKey);
}

static LONG Refused(void)
{
    InterlockedIncrement(&g_keyRefusals);
    return ERROR_ACCESS_DENIED;
}

static LONG WINAPI PersonaRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access,
                                        PHKEY key)
{
    if (IsRefusedKey(path)) return Refused();
    return ((RegOpenKeyExProc)(void*)s_real[PERSONA_FN_REGOPENKEYEX])(root, path, options, access, key);
}

static LONG WINAPI PersonaRegDeleteKeyA(HKEY root, LPCSTR path)
{
    if (IsRefusedKey(path)) return Refused();
    return ((RegDeleteKeyProc)(void*)s_real[PERSONA_FN_REGDELETEKEY])(root, path);
}

/* The NT family's Unicode key calls, looked up by name, refuse the same key. */
static FARPROC s_realOpenW, s_realDeleteW;

static int IsRefusedWideKey(LPCWSTR path)
{
    char narrow[512];
    return path != NULL &&
           WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof narrow, NULL, NULL) > 0 &&
           IsRefusedKey(narrow);
}

static LONG WINAPI PersonaRegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access,
                                        PHKEY key)
{
    if (IsRefusedWideKey(path)) return Refused();
    return ((LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY))(void*)s_realOpenW)(
        root, path, options, access, key);
}

static LONG WINAPI PersonaRegDeleteKeyW(HKEY root, LPCWSTR path)
{
    if (IsRefusedWideKey(path)) return Refused();
    return ((LONG(WINAPI*)(HKEY, LPCWSTR))(void*)s_realDeleteW)(root, path);
}

/* The NT family's privilege calls, recorded on their way to the real ones. */
static FARPROC s_realLookup, s_realAdjust;

static BOOL WINAPI RecordLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid)
{
    CopyText(g_privilegeName, sizeof g_privilegeName, name);
    return ((BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID))(void*)s_realLookup)(system, name, luid);
}

static BOOL WINAPI RecordAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                               DWORD length, PTOKEN_PRIVILEGES previous,
                                               PDWORD returned)
{
    InterlockedExchange(&g_privilegeCount, state != NULL ? (LONG)state->PrivilegeCount : -1);
    InterlockedExchange(&g_privilegeAttributes,
                        state != NULL ? (LONG)state->Privileges[0].Attributes : -1);
    return ((BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD))(
        void*)s_realAdjust)(token, disableAll, state, length, previous, returned);
}

/* The NT-only calls, as Windows 95/98 export them. */
static BOOL WINAPI StubOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    (void)process;
    (void)access;
    if (token != NULL) *token = NULL;
    return NotImplemented();
}

static BOOL WINAPI StubLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid)
{
    (void)system;
    (void)name;
    (void)luid;
    return NotImplemented();
}

static BOOL WINAPI StubAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                             DWORD length, PTOKEN_PRIVILEGES previous,
                                             PDWORD returned)
{
    (void)token;
    (void)disableAll;
    (void)state;
    (void)length;
    (void)previous;
    (void)returned;
    return NotImplemented();
}

struct NtOnly {
    const char* dll;
    const char* name;
    FARPROC stub;
};

static const struct NtOnly kNtOnly[] = {
    {"kernel32.dll", "MoveFileExA", (FARPROC)(void*)PersonaMoveFileExA},
    {"advapi32.dll", "OpenProcessToken", (FARPROC)(void*)StubOpenProcessToken},
    {"advapi32.dll", "LookupPrivilegeValueA", (FARPROC)(void*)StubLookupPrivilegeValueA},
    {"advapi32.dll", "AdjustTokenPrivileges", (FARPROC)(void*)StubAdjustTokenPrivileges},
};

static int IsWideName(const char* name)
{
    int n = lstrlenA(name);
    return n >= 2 && name[n - 1] == 'W' &&
           ((name[n - 2] >= 'a' && name[n - 2] <= 'z') || (name[n - 2] >= '0' && name[n - 2] <= '9'));
}

static void NoteLookup(const char* name) { CopyText(g_lastLookup, sizeof g_lastLookup, name); }

static FARPROC WINAPI PersonaGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = ((GetProcAddressProc)(void*)s_real[PERSONA_FN_GETPROCADDRESS])(module, name);
    /* By ordinal or not found: as it is. NT-only lookups are counted always, and
     * answered with the failing stubs when the Windows 95/98 calls are on. */
    if (HIWORD((DWORD_PTR)name) == 0 || found == NULL) return found;
    for (unsigned i = 0; i < sizeof kNtOnly / sizeof kNtOnly[0]; i++) {
        if (lstrcmpA(name, kNtOnly[i].name) == 0) {
            InterlockedIncrement(&g_ntLookups);
            NoteLookup(name);
            if (g_win9xCalls) return kNtOnly[i].stub;
            if (lstrcmpA(name, "LookupPrivilegeValueA") == 0) {
                s_realLookup = found;
                return (FARPROC)(void*)RecordLookupPrivilegeValueA;
            }
            if (lstrcmpA(name, "AdjustTokenPrivileges") == 0) {
                s_realAdjust = found;
                return (FARPROC)(void*)RecordAdjustTokenPrivileges;
            }
            return found;
        }
    }
    if (!g_win9xCalls && lstrcmpA(name, "RegOpenKeyExW") == 0) {
        s_realOpenW = found;
        return (FARPROC)(void*)PersonaRegOpenKeyExW;
    }
    if (!g_win9xCalls && lstrcmpA(name, "RegDeleteKeyW") == 0) {
        s_realDeleteW = found;
        return (FARPROC)(void*)PersonaRegDeleteKeyW;
    }
    if (g_win9xCalls && IsWideName(name)) {
        /* No stub of the right signature: refused, and counted so a test fails. */
        InterlockedIncrement(&g_unknownLookups);
        NoteLookup(name);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return NULL;
    }
    return found;
}

static void CountWide(const char* dll, const char* name, void* context)
{
    (void)dll;
    if (IsWideName(name)) ++*(LONG*)context;
}

struct Patch {
    int index;
    const char* dll;
    const char* name;
    FARPROC replacement;
};

static const struct Patch kPatches[] = {
    {PERSONA_FN_MOVEFILEEX, "kernel32.dll", "MoveFileExA", (FARPROC)(void*)PersonaMoveFileExA},
    {PERSONA_FN_MOVEFILE, "kernel32.dll", "MoveFileA", (FARPROC)(void*)PersonaMoveFileA},
    {PERSONA_FN_DELETEFILE, "kernel32.dll", "DeleteFileA", (FARPROC)(void*)PersonaDeleteFileA},
    {PERSONA_FN_CREATEFILE, "kernel32.dll", "CreateFileA", (FARPROC)(void*)PersonaCreateFileA},
    {PERSONA_FN_WRITEFILE, "kernel32.dll", "WriteFile", (FARPROC)(void*)PersonaWriteFile},
    {PERSONA_FN_CLOSEHANDLE, "kernel32.dll", "CloseHandle", (FARPROC)(void*)PersonaCloseHandle},
    {PERSONA_FN_GETPROCADDRESS, "kernel32.dll", "GetProcAddress", (FARPROC)(void*)PersonaGetProcAddress},
    {PERSONA_FN_REGOPENKEYEX, "advapi32.dll", "RegOpenKeyExA", (FARPROC)(void*)PersonaRegOpenKeyExA},
    {PERSONA_FN_REGDELETEKEY, "advapi32.dll", "RegDeleteKeyA", (FARPROC)(void*)PersonaRegDeleteKeyA},
    {PERSONA_FN_GETMESSAGE, "user32.dll", "GetMessageA", (FARPROC)(void*)PersonaGetMessageA},
    {PERSONA_FN_SETATTRIBUTES, "kernel32.dll", "SetFileAttributesA",
     (FARPROC)(void*)PersonaSetFileAttributesA},
};

/* The security calls imported directly fail as well (MoveFileExA is in kPatches). */
static int PatchNtOnlyImports(HMODULE module)
{
    int patched = 0;
    for (unsigned i = 1; i < sizeof kNtOnly / sizeof kNtOnly[0]; i++)
        if (g_win9xCalls)
            patched += PatchImport(module, kNtOnly[i].dll, kNtOnly[i].name, kNtOnly[i].stub, NULL);
    return patched;
}

__declspec(dllexport) LONG ApplyPersonality(void)
{
    HMODULE module = GetModuleHandleA(NULL);
    /* The rewritten slots point into this library: it stays until the process ends,
     * whoever frees it or takes the hook away. */
    HMODULE self;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       (LPCSTR)(void*)ApplyPersonality, &self);
    /* So that its exports can be named; a program that imports it has it already. */
    if (GetModuleHandleA("advapi32.dll") == NULL) LoadLibraryA("advapi32.dll");
    int patched = 0;
    LONG wide = 0;
    ForEachNamedImport(module, CountWide, &wide);
    InterlockedExchange(&g_wideImports, wide);
    for (unsigned i = 0; i < sizeof kPatches / sizeof kPatches[0]; i++) {
        FARPROC real = NULL;
        patched += PatchImport(module, kPatches[i].dll, kPatches[i].name, kPatches[i].replacement,
                               &real);
        if (real != NULL) s_real[kPatches[i].index] = real;
    }
    patched += PatchNtOnlyImports(module);
    InterlockedExchangeAdd(&g_patchedSlots, patched);
    return patched;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && InterlockedExchange(&g_patchOnLoad, 0)) ApplyPersonality();
    return TRUE;
}

/* On the program's GUI thread: any message it takes brings this library in. */
__declspec(dllexport) LRESULT CALLBACK LoadHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(NULL, code, wParam, lParam);
}

/* The next process that loads the library (through LoadHook) is patched. */
__declspec(dllexport) void PatchOnLoad(void) { InterlockedExchange(&g_patchOnLoad, 1); }
__declspec(dllexport) LONG PatchedSlots(void) { return g_patchedSlots; }

/* 1: MoveFileExA and the security calls fail as on Windows 95/98 (the default);
 * 0: they work, and MoveFileExA on wininit.ini paths can be failed instead. */
__declspec(dllexport) void SetWin9xCalls(LONG on) { InterlockedExchange(&g_win9xCalls, on); }

/* The calls of kind (PERSONA_CREATEFILE ...) whose numbers, from 1, are bits of mask
 * fail from now on; the counts start again. */
__declspec(dllexport) void FailFileCalls(LONG kind, LONG mask)
{
    if (kind >= 0 && kind < PERSONA_KINDS) InterlockedExchange(&g_failMask[kind], mask);
}

__declspec(dllexport) LONG FileCalls(LONG kind)
{
    return kind >= 0 && kind < PERSONA_KINDS ? g_fileCalls[kind] : -1;
}

__declspec(dllexport) void RefuseKey(const char* name)
{
    CopyText(g_refusedKey, sizeof g_refusedKey, name);
}

__declspec(dllexport) LONG KeyRefusals(void) { return g_keyRefusals; }
__declspec(dllexport) void FailNextGetMessage(void) { InterlockedExchange(&g_failGetMessage, 1); }
__declspec(dllexport) LONG GetMessageFailurePending(void) { return g_failGetMessage; }
__declspec(dllexport) LONG InjectedFailures(void) { return g_injected; }
__declspec(dllexport) LONG NotImplementedCalls(void) { return g_notImplemented; }
__declspec(dllexport) LONG NtOnlyLookups(void) { return g_ntLookups; }
__declspec(dllexport) LONG UnknownLookups(void) { return g_unknownLookups; }
__declspec(dllexport) const char* LastLookup(void) { return g_lastLookup; }
__declspec(dllexport) const char* PrivilegeName(void) { return g_privilegeName; }
__declspec(dllexport) LONG PrivilegeCount(void) { return g_privilegeCount; }
__declspec(dllexport) LONG PrivilegeAttributes(void) { return g_privilegeAttributes; }
__declspec(dllexport) const char* CallLog(void) { return g_log; }

/* Every count, failure and the log back to nothing; the Windows 95/98 calls on. */
__declspec(dllexport) void ResetPersonality(void)
{
    for (int i = 0; i < PERSONA_KINDS; i++) {
        InterlockedExchange(&g_fileCalls[i], 0);
        InterlockedExchange(&g_failMask[i], 0);
    }
    InterlockedExchange(&g_patchedSlots, 0);
    InterlockedExchange(&g_win9xCalls, 1);
    InterlockedExchange(&g_injected, 0);
    InterlockedExchange(&g_notImplemented, 0);
    InterlockedExchange(&g_ntLookups, 0);
    InterlockedExchange(&g_unknownLookups, 0);
    InterlockedExchange(&g_keyRefusals, 0);
    InterlockedExchange(&g_failGetMessage, 0);
    InterlockedExchange(&g_wideImports, -1);
    g_refusedKey[0] = '\0';
    g_lastLookup[0] = '\0';
    g_privilegeName[0] = '\0';
    InterlockedExchange(&g_privilegeCount, -1);
    InterlockedExchange(&g_privilegeAttributes, -1);
    g_log[0] = '\0';
    InterlockedExchange(&g_logLength, 0);
}

/* ...W functions that the patched module imports: Windows 95/98 stub nearly all. */
__declspec(dllexport) LONG WideImports(void) { return g_wideImports; }
