// Answers REMOVR.EXE as a user would, for the demo on a screen nobody watches:
// Finish in the wizard, No to the restart; prints every window and box it saw.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "gui_driver.h"

static const DWORD kStageTimeout = 120000;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_driver PATH_OF_REMOVR.EXE\n");
        return 2;
    }
    std::string command = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process)) {
        std::fprintf(stderr, "demo: cannot start %s\n", argv[1]);
        return 1;
    }
    MessageBoxWatcher boxes({}, process.dwProcessId);
    int result = 0;

    // The first dialog of the program is the wizard (its frame's caption is the platform's).
    HWND wizard = FindWindowWithin("#32770", NULL, process.dwProcessId, kStageTimeout);
    if (wizard) {
        std::printf("demo: the wizard is up; pressing Finish\n");
        PostMessageA(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        HWND restart = FindWindowWithin("#32770", "Restarting Windows", process.dwProcessId,
                                        kStageTimeout);
        if (restart) {
            std::printf("demo: the removal ran; declining the restart offer\n");
            PressButton(restart, IDCANCEL);
        } else {
            std::printf("demo: the restart offer did not come\n");
            result = 1;
        }
    } else {
        std::printf("demo: the wizard did not come\n");
        result = 1;
    }

    if (WaitForSingleObject(process.hProcess, kStageTimeout) != WAIT_OBJECT_0) {
        std::printf("demo: REMOVR.EXE did not end; ending it\n");
        TerminateProcess(process.hProcess, 1);
        result = 1;
    }
    boxes.Stop();
    for (const std::string& box : boxes.Transcript())
        std::printf("demo: message box: %s\n", box.c_str());
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("demo: REMOVR.EXE ended with exit code %lu\n", code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}
