// The setup library's removal call, then the package's registry entries. The
// library is loaded by full path from the install directory only.
#include "setup_library.h"

#include "file_pass.h"
#include "messages.h"
#include "path_rules.h"
#include "registry_plan.h"
#include "removal_table.h"

static const char kSetupLibraryName[] = "TKSET32.dll";
static const char kSetupEntryName[] = "CallSetupxUninstall32";

// The setup library's entry point. Its calling convention is documented nowhere, so
// it is declared __stdcall and called so that a __cdecl entry works as well.
typedef DWORD(WINAPI* SetupUninstallProc)(HWND owner, DWORD reserved, LPCSTR options);

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

int RunSetupShare(HWND owner)
{
    // Once per removal, by the run's own record: the mark, left once the call returns.
    // Only a run ended between the two calls the library again.
    if (MarkThere()) return 1;
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
    // A mark that cannot be left now is left again before the last step.
    LeaveMark();
    return 1;
}

int RunSetupRemoval(HWND owner)
{
    if (!RunSetupShare(owner)) return 0;
    RunRegistryPlan();
    return 1;
}
