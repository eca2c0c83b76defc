// Backdrop painting. Every drawing object is made and deleted inside one paint.
#include "paint.h"

#include "gradient.h"
#include "messages.h"
#include "runtime.h"
#include "startup.h"

COLORREF g_crGradientTop = 0;
COLORREF g_crGradientBottom = 0;

static const COLORREF kDefaultTop = 0x00FF0000;  // pure blue
static const char kBannerFace[] = "Times New Roman";
static const int kBannerTextSize = 100;
// Set while the banner's nested update runs: that paint brings no update of its own.
static int s_bInNestedUpdate = 0;

void PaintBanner(HDC hdc)
{
    LOGFONTA font;
    ZeroMemory(&font, sizeof font);
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfHeight = 64;
    font.lfWidth = 20;
    font.lfItalic = 1;
    lstrcpynA(font.lfFaceName, kBannerFace, LF_FACESIZE);

    char text[kBannerTextSize];
    int length = RtFormat(text, sizeof text, "%s Uninstall", g_szProductName);
    if (length > 0 && length < kBannerTextSize) {
        HFONT banner = CreateFontIndirectA(&font);
        HGDIOBJ previous = SelectObject(hdc, banner);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(0, 0, 0));
        ExtTextOutA(hdc, 15, 15, 0, NULL, text, length, NULL);
        SetTextColor(hdc, RGB(255, 255, 255));
        ExtTextOutA(hdc, 10, 10, 0, NULL, text, length, NULL);
        SetBkMode(hdc, OPAQUE);
        SelectObject(hdc, previous);
        DeleteObject(banner);
    }

    // Whatever was invalidated while this paint ran is painted now, once: a nested
    // paint does not nest again, so a window that keeps being invalidated cannot
    // recurse without end.
    if (s_bInNestedUpdate) return;
    RECT pending;
    GetUpdateRect(g_hwndMain, &pending, TRUE);
    if (pending.top != pending.bottom && pending.bottom != 0) {
        s_bInNestedUpdate = 1;
        InvalidateRect(g_hwndMain, &pending, TRUE);
        UpdateWindow(g_hwndMain);
        s_bInNestedUpdate = 0;
    }
}

LRESULT PaintBackdrop(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == NULL) return DefWindowProcA(hwnd, WM_PAINT, wParam, lParam);

    RECT client;
    GetClientRect(hwnd, &client);
    unsigned int step = GradientBandStep(client.top, client.bottom);
    if (g_crGradientTop == 0) g_crGradientTop = kDefaultTop;

    // The whole client area, band by band; clipping keeps it to the update region.
    for (int j = 0; j < GRADIENT_BAND_COUNT; j++) {
        int top, bottom;
        GradientBandRows(client.top, step, j, &top, &bottom);
        RECT band = {client.left, top, client.right, bottom};
        HBRUSH brush = CreateSolidBrush(GradientBandColor(j, g_crGradientTop, g_crGradientBottom));
        FillRect(hdc, &band, brush);
        DeleteObject(brush);
    }

    PaintBanner(hdc);
    EndPaint(hwnd, &ps);
    return 0;
}
