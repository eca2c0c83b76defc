// CBTWITNESS.DLL: see cbt_witness.h. Built without a run-time library, like the
// library it watches, since the hook brings it into every process of the prefix.
#define CBT_WITNESS_BUILD
#include "cbt_witness.h"

#define WITNESS_SHARED __attribute__((section(".witness"), shared))

HHOOK g_hWitnessHook WITNESS_SHARED = NULL;
HWND g_hwndWitnessReport WITNESS_SHARED = NULL;
DWORD g_dwWitnessProcess WITNESS_SHARED = 0;

static HINSTANCE g_hWitnessInstance = NULL;

extern "C" BOOL WINAPI WitnessEntry(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)lpReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hWitnessInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

static bool IsVetoName(LPCSTR pszName)
{
    if ((ULONG_PTR)pszName <= 0xFFFF)  // null, or a resource number
        return false;
    const char* pszVeto = WITNESS_VETO_NAME;
    while (*pszName != '\0' && *pszName == *pszVeto) {
        ++pszName;
        ++pszVeto;
    }
    return *pszName == *pszVeto;
}

static LRESULT CALLBACK WitnessCbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode >= 0) {
        HWND hwndReport = *(const volatile HWND*)&g_hwndWitnessReport;
        if (hwndReport != NULL && GetCurrentProcessId() == g_dwWitnessProcess)
            PostMessageA(hwndReport, WM_WITNESS, (WPARAM)nCode, (LPARAM)wParam);
        if (nCode == HCBT_CREATEWND && lParam != 0) {
            const CBT_CREATEWNDA* pCreate = (const CBT_CREATEWNDA*)lParam;
            if (pCreate->lpcs != NULL && IsVetoName(pCreate->lpcs->lpszName))
                return 1;  // the creation fails
        }
    }
    return CallNextHookEx(g_hWitnessHook, nCode, wParam, lParam);
}

extern "C" int WitnessOn(HWND hwndReport, DWORD dwProcessId)
{
    g_hwndWitnessReport = hwndReport;
    g_dwWitnessProcess = dwProcessId;
    if (g_hWitnessHook == NULL)
        g_hWitnessHook = SetWindowsHookExA(WH_CBT, WitnessCbtProc, g_hWitnessInstance, 0);
    return g_hWitnessHook != NULL;
}

extern "C" void WitnessOff(void)
{
    g_hwndWitnessReport = NULL;
    if (g_hWitnessHook != NULL) {
        UnhookWindowsHookEx(g_hWitnessHook);
        g_hWitnessHook = NULL;
    }
}
