// What this Windows can do, asked of the system itself and never of the version it
// reports: Windows 95/98 export most of the NT family's calls as stubs that fail
// with ERROR_CALL_NOT_IMPLEMENTED, and Windows XP and later run an old program in a
// compatibility mode whose version calls say Windows 95 or 98. Each question is
// put to the system once, here; the rest of the program never probes for itself.
#ifndef REMOVR_PLATFORM_H
#define REMOVR_PLATFORM_H

#include <windows.h>

// The registry's key calls of one character width.
template <typename Char>
struct KeyCalls {
    LONG(WINAPI* open)(HKEY, const Char*, DWORD, REGSAM, PHKEY);
    LONG(WINAPI* enumerate)(HKEY, DWORD, Char*, LPDWORD, LPDWORD, Char*, LPDWORD, PFILETIME);
    LONG(WINAPI* query)(HKEY, const Char*, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    LONG(WINAPI* remove)(HKEY, const Char*);
};
extern const KeyCalls<char> g_ansiKeyCalls;

// The Unicode key calls where the system carries them out (the NT family, whose key
// names are Unicode: through the ANSI calls a name the code page cannot hold reads
// with '?' in it and opens nothing); NULL where they are stubs or missing.
const KeyCalls<WCHAR>* UnicodeKeyCalls();

// Registers path with the system for deletion at the next restart; where the
// restart reads wininit.ini instead, only the first file asks.
enum {
    RESTART_DELETION_REFUSED,
    RESTART_DELETION_REGISTERED,
    RESTART_DELETION_UNKNOWN  // the system has no such registration (Windows 95/98)
};
int RegisterDeletionAtRestart(const char* path);

// Where the NT family keeps its deletions at restart, PendingFileRenameOperations.
extern const char g_szSessionManagerKey[];

// The system's own list of renames at the next restart, as read now; empty where the
// system keeps none (Windows 95/98, or nothing is pending). The list is the caller's
// to free (RtFree).
struct PendingDeletions {
    char* list;
    DWORD size;
};
void ReadPendingDeletions(PendingDeletions* pending);
// Adds pairs (size bytes: for each file "\\??\\<path>", its zero and an empty new
// name) to the system's list of renames at the next restart in one write, after its
// whole pairs: the restart takes all of them or none. 1 when written; 0 where the
// system keeps no such list, or refuses.
int AddToPendingDeletions(const char* pairs, size_t size);

// 1 where the system's restart reads wininit.ini: Windows 95/98, which stub the NT
// family's calls (asked of the Unicode registry calls, which that family carries out).
int RestartReadsWininit();

// Switches the process's shutdown privilege on, which the NT family needs for a
// restart; does nothing where the token calls are stubs.
void EnableShutdownPrivilege();

// Where USER32 has them (Windows Vista on), sets or removes the reason shown beside
// the program while it holds a shutdown; nothing elsewhere.
void BlockShutdown(HWND window, int on);

#endif
