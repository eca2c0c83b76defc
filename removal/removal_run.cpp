// The removal run: the one place where the stages of the removal are put in order.
#include "removal_run.h"

#include <commctrl.h>

#include "cleanup.h"
#include "elapsed_ticks.h"
#include "file_pass.h"
#include "messages.h"
#include "registry_plan.h"
#include "setup_library.h"

static const DWORD kClosingPause = 1000;
static const int kProgressFull = 100;

// Holds the finished dialog on screen for a moment. No messages are handled meanwhile;
// the elapsed time is measured, so a wrap of the tick count cannot upset it.
static void PauseBeforeClosing()
{
    DWORD start = GetTickCount();
    while (!HasElapsed(start, GetTickCount(), kClosingPause)) Sleep(10);
}

// The run's last step, taken only when nothing else of the package stays: the mark
// by which a next start knows the unfinished removal is left, the uninstall entry
// goes, then what a next start needs is scheduled, the uninstaller last. Each reaches
// the disk before the next is taken. While anything stays, the package stays listed
// in Add/Remove Programs and a next start removes the rest. 1 when all of it is done.
static int TakeLastStep()
{
    if (!LeaveMark() || !DeleteUninstallEntry()) return 0;
    FlushRegistry();
    return ScheduleNeededByNextStart();
}

void RunRemoval(HWND dialog, HWND progressBar, HWND statusText)
{
    // The record of what stays: each step adds the number of its items that do.
    int stays = 0;
    RunRemovalPass(progressBar, statusText);
    stays += RemoveShortcuts();
    RestorePreviousSetupFile();
    SendMessageA(progressBar, PBM_SETPOS, kProgressFull, 0);
    SetWindowTextA(statusText, LoadMessageText(MSG_UPDATING_REGISTRY));
    // A share that could not run leaves the registry step for a next start.
    stays += RunSetupShare(dialog) ? RunRegistryPlan() : 1;
    // Scheduled after the registry step has reached the disk, so that no restart
    // takes a file while the package's entries are still there.
    FlushRegistry();
    stays += !ScheduleForRestart();
    if (stays == 0) stays = !TakeLastStep();
    if (stays != 0) ShowTabledMessage(dialog, MSG_LEFT_BEHIND);
    PauseBeforeClosing();
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    EndDialog(dialog, 1);
}
