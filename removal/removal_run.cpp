// The removal run: the one place where the stages of the removal are put in order.
#include "removal_run.h"

#include <commctrl.h>

#include "cleanup.h"
#include "elapsed_ticks.h"
#include "file_pass.h"
#include "messages.h"
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

void RunRemoval(HWND dialog, HWND progressBar, HWND statusText)
{
    RunRemovalPass(progressBar, statusText);
    RemoveShortcuts();
    RestorePreviousSetupFile();
    SendMessageA(progressBar, PBM_SETPOS, kProgressFull, 0);
    SetWindowTextA(statusText, LoadMessageText(MSG_UPDATING_REGISTRY));
    // Scheduled after the registry step, so that a run ended before its end leaves a
    // next start what it needs to finish it. Files that stay scheduled nowhere stay
    // on the disk: the user is told, and the removal goes on.
    if (!ScheduleForRestart(RunSetupRemoval(dialog)))
        ShowMessage(dialog, MSG_SCHEDULE_FAILED, g_szProgramCaption, MB_ICONWARNING | MB_OK);
    PauseBeforeClosing();
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    EndDialog(dialog, 1);
}
