// The file removal pass: deletes the package's files that cannot be in use and
// schedules the others for deletion at the next Windows start.
#ifndef REMOVR_FILE_PASS_H
#define REMOVR_FILE_PASS_H

#include <windows.h>

// Drives the progress dialog's bar and status line while it works. 1 when every
// scheduled deletion reached the disk, 0 when some did not (wininit.ini could not
// be read faithfully or replaced, a path did not fit, a registration failed).
int RunRemovalPass(HWND progressBar, HWND statusText);

// 1 on the NT family, which never reads wininit.ini.
int IsNtPlatform();

#endif
