// The file removal pass: deletes the package's files that cannot be in use, and then,
// after the registry step, schedules the others for deletion at the next Windows start.
#ifndef REMOVR_FILE_PASS_H
#define REMOVR_FILE_PASS_H

#include <windows.h>

// Deletes the files that go at once, driving the progress dialog's bar and status line.
void RunRemovalPass(HWND progressBar, HWND statusText);

// Schedules every file of the package that stays for the next start, each once, but
// what a next start needs to finish the removal (the uninstaller and its libraries):
// those an earlier run scheduled are not scheduled again, and wininit.ini keeps its
// bytes when nothing is added. 1 when every file scheduled will be deleted then; 0
// when some will stay: a path did not fit, or on Windows 95/98 wininit.ini could not
// be read faithfully or replaced, or, where the system takes registrations for the
// restart (the NT family, which never reads wininit.ini), an existing file was refused.
int ScheduleForRestart();

// The last step's files, once nothing else of the package stays and the uninstall
// entry is gone: what a next start needs, the mark, the uninstaller last of all, then
// the install folder where the restart removes folders. 1 when all are scheduled.
int ScheduleNeededByNextStart();

// Before wininit.ini is read: completes or undoes a replacing of it that an ended run
// left midway, so that no entry of another program is lost and no state of our
// copies beside it refuses a later run.
void RecoverWininit();

// The run's own mark beside the uninstaller, by which a next start knows an unfinished
// removal on any install, and that the setup library's share has run. Leaving it: 1
// when it is there.
int MarkThere();
int LeaveMark();

// 1 when every file of the package still on the disk is scheduled where the next
// start looks: wininit.ini where the restart reads it, else the system's own list.
int PackageFilesAllScheduled();

#endif
