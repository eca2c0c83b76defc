// Clean-up after the file pass: the package's Start-menu shortcuts and program
// folder, and the program file an earlier setup saved under a backup name.
#ifndef REMOVR_CLEANUP_H
#define REMOVR_CLEANUP_H

#include <windows.h>

// Deletes the three shortcuts and the program folder under "Programs" and the
// start-up shortcut under "Startup" of the user's shell folders, and the same under
// "Common Programs" and "Common Startup" of the machine's. The number of them that
// stay: a shortcut that could not be deleted, the folder left empty but not removed.
int RemoveShortcuts();

// Copies oldsig.backup over sig.exe in the directory of the earlier setup's
// UninstallString, when the backup exists. Silent.
void RestorePreviousSetupFile();

// Reads a text value of at most outSize - 1 characters into out, always terminated.
// 0, with out empty, when the value is missing, no text, or does not fit.
int ReadRegistryText(HKEY key, const char* name, char* out, DWORD outSize);

#endif
