// Answers REMOVR.EXE as a user would, for the demo on a screen nobody watches:
// Finish in the wizard, No to the restart; prints every window and box it saw.
// With --shots DIR it also saves the screen as each of the three dialogs comes up
// (wizard.bmp, progress.bmp, restart.bmp), for the README.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_driver.h"

static const DWORD kStageTimeout = 120000;
static std::string g_shotDir;

// Saves the whole screen as a 24-bit BMP file in the shot directory.
static void SaveScreen(const char* name)
{
    if (g_shotDir.empty()) return;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    std::string path = g_shotDir + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, &header, sizeof header, &written, NULL);
        WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &written, NULL);
        WriteFile(file, bits, imageBytes, &written, NULL);
        CloseHandle(file);
        std::printf("demo: saved %s\n", path.c_str());
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[2]) == "--shots") g_shotDir = argv[3];
    if (argc != 2 && g_shotDir.empty()) {
        std::fprintf(stderr, "usage: demo_driver PATH_OF_REMOVR.EXE [--shots DIR]\n");
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
        if (!g_shotDir.empty()) {
            // Painted through before the picture: RDW_UPDATENOW waits for the paint.
            RedrawWindow(wizard, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
            SaveScreen("wizard.bmp");
        }
        PostMessageA(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        // The progress dialog stays up a second after its status line turns to the
        // registry step; its thread is busy then, so the text is read from the
        // window manager's copy, not by a message.
        HWND progress = g_shotDir.empty() ? NULL : FindDialogWithControl(process.dwProcessId, 1003, kStageTimeout);
        if (progress) {
            HWND status = GetDlgItem(progress, 1004);
            WCHAR text[128];
            if (WaitUntil([&] { return InternalGetWindowText(status, text, 128) > 0 &&
                                       text[0] == L'U' && wcsstr(text, L"registry") != NULL; },
                          kStageTimeout))
                SaveScreen("progress.bmp");
        }
        HWND restart = FindWindowWithin("#32770", "Restarting Windows", process.dwProcessId,
                                        kStageTimeout);
        if (restart) {
            std::printf("demo: the removal ran; declining the restart offer\n");
            if (!g_shotDir.empty()) {
                RedrawWindow(restart, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
                SaveScreen("restart.bmp");
            }
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
