/* Test-only library brought into a program under test. It rewrites the import slots
 * of the process's main module so that the program meets Windows 95/98 (MoveFileExA,
 * the security calls and the Unicode registry open, also looked up with
 * GetProcAddress, fail with ERROR_CALL_NOT_IMPLEMENTED) and the common controls of
 * Windows 95 and NT 4, or a user of the NT family without an administrator's rights,
 * or a Power User; it fails chosen calls on the wininit.ini files, one registry key,
 * the message loop, the property sheet or one dialog template; it counts every call
 * that changes the machine in one sequence, and ends the process before the Nth (a
 * power cut, a crash, End Task) or fails the Nth once;
 * it records restarts instead of doing them, with the shutdown privilege the process
 * holds; and its hooks count what reaches the program's windows. An end-to-end
 * driver arms it (PV_PATCH_ON_LOAD) and hooks LoadHook and CallWndHook on the main
 * thread of the program started suspended; an in-process test calls
 * ApplyPersonality. Settings and counts are one table in a section shared by every
 * process that loads the library (win9x_personality.h). */
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "win9x_personality.h"

#define SHARED __attribute__((section(".shared"), shared))

volatile LONG g_values[PV_VALUES] SHARED = {0};
char g_refusedKey[256] SHARED = {0};
char g_lastLookup[64] SHARED = {0};
/* One line per call on a wininit.ini path, "!" marking an injected failure. */
char g_log[4096] SHARED = {0};
volatile LONG g_logLength SHARED = 0;
/* One line per call that changes the machine: "N letter name". */
char g_changes[8192] SHARED = {0};
volatile LONG g_changesLength SHARED = 0;

#define VALUE(which) (&g_values[which])

/* The replaced functions, and the real ones once found. */
enum {
    FN_MOVEFILEEX, FN_MOVEFILE, FN_DELETEFILE, FN_REMOVEDIRECTORY, FN_COPYFILE,
    FN_SETATTRIBUTES, FN_CREATEFILE, FN_WRITEFILE, FN_CLOSEHANDLE, FN_GETPROCADDRESS,
    FN_REGOPENKEYEX, FN_REGCREATEKEYEX, FN_REGDELETEKEY, FN_REGDELETEVALUE, FN_REGCLOSEKEY,
    FN_GETMESSAGE, FN_EXITWINDOWS, FN_PROPERTYSHEET, FN_DIALOGBOX, FN_FLUSHFILEBUFFERS, FN_REGFLUSHKEY,
    FN_REGOPENKEYEXW, FN_REGDELETEKEYW,
    FN_REGSETVALUEEXW,
    FUNCTIONS
};
static FARPROC s_real[FUNCTIONS];
#define REAL(fn, type) ((type)(void*)s_real[fn])

/* Per process: handles CreateFileA opened on wininit.ini paths, and keys opened
 * under HKEY_LOCAL_MACHINE through the replaced calls. */
#define TRACKED 32
static void* s_wininitHandles[TRACKED];
static void* s_machineKeys[TRACKED];

static int Holds(void* const* table, const void* item)
{
    for (int i = 0; i < TRACKED; i++)
        if (item != NULL && table[i] == item) return 1;
    return 0;
}

static void Track(void** table, void* item, int on)
{
    for (int i = 0; i < TRACKED; i++) {
        if (on && table[i] == NULL) {
            table[i] = item;
            return;
        }
        if (!on && table[i] == item) table[i] = NULL;
    }
}

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
    LONG n = InterlockedIncrement(VALUE(PV_CALLS + kind));
    if (n > 32 || !(g_values[PV_FAIL_MASK + kind] & (1L << (n - 1)))) return 0;
    InterlockedIncrement(VALUE(PV_INJECTED));
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

/* A power cut also loses what the caches hold: each file's data written since its
 * last flush, under the name it has been moved to since (per process; the files
 * written, open or not yet flushed). The registry's loss is the test's to make: it
 * puts back what was deleted after the last flush (G in the change log). */
#define CACHED 8
static struct { HANDLE file; char path[MAX_PATH]; int unflushed; } s_cached[CACHED];

/* The entry of the open file, or of the file at path ("" finds a free one); -1 for none. */
static int Cached(HANDLE file, const char* path)
{
    for (int i = 0; i < CACHED && (file != NULL || path != NULL); i++)
        if (file != NULL ? s_cached[i].file == file : SameText(s_cached[i].path, path)) return i;
    return -1;
}

/* The file at from, once done moving to (NULL: deleted), takes its cached data along. */
static BOOL Follow(const char* from, const char* to, BOOL done)
{
    int entry = done ? Cached(NULL, from) : -1;
    if (entry >= 0) CopyText(s_cached[entry].path, MAX_PATH, to);
    return done;
}

static void LoseCaches(void)
{
    for (int i = 0; i < CACHED; i++)
        if (s_cached[i].unflushed) CloseHandle(CreateFileA(s_cached[i].path, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, 0, NULL));
}

/* One call that changes the machine, of kind (the log's letter: Delete, Move,
 * schedule X, Copy, Attributes, Removed folder, New file, Write, Key or Value
 * deleted, a value Set, a File's or the reGistry's flush) on name (NULL for none):
 * counted and logged. Before the PV_CUT_AT-th the process ends, as at a crash or End
 * Task, before the PV_POWER_CUT_AT-th as at a power cut; the PV_FAIL_AT-th is not to
 * be made: 1, its error set (a full disk for a write, else a denial). */
static int FailedChange(char kind, const char* name)
{
    LONG n = InterlockedIncrement(VALUE(PV_CHANGES)), at = g_changesLength;
    if (at < (LONG)sizeof g_changes - 80)
        g_changesLength = at + wsprintfA(g_changes + at, "%ld %c %.64s\n", n, kind,
                                         name != NULL ? LastComponent(name) : "-");
    if (n == g_values[PV_POWER_CUT_AT]) LoseCaches();
    if (n == g_values[PV_CUT_AT] || n == g_values[PV_POWER_CUT_AT])
        TerminateProcess(GetCurrentProcess(), CUT_EXIT_CODE);
    if (n != g_values[PV_FAIL_AT]) return 0;
    SetLastError(kind == 'W' ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
    return 1;
}

static BOOL NotImplemented(void)
{
    InterlockedIncrement(VALUE(PV_NOT_IMPLEMENTED));
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

/* A user of the setting (PV_LIMITED_USER, PV_POWER_USER): 1 (the error set) when
 * the call is to be denied. */
static int DeniedTo(int user)
{
    if (!g_values[user]) return 0;
    InterlockedIncrement(VALUE(PV_ACCESS_DENIALS));
    SetLastError(ERROR_ACCESS_DENIED);
    return 1;
}
#define Denied() DeniedTo(PV_LIMITED_USER)

/* A failed GetMessageA fills nothing in: the record is left as garbage, so that a
 * program that reads it anyway shows it. */
static BOOL WINAPI PersonaGetMessageA(LPMSG msg, HWND window, UINT first, UINT last)
{
    if (InterlockedExchange(VALUE(PV_FAIL_GETMESSAGE), 0)) {
        if (msg != NULL) FillMemory(msg, sizeof *msg, 0xA5);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    return REAL(FN_GETMESSAGE, BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT))(msg, window, first, last);
}

static BOOL WINAPI PersonaMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    /* Counted in every setting: a program that asks Windows 95/98 for it shows. */
    int refuse = (flags & MOVEFILE_DELAY_UNTIL_REBOOT) && CountCall(PERSONA_SCHEDULE);
    if (g_values[PV_WIN9X_CALLS]) {
        if (IsWininitPath(from) || IsWininitPath(to)) Log("X", from, to, 1);
        return NotImplemented();
    }
    if (FailedChange('X', from)) return FALSE;
    /* The Power User may not register deletions for the restart either. */
    if (Denied() || ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) && DeniedTo(PV_POWER_USER))) return FALSE;
    if (refuse) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (FailedOnWininit(PERSONA_MOVEFILEEX, "X", from, to)) return FALSE;
    return REAL(FN_MOVEFILEEX, BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD))(from, to, flags);
}

static BOOL WINAPI PersonaMoveFileA(LPCSTR from, LPCSTR to)
{
    if (FailedChange('M', from) || Denied() || FailedOnWininit(PERSONA_MOVEFILE, "M", from, to)) return FALSE;
    return Follow(from, to, REAL(FN_MOVEFILE, BOOL(WINAPI*)(LPCSTR, LPCSTR))(from, to));
}

static BOOL WINAPI PersonaDeleteFileA(LPCSTR path)
{
    if (FailedChange('D', path) || Denied() || FailedOnWininit(PERSONA_DELETEFILE, "D", path, NULL))
        return FALSE;
    return Follow(path, NULL, REAL(FN_DELETEFILE, BOOL(WINAPI*)(LPCSTR))(path));
}

static BOOL WINAPI PersonaRemoveDirectoryA(LPCSTR path)
{
    return !FailedChange('R', path) && !Denied() && REAL(FN_REMOVEDIRECTORY, BOOL(WINAPI*)(LPCSTR))(path);
}

static BOOL WINAPI PersonaCopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    return !FailedChange('C', to) && !Denied() &&
           REAL(FN_COPYFILE, BOOL(WINAPI*)(LPCSTR, LPCSTR, BOOL))(from, to, failIfExists);
}

static BOOL WINAPI PersonaSetFileAttributesA(LPCSTR path, DWORD attributes)
{
    if (FailedChange('A', path) || Denied()) return FALSE;
    if (CountCall(PERSONA_ATTRIBUTES)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return REAL(FN_SETATTRIBUTES, BOOL(WINAPI*)(LPCSTR, DWORD))(path, attributes);
}

static char s_created[64]; /* the file the last CreateFileA that changes the machine made */

static HANDLE WINAPI PersonaCreateFileA(LPCSTR path, DWORD access, DWORD share,
                                        LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                        DWORD flags, HANDLE templateFile)
{
    if (disposition == CREATE_ALWAYS || disposition == CREATE_NEW || disposition == TRUNCATE_EXISTING ||
        (disposition == OPEN_ALWAYS && (access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)))) {
        CopyText(s_created, sizeof s_created, path != NULL ? LastComponent(path) : NULL);
        if (FailedChange('N', path)) return INVALID_HANDLE_VALUE;
    }
    if (FailedOnWininit(PERSONA_CREATEFILE, (access & GENERIC_WRITE) ? "C+w" : "C", path, NULL))
        return INVALID_HANDLE_VALUE;
    HANDLE file = REAL(FN_CREATEFILE, HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES,
                                                      DWORD, DWORD, HANDLE))(
        path, access, share, security, disposition, flags, templateFile);
    if (IsWininitPath(path) && file != INVALID_HANDLE_VALUE) Track(s_wininitHandles, file, 1);
    int entry = file != INVALID_HANDLE_VALUE && path != NULL && (access & GENERIC_WRITE) ? Cached(NULL, "") : -1;
    if (entry >= 0) s_cached[entry].file = file, s_cached[entry].unflushed = 0, CopyText(s_cached[entry].path, MAX_PATH, path);
    return file;
}

static BOOL WINAPI PersonaWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                    LPOVERLAPPED overlapped)
{
    if (FailedChange('W', s_created)) {
        if (written != NULL) *written = 0;
        return FALSE;
    }
    int entry = Cached(file, NULL);
    if (entry >= 0) s_cached[entry].unflushed = 1;
    if (Holds(s_wininitHandles, file)) {
        int fail = CountCall(PERSONA_WRITEFILE);
        Log("W", NULL, NULL, fail);
        if (fail) {
            if (written != NULL) *written = 0;
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
    }
    return REAL(FN_WRITEFILE, BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED))(
        file, data, size, written, overlapped);
}

static BOOL WINAPI PersonaFlushFileBuffers(HANDLE file)
{
    int entry = Cached(file, NULL);
    if (FailedChange('F', entry >= 0 ? s_cached[entry].path : NULL)) return FALSE;
    BOOL flushed = REAL(FN_FLUSHFILEBUFFERS, BOOL(WINAPI*)(HANDLE))(file);
    if (entry >= 0) s_cached[entry].unflushed &= !flushed;
    return flushed;
}

static LONG WINAPI PersonaRegFlushKey(HKEY key)
{
    return FailedChange('G', NULL) ? ERROR_ACCESS_DENIED : REAL(FN_REGFLUSHKEY, LONG(WINAPI*)(HKEY))(key);
}

static BOOL WINAPI PersonaCloseHandle(HANDLE handle)
{
    Track(s_wininitHandles, handle, 0);
    int entry = Cached(handle, NULL);
    if (entry >= 0) s_cached[entry].file = NULL;
    if (entry >= 0 && !s_cached[entry].unflushed) s_cached[entry].path[0] = '\0';  /* all on the disk */
    return REAL(FN_CLOSEHANDLE, BOOL(WINAPI*)(HANDLE))(handle);
}

/* The registry: one key name refused, and the limited user's writes under
 * HKEY_LOCAL_MACHINE (and HKEY_CLASSES_ROOT, which mirrors it) denied. */
static const REGSAM kWriteAccess = DELETE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | WRITE_DAC |
                                   WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

static int IsMachineKey(HKEY key)
{
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT || Holds(s_machineKeys, key);
}

static LONG Refused(void)
{
    InterlockedIncrement(VALUE(PV_KEY_REFUSALS));
    return ERROR_ACCESS_DENIED;
}

/* ERROR_SUCCESS when a call on key, asking for access, may go on. */
static LONG KeyCheck(HKEY key, const char* name, REGSAM access)
{
    if (name != NULL && g_refusedKey[0] != '\0' && SameText(LastComponent(name), g_refusedKey))
        return Refused();
    if (!IsMachineKey(key) || !(access & kWriteAccess)) return ERROR_SUCCESS;
    /* The Power User writes under HKEY_LOCAL_MACHINE, but not where the restart's
     * registrations are. */
    int sessionManager = name != NULL && SameText(LastComponent(name), "Session Manager");
    return Denied() || (sessionManager && DeniedTo(PV_POWER_USER)) ? ERROR_ACCESS_DENIED
                                                                   : ERROR_SUCCESS;
}

/* The name in the ANSI code page, for the checks; "" when it does not fit. */
static const char* Narrow(LPCWSTR name, char* buffer, int size)
{
    if (name == NULL) return NULL;
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, size, NULL, NULL) <= 0) buffer[0] = '\0';
    return buffer;
}

/* NT tells a key that is missing apart from one denied: probe is a plain open's. */
static LONG MissingOrDenied(LONG check, LONG probe, PHKEY key)
{
    if (probe == ERROR_SUCCESS) RegCloseKey(*key);
    if (key != NULL) *key = NULL;
    return probe == ERROR_FILE_NOT_FOUND ? probe : check;
}

/* A key opened from one under HKEY_LOCAL_MACHINE is under it too. */
static LONG Opened(HKEY parent, PHKEY key, LONG result)
{
    if (result == ERROR_SUCCESS && key != NULL && IsMachineKey(parent)) Track(s_machineKeys, *key, 1);
    return result;
}

static LONG WINAPI PersonaRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access,
                                        PHKEY key)
{
    LONG(WINAPI * open)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) =
        REAL(FN_REGOPENKEYEX, LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY));
    LONG check = KeyCheck(root, path, access);
    if (check != ERROR_SUCCESS)
        return MissingOrDenied(check, open(root, path, options, KEY_QUERY_VALUE, key), key);
    return Opened(root, key, open(root, path, options, access, key));
}

static LONG WINAPI PersonaRegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access,
                                        PHKEY key)
{
    char narrow[512];
    LONG check = KeyCheck(root, Narrow(path, narrow, sizeof narrow), access);
    if (check != ERROR_SUCCESS) return check;
    return Opened(root, key, REAL(FN_REGOPENKEYEXW, LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY))(
                                 root, path, options, access, key));
}

static LONG WINAPI PersonaRegCreateKeyExA(HKEY root, LPCSTR path, DWORD reserved, LPSTR className,
                                          DWORD options, REGSAM access,
                                          LPSECURITY_ATTRIBUTES security, PHKEY key,
                                          LPDWORD disposition)
{
    LONG check = KeyCheck(root, path, access);
    if (check != ERROR_SUCCESS) return check;
    return Opened(root, key,
                  REAL(FN_REGCREATEKEYEX, LONG(WINAPI*)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM,
                                                        LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD))(
                      root, path, reserved, className, options, access, security, key, disposition));
}

static LONG WINAPI PersonaRegDeleteKeyA(HKEY root, LPCSTR path)
{
    if (FailedChange('K', path)) return ERROR_ACCESS_DENIED;
    LONG check = KeyCheck(root, path, DELETE);
    if (check != ERROR_SUCCESS) return check;
    return REAL(FN_REGDELETEKEY, LONG(WINAPI*)(HKEY, LPCSTR))(root, path);
}

static LONG WINAPI PersonaRegDeleteKeyW(HKEY root, LPCWSTR path)
{
    char narrow[512];
    const char* name = Narrow(path, narrow, sizeof narrow);
    if (FailedChange('K', name)) return ERROR_ACCESS_DENIED;
    LONG check = KeyCheck(root, name, DELETE);
    if (check != ERROR_SUCCESS) return check;
    return REAL(FN_REGDELETEKEYW, LONG(WINAPI*)(HKEY, LPCWSTR))(root, path);
}

/* The NT family's list of renames at the restart, written in one go. */
static LONG WINAPI PersonaRegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                         const BYTE* data, DWORD size)
{
    char narrow[512];
    if (FailedChange('S', Narrow(name, narrow, sizeof narrow))) return ERROR_ACCESS_DENIED;
    return REAL(FN_REGSETVALUEEXW, LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD))(
        key, name, reserved, type, data, size);
}

static LONG WINAPI PersonaRegDeleteValueA(HKEY key, LPCSTR name)
{
    if (FailedChange('V', name)) return ERROR_ACCESS_DENIED;
    LONG check = KeyCheck(key, NULL, KEY_SET_VALUE);
    if (check != ERROR_SUCCESS) return check;
    return REAL(FN_REGDELETEVALUE, LONG(WINAPI*)(HKEY, LPCSTR))(key, name);
}

static LONG WINAPI PersonaRegCloseKey(HKEY key)
{
    Track(s_machineKeys, key, 0);
    return REAL(FN_REGCLOSEKEY, LONG(WINAPI*)(HKEY))(key);
}

/* The common controls of Windows 95 and NT 4 know only the first header size. */
static INT_PTR WINAPI PersonaPropertySheetA(LPCPROPSHEETHEADERA header)
{
    if (g_values[PV_FAIL_SHEET] || (header != NULL && header->dwSize > PROPSHEETHEADERA_V1_SIZE)) {
        InterlockedIncrement(VALUE(PV_SHEETS_REFUSED));
        return -1;
    }
    return REAL(FN_PROPERTYSHEET, INT_PTR(WINAPI*)(LPCPROPSHEETHEADERA))(header);
}

/* Whether the process token holds the shutdown privilege switched on, read from the
 * token itself. Windows 95/98 have no token: their security calls are stubs. */
static LONG ShutdownPrivilege(void)
{
    union {
        TOKEN_PRIVILEGES privileges;
        BYTE bytes[2048];
    } held;
    LUID shutdown;
    HANDLE token;
    DWORD size;
    if (g_values[PV_WIN9X_CALLS] || !LookupPrivilegeValueA(NULL, SE_SHUTDOWN_NAME, &shutdown) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return PRIVILEGE_NO_TOKEN;
    LONG state = PRIVILEGE_NO_TOKEN;
    if (GetTokenInformation(token, TokenPrivileges, &held, sizeof held, &size)) {
        state = PRIVILEGE_DISABLED;
        for (DWORD i = 0; i < held.privileges.PrivilegeCount; i++) {
            const LUID_AND_ATTRIBUTES* p = &held.privileges.Privileges[i];
            if (p->Luid.LowPart == shutdown.LowPart && p->Luid.HighPart == shutdown.HighPart &&
                (p->Attributes & SE_PRIVILEGE_ENABLED))
                state = PRIVILEGE_ENABLED;
        }
    }
    CloseHandle(token);
    return state;
}

/* A restart is recorded and answered from the test, never done: a real one would end
 * the session of the whole Wine prefix. */
static BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason)
{
    (void)reason;
    InterlockedExchange(VALUE(PV_LAST_EXIT_FLAGS), (LONG)flags);
    InterlockedExchange(VALUE(PV_SHUTDOWN_PRIVILEGE), ShutdownPrivilege());
    InterlockedIncrement(VALUE(PV_EXIT_REQUESTS));
    if (!g_values[PV_EXIT_ANSWER]) SetLastError(ERROR_ACCESS_DENIED);
    return g_values[PV_EXIT_ANSWER] != 0;
}

/* The NT-only calls, as Windows 95/98 export them. */
static BOOL WINAPI StubOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    (void)process, (void)access;
    if (token != NULL) *token = NULL;
    return NotImplemented();
}

static BOOL WINAPI StubLookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid)
{
    (void)system, (void)name, (void)luid;
    return NotImplemented();
}

static BOOL WINAPI StubAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                             DWORD length, PTOKEN_PRIVILEGES previous,
                                             PDWORD returned)
{
    (void)token, (void)disableAll, (void)state, (void)length, (void)previous, (void)returned;
    return NotImplemented();
}

/* Windows 95/98's registry calls of the NT family answer with the error itself. A
 * program asks the open first, so only it is a stub here; the others stay Wine's. */
static LONG WINAPI StubRegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key)
{
    (void)root, (void)path, (void)options, (void)access, (void)key;
    InterlockedIncrement(VALUE(PV_NOT_IMPLEMENTED));
    return ERROR_CALL_NOT_IMPLEMENTED;
}

/* A chosen dialog template cannot be made. */
static INT_PTR WINAPI PersonaDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner,
                                             DLGPROC proc, LPARAM param)
{
    if (g_values[PV_FAIL_DIALOG] != 0 && (DWORD_PTR)name == (DWORD_PTR)g_values[PV_FAIL_DIALOG])
        return -1;
    return REAL(FN_DIALOGBOX, INT_PTR(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM))(
        instance, name, owner, proc, param);
}

struct Replacement {
    const char* dll;
    const char* name;
    FARPROC replacement;
};

static const struct Replacement kNtOnly[] = {
    {"kernel32.dll", "MoveFileExA", (FARPROC)(void*)PersonaMoveFileExA},
    {"advapi32.dll", "OpenProcessToken", (FARPROC)(void*)StubOpenProcessToken},
    {"advapi32.dll", "LookupPrivilegeValueA", (FARPROC)(void*)StubLookupPrivilegeValueA},
    {"advapi32.dll", "AdjustTokenPrivileges", (FARPROC)(void*)StubAdjustTokenPrivileges},
    {"advapi32.dll", "RegOpenKeyExW", (FARPROC)(void*)StubRegOpenKeyExW},
    {"advapi32.dll", "RegEnumKeyExW", NULL},
    {"advapi32.dll", "RegQueryValueExW", NULL},
    {"advapi32.dll", "RegDeleteKeyW", NULL},
};

static FARPROC WINAPI PersonaGetProcAddress(HMODULE module, LPCSTR name);

static const struct Replacement kReplaced[FUNCTIONS] = {
    [FN_MOVEFILEEX] = {"kernel32.dll", "MoveFileExA", (FARPROC)(void*)PersonaMoveFileExA},
    [FN_MOVEFILE] = {"kernel32.dll", "MoveFileA", (FARPROC)(void*)PersonaMoveFileA},
    [FN_DELETEFILE] = {"kernel32.dll", "DeleteFileA", (FARPROC)(void*)PersonaDeleteFileA},
    [FN_REMOVEDIRECTORY] = {"kernel32.dll", "RemoveDirectoryA", (FARPROC)(void*)PersonaRemoveDirectoryA},
    [FN_COPYFILE] = {"kernel32.dll", "CopyFileA", (FARPROC)(void*)PersonaCopyFileA},
    [FN_SETATTRIBUTES] = {"kernel32.dll", "SetFileAttributesA", (FARPROC)(void*)PersonaSetFileAttributesA},
    [FN_CREATEFILE] = {"kernel32.dll", "CreateFileA", (FARPROC)(void*)PersonaCreateFileA},
    [FN_WRITEFILE] = {"kernel32.dll", "WriteFile", (FARPROC)(void*)PersonaWriteFile},
    [FN_CLOSEHANDLE] = {"kernel32.dll", "CloseHandle", (FARPROC)(void*)PersonaCloseHandle},
    [FN_GETPROCADDRESS] = {"kernel32.dll", "GetProcAddress", (FARPROC)(void*)PersonaGetProcAddress},
    [FN_REGOPENKEYEX] = {"advapi32.dll", "RegOpenKeyExA", (FARPROC)(void*)PersonaRegOpenKeyExA},
    [FN_REGCREATEKEYEX] = {"advapi32.dll", "RegCreateKeyExA", (FARPROC)(void*)PersonaRegCreateKeyExA},
    [FN_REGDELETEKEY] = {"advapi32.dll", "RegDeleteKeyA", (FARPROC)(void*)PersonaRegDeleteKeyA},
    [FN_REGDELETEVALUE] = {"advapi32.dll", "RegDeleteValueA", (FARPROC)(void*)PersonaRegDeleteValueA},
    [FN_REGCLOSEKEY] = {"advapi32.dll", "RegCloseKey", (FARPROC)(void*)PersonaRegCloseKey},
    [FN_FLUSHFILEBUFFERS] = {"kernel32.dll", "FlushFileBuffers", (FARPROC)(void*)PersonaFlushFileBuffers},
    [FN_REGFLUSHKEY] = {"advapi32.dll", "RegFlushKey", (FARPROC)(void*)PersonaRegFlushKey},
    [FN_GETMESSAGE] = {"user32.dll", "GetMessageA", (FARPROC)(void*)PersonaGetMessageA},
    [FN_EXITWINDOWS] = {"user32.dll", "ExitWindowsEx", (FARPROC)(void*)RecordExitWindows},
    [FN_PROPERTYSHEET] = {"comctl32.dll", "PropertySheetA", (FARPROC)(void*)PersonaPropertySheetA},
    [FN_DIALOGBOX] = {"user32.dll", "DialogBoxParamA", (FARPROC)(void*)PersonaDialogBoxParamA},
    /* Looked up by name on NT, never imported. */
    [FN_REGOPENKEYEXW] = {"advapi32.dll", "RegOpenKeyExW", (FARPROC)(void*)PersonaRegOpenKeyExW},
    [FN_REGDELETEKEYW] = {"advapi32.dll", "RegDeleteKeyW", (FARPROC)(void*)PersonaRegDeleteKeyW},
    [FN_REGSETVALUEEXW] = {"advapi32.dll", "RegSetValueExW", (FARPROC)(void*)PersonaRegSetValueExW},
};

static int IsWideName(const char* name)
{
    int n = lstrlenA(name);
    return n >= 2 && name[n - 1] == 'W' &&
           ((name[n - 2] >= 'a' && name[n - 2] <= 'z') || (name[n - 2] >= '0' && name[n - 2] <= '9'));
}

static FARPROC NoteLookup(const char* name, LONG which, FARPROC answer)
{
    InterlockedIncrement(VALUE(which));
    CopyText(g_lastLookup, sizeof g_lastLookup, name);
    return answer;
}

/* By ordinal or not found: as it is. NT-only lookups are counted always, and answered
 * with the failing stubs when the Windows 95/98 calls are on; on NT the Unicode key
 * calls that open and delete are answered with the replacements that refuse and deny. */
static FARPROC WINAPI PersonaGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = REAL(FN_GETPROCADDRESS, FARPROC(WINAPI*)(HMODULE, LPCSTR))(module, name);
    if (HIWORD((DWORD_PTR)name) == 0 || found == NULL) return found;
    for (unsigned i = 0; i < sizeof kNtOnly / sizeof kNtOnly[0]; i++) {
        if (lstrcmpA(name, kNtOnly[i].name) != 0) continue;
        NoteLookup(name, PV_NT_LOOKUPS, NULL);
        if (g_values[PV_WIN9X_CALLS]) return kNtOnly[i].replacement ? kNtOnly[i].replacement : found;
        break;
    }
    if (g_values[PV_WIN9X_CALLS]) {
        /* No stub of the right signature: refused, and counted so a test fails. */
        if (!IsWideName(name)) return found;
        SetLastError(ERROR_PROC_NOT_FOUND);
        return NoteLookup(name, PV_UNKNOWN_LOOKUPS, NULL);
    }
    for (int fn = FN_REGOPENKEYEXW; fn <= FN_REGSETVALUEEXW; fn++) {
        if (lstrcmpA(name, kReplaced[fn].name) != 0) continue;
        s_real[fn] = found;
        return kReplaced[fn].replacement;
    }
    return found;
}

static IMAGE_IMPORT_DESCRIPTOR* FirstImport(BYTE* base)
{
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY* directory = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    return directory->VirtualAddress != 0 ? (IMAGE_IMPORT_DESCRIPTOR*)(base + directory->VirtualAddress)
                                          : NULL;
}

/* Points every slot of module that imports dll's function name at replacement and
 * keeps the function's own address in *real; the number of slots changed. */
static int PatchImport(HMODULE module, const char* dll, const char* name, FARPROC replacement,
                       FARPROC* real)
{
    HMODULE exporter = GetModuleHandleA(dll);
    FARPROC function = exporter != NULL ? GetProcAddress(exporter, name) : NULL;
    if (real != NULL && function != NULL) *real = function;
    IMAGE_IMPORT_DESCRIPTOR* import = FirstImport((BYTE*)module);
    int patched = 0;
    for (; function != NULL && import != NULL && import->Name != 0; import++) {
        IMAGE_THUNK_DATA* slot = (IMAGE_THUNK_DATA*)((BYTE*)module + import->FirstThunk);
        for (; slot->u1.Function != 0; slot++) {
            DWORD old;
            if ((FARPROC)slot->u1.Function != function ||
                !VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old))
                continue;
            slot->u1.Function = (DWORD_PTR)replacement;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
            patched++;
        }
    }
    return patched;
}

/* The ...W functions module imports by name: Windows 95/98 stub nearly all. */
static LONG WideImports(HMODULE module)
{
    LONG wide = 0;
    for (IMAGE_IMPORT_DESCRIPTOR* import = FirstImport((BYTE*)module);
         import != NULL && import->Name != 0; import++) {
        if (import->OriginalFirstThunk == 0) continue; /* no name table: names nothing */
        IMAGE_THUNK_DATA* entry = (IMAGE_THUNK_DATA*)((BYTE*)module + import->OriginalFirstThunk);
        for (; entry->u1.AddressOfData != 0; entry++)
            if (!IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal) &&
                IsWideName((const char*)((IMAGE_IMPORT_BY_NAME*)((BYTE*)module + entry->u1.AddressOfData))->Name))
                wide++;
    }
    return wide;
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
    InterlockedExchange(VALUE(PV_PLATFORM), (LONG)GetVersion());
    InterlockedExchange(VALUE(PV_WIDE_IMPORTS), WideImports(module));
    int patched = 0;
    for (int fn = 0; fn < FN_REGOPENKEYEXW; fn++)
        patched += PatchImport(module, kReplaced[fn].dll, kReplaced[fn].name,
                               kReplaced[fn].replacement, &s_real[fn]);
    /* The security calls imported directly fail as well (MoveFileExA is done); the
     * registry's Unicode calls, after them, are only looked up by the program. */
    for (unsigned i = 1; i <= 3 && g_values[PV_WIN9X_CALLS]; i++)
        patched += PatchImport(module, kNtOnly[i].dll, kNtOnly[i].name, kNtOnly[i].replacement, NULL);
    InterlockedExchangeAdd(VALUE(PV_PATCHED_SLOTS), patched);
    return patched;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance, (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && InterlockedExchange(VALUE(PV_PATCH_ON_LOAD), 0))
        ApplyPersonality();
    /* The power cut after the program's last change, before Windows wrote its caches. */
    if (reason == DLL_PROCESS_DETACH && g_values[PV_POWER_CUT_AT] > g_values[PV_CHANGES]) LoseCaches();
    return TRUE;
}

static int IsProgressDialog(HWND window)
{
    return GetDlgItem(window, 1003) != NULL && GetDlgItem(window, 1004) != NULL;
}

/* What reaches the backdrop, the progress dialog and its bar (1003). */
static void Observe(HWND window, UINT message, WPARAM wParam)
{
    char name[32];
    if (window == NULL) return;
    if (message == PBM_SETRANGE && GetDlgCtrlID(window) == 1003 && IsProgressDialog(GetParent(window)))
        InterlockedIncrement(VALUE(PV_REMOVAL_RUNS));
    else if (message == WM_PAINT && GetClassNameA(window, name, sizeof name) > 0 &&
             lstrcmpA(name, "Varsen Uninstall") == 0)
        InterlockedIncrement(VALUE(PV_MAIN_PAINTS));
    else if (!IsProgressDialog(window))
        return;
    else if (message == WM_PAINT)
        InterlockedIncrement(VALUE(PV_PROGRESS_PAINTS));
    else if (message == WM_USER + 9) /* the start of the pass */
        InterlockedIncrement(VALUE(PV_PROGRESS_STARTS));
    else if (message == WM_COMMAND && wParam == IDCANCEL)
        InterlockedIncrement(VALUE(PV_PROGRESS_CANCELS));
    else if (message == WM_NULL && wParam == PROGRESS_MARKER)
        InterlockedIncrement(VALUE(PV_PROGRESS_MARKERS));
    /* Posted as the dialog is shown: read before its first paint. */
    else if (message == WM_SHOWWINDOW && wParam && g_values[PV_CANCEL_PROGRESS_EARLY]) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        InterlockedIncrement(VALUE(PV_PROGRESS_CANCELS_POSTED));
    }
}

/* WH_GETMESSAGE on the program's GUI thread: the first message it takes brings the
 * library in; the messages dispatched from its queues are observed. */
__declspec(dllexport) LRESULT CALLBACK LoadHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* taken = (const MSG*)lParam;
        Observe(taken->hwnd, taken->message, taken->wParam);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

/* WH_CALLWNDPROC: sent messages, WM_SHOWWINDOW and the paint UpdateWindow sends. */
__declspec(dllexport) LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT* sent = (const CWPSTRUCT*)lParam;
        Observe(sent->hwnd, sent->message, sent->wParam);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

__declspec(dllexport) LONG Value(LONG which)
{
    return which >= 0 && which < PV_VALUES ? g_values[which] : -1;
}

__declspec(dllexport) void SetValue(LONG which, LONG value)
{
    if (which >= 0 && which < PV_VALUES) InterlockedExchange(VALUE(which), value);
}

/* Every open and deletion of a key of that name (NULL for none) is refused. */
__declspec(dllexport) void RefuseKey(const char* name)
{
    CopyText(g_refusedKey, sizeof g_refusedKey, name);
}

__declspec(dllexport) const char* CallLog(void) { return g_log; }
__declspec(dllexport) const char* ChangeLog(void) { return g_changes; }
__declspec(dllexport) const char* LastLookup(void) { return g_lastLookup; }

/* Every setting, count and text back to its start. */
__declspec(dllexport) void ResetPersonality(void)
{
    for (int i = 0; i < PV_VALUES; i++) InterlockedExchange(VALUE(i), 0);
    InterlockedExchange(VALUE(PV_WIN9X_CALLS), 1);
    InterlockedExchange(VALUE(PV_EXIT_ANSWER), TRUE);
    InterlockedExchange(VALUE(PV_WIDE_IMPORTS), -1);
    InterlockedExchange(VALUE(PV_SHUTDOWN_PRIVILEGE), PRIVILEGE_NOT_ASKED);
    g_refusedKey[0] = '\0';
    g_lastLookup[0] = '\0';
    g_log[0] = '\0';
    InterlockedExchange(&g_logLength, 0);
    g_changes[0] = '\0';
    InterlockedExchange(&g_changesLength, 0);
}
