// The backdrop: a blue-to-black gradient over the whole main window and a large
// italic banner with a drop shadow in its top-left corner.
#ifndef REMOVR_PAINT_H
#define REMOVR_PAINT_H

#include <windows.h>

extern COLORREF g_crGradientTop;     // 0 until the first paint sets it to blue
extern COLORREF g_crGradientBottom;  // black

// The main window's WM_PAINT: gradient, then banner.
LRESULT PaintBackdrop(HWND hwnd, WPARAM wParam, LPARAM lParam);

// Draws "Varsen Software Uninstall" into a paint DC, then brings the rest of the
// main window's pending update to the screen.
void PaintBanner(HDC hdc);

#endif
