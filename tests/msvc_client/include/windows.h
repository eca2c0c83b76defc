// The few declarations of the Windows headers that the Microsoft-toolchain client
// and peltoapi.h need, in the forms Microsoft's own headers give them (STRICT
// handles as pointers to struct NAME__, tagPOINT, the _W64 integer types), so
// that clang-cl in Microsoft mode decorates names as Microsoft's compiler does.
// It stands first on the client's include path: neither mingw-w64's nor Wine's
// windows.h compiles there as it stands.
#ifndef _WINDOWS_
#define _WINDOWS_

#include <stdarg.h>

#define WINAPI __stdcall
#define CALLBACK __stdcall
#define APIENTRY __stdcall
#ifdef __cplusplus
#define DECLSPEC_IMPORT extern "C" __declspec(dllimport)
#else
#define DECLSPEC_IMPORT __declspec(dllimport)
#endif
#define WINBASEAPI DECLSPEC_IMPORT
#define WINUSERAPI DECLSPEC_IMPORT
#define CONST const

typedef unsigned long DWORD;
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int UINT;
typedef long LONG;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef DWORD* LPDWORD;
typedef unsigned int UINT_PTR;
typedef long LONG_PTR;
typedef unsigned long DWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

#define DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HBRUSH);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;

typedef int (WINAPI* FARPROC)(void);
typedef LRESULT (CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION;

#define TRUE 1
#define FALSE 0
#ifndef NULL
#ifdef __cplusplus
#define NULL 0
#else
#define NULL ((void*)0)
#endif
#endif

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STILL_ACTIVE 259

#define WM_QUIT 0x0012
#define WM_COMMAND 0x0111
#define WM_LBUTTONDBLCLK 0x0203
#define WM_USER 0x0400
#define WM_APP 0x8000
#define MK_LBUTTON 0x0001
#define PM_REMOVE 0x0001
#define QS_ALLINPUT 0x04FF
#define SMTO_ABORTIFHUNG 0x0002
#define GWL_WNDPROC (-4)

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_EX_TOPMOST 0x00000008L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L

WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
WINBASEAPI DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
WINBASEAPI LPSTR WINAPI GetCommandLineA(void);
WINBASEAPI BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                                      LPVOID lpProcessAttributes, LPVOID lpThreadAttributes,
                                      BOOL bInheritHandles, DWORD dwCreationFlags,
                                      LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                                      STARTUPINFOA* lpStartupInfo,
                                      PROCESS_INFORMATION* lpProcessInformation);
WINBASEAPI DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
WINBASEAPI BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
WINBASEAPI BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);
WINBASEAPI BOOL WINAPI CloseHandle(HANDLE hObject);
WINBASEAPI __declspec(noreturn) void WINAPI ExitProcess(UINT uExitCode);
WINBASEAPI HANDLE WINAPI GetStdHandle(DWORD nStdHandle);
WINBASEAPI BOOL WINAPI WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nBytes,
                                 LPDWORD lpWritten, LPVOID lpOverlapped);
WINBASEAPI DWORD WINAPI GetTickCount(void);
WINBASEAPI DWORD WINAPI GetCurrentProcessId(void);

WINUSERAPI unsigned short WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
WINUSERAPI HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                                       DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                       HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                       LPVOID lpParam);
WINUSERAPI BOOL WINAPI DestroyWindow(HWND hWnd);
WINUSERAPI LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINUSERAPI LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg,
                                          WPARAM wParam, LPARAM lParam);
WINUSERAPI LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);
WINUSERAPI BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
WINUSERAPI BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin,
                                    UINT wMsgFilterMax, UINT wRemoveMsg);
WINUSERAPI LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
WINUSERAPI BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINUSERAPI LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINUSERAPI LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam,
                                              UINT fuFlags, UINT uTimeout, DWORD_PTR* lpdwResult);
WINUSERAPI void WINAPI PostQuitMessage(int nExitCode);
WINUSERAPI BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
WINUSERAPI HWND WINAPI WindowFromPoint(POINT Point);
WINUSERAPI DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles,
                                                  BOOL fWaitAll, DWORD dwMilliseconds,
                                                  DWORD dwWakeMask);
WINUSERAPI int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);
WINUSERAPI int __cdecl wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);

#endif
