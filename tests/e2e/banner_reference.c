/* The top-left corner of the backdrop as it should look, drawn from values written
 * here by hand: the blue gradient of a screen HEIGHT rows high, and over it the
 * banner, black shadow at (15, 15), white text at (10, 10), in the system font made
 * 64 high, 20 wide, italic, "Times New Roman", with a transparent background.
 * Drawn into a memory bitmap by the same text engine as the screen's, and written
 * as a binary PPM of WIDTH x 100 pixels.
 * Usage: banner_reference WIDTH HEIGHT OUT.ppm */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

enum { kRows = 100 };
static const char kText[] = "Varsen Software Uninstall";

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    int width = atoi(argv[1]), height = atoi(argv[2]);
    if (width <= 0 || width > 4096 || height < 255) return 2;

    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -kRows;  /* top-down */
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (dc == NULL || bitmap == NULL) return 1;
    SelectObject(dc, bitmap);

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
    GdiFlush();

    FILE* out = fopen(argv[3], "wb");
    if (out == NULL) return 1;
    fprintf(out, "P6\n%d %d\n255\n", width, kRows);
    const unsigned char* pixel = (const unsigned char*)bits;  /* B, G, R, unused */
    for (int i = 0; i < width * kRows; i++, pixel += 4) {
        unsigned char rgb[3] = {pixel[2], pixel[1], pixel[0]};
        fwrite(rgb, 1, 3, out);
    }
    return fclose(out) == 0 ? 0 : 1;
}
