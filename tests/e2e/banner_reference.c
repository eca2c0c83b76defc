/* The top 100 rows of the backdrop as they should look, drawn from values written
 * here by hand: the blue gradient of a screen WIDTH x HEIGHT, and over it the banner
 * in the system font made 64 high, 20 wide, italic, "Times New Roman", with a
 * transparent background: black shadow at (15, 15), white text at (10, 10). Drawn
 * off screen by the same text engine as the screen's; written as a binary PPM.
 * Usage: banner_reference WIDTH HEIGHT OUT.ppm */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

enum { kRows = 100 };
static const char kText[] = "Varsen Software Uninstall";

int main(int argc, char** argv)
{
    int width = argc == 4 ? atoi(argv[1]) : 0, height = argc == 4 ? atoi(argv[2]) : 0;
    if (width <= 0 || height < kRows) return 2;
    HDC screen = GetDC(NULL), dc = CreateCompatibleDC(screen);
    SelectObject(dc, CreateCompatibleBitmap(screen, width, kRows));

    /* Blue 255 - j on band j; a band is step/100 rows, step the least that brings
     * 255 bands to the bottom. */
    unsigned step = height * 100u / 255;
    while (step * 255 / 100 < (unsigned)height) step++;
    for (unsigned j = 0; j < 256 && step * j / 100 < kRows; j++) {
        RECT band = {0, (LONG)(step * j / 100), width, (LONG)(step * (j + 1) / 100)};
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255 - j));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }

    LOGFONTA font;
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfHeight = 64;
    font.lfWidth = 20;
    font.lfItalic = 1;
    lstrcpynA(font.lfFaceName, "Times New Roman", LF_FACESIZE);
    SelectObject(dc, CreateFontIndirectA(&font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 15, 15, kText, lstrlenA(kText));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 10, 10, kText, lstrlenA(kText));

    FILE* out = fopen(argv[3], "wb");
    if (out == NULL) return 1;
    fprintf(out, "P6\n%d %d\n255\n", width, kRows);
    for (int i = 0; i < width * kRows; i++) {
        COLORREF pixel = GetPixel(dc, i % width, i / width);
        unsigned char rgb[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
        fwrite(rgb, 1, 3, out);
    }
    return fclose(out) == 0 ? 0 : 1;
}
