// The file removal pass: deletes the package's files that cannot be in use and
// schedules the others for deletion at the next Windows start.
#ifndef REMOVR_FILE_PASS_H
#define REMOVR_FILE_PASS_H

#include <windows.h>

// Drives the progress dialog's bar and status line while it works. 1 when every
// file scheduled for the next start will be deleted then; 0 when some will stay: a
// path did not fit, or on Windows 95/98 wininit.ini could not be read faithfully or
// replaced, or, where the system takes registrations for the restart (the NT
// family, which never reads wininit.ini), an existing file could not be registered.
int RunRemovalPass(HWND progressBar, HWND statusText);

#endif
