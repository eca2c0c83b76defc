/* Keeps one hidden window alive for the whole test run, so that Wine's desktop
   process does not end and start again between the test programs. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    MSG msg;
    (void)previous; (void)commandLine; (void)show;
    CreateWindowExA(0, "STATIC", "bench keeper", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
