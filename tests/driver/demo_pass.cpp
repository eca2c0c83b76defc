// Runs the file removal pass on an install directory given on the command line,
// with a visible progress bar and status line, for the demo until the whole
// program runs it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "file_pass.h"
#include "removal_table.h"

int main(int argc, char** argv)
{
    if (argc != 2 || lstrlenA(argv[1]) >= REMOVR_PATH_SIZE) {
        std::fprintf(stderr, "usage: demo_pass INSTALL_DIR_WITH_TRAILING_BACKSLASH\n");
        return 2;
    }
    lstrcpynA(g_szInstallDir, argv[1], REMOVR_PATH_SIZE);
    GetSystemDirectoryA(g_szSystemDir, REMOVR_PATH_SIZE);
    GetWindowsDirectoryA(g_szWindowsDir, REMOVR_PATH_SIZE);
    SetInfDirFromWindowsDir();

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    HWND frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 300, 300,
                                 340, 90, NULL, NULL, NULL, NULL);
    HWND status = CreateWindowExA(0, "STATIC", "Static", WS_CHILD | WS_VISIBLE | SS_CENTER, 10,
                                  10, 320, 16, frame, NULL, NULL, NULL);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 30, 50,
                               280, 16, frame, NULL, NULL, NULL);
    int ok = RunRemovalPass(bar, status);
    std::printf("file removal pass: %s\n",
                ok ? "every scheduled deletion reached the disk"
                   : "WARNING: some scheduled deletions did not reach the disk");
    DestroyWindow(frame);
    return ok ? 0 : 1;
}
