// Band arithmetic of the backdrop.
#include "gradient.h"

unsigned int GradientBandStep(int top, int bottom)
{
    unsigned int height = static_cast<unsigned int>(bottom - top);
    unsigned int step = (height * 100) / 255;
    // Truncation may leave the 255th band short of the bottom edge.
    while (static_cast<unsigned int>(top) + (step * 255) / 100 < static_cast<unsigned int>(bottom))
        step++;
    if (step == 0) step = 100;
    return step;
}

unsigned int GradientBandColor(int j, unsigned int topColor, unsigned int bottomColor)
{
    unsigned int up = static_cast<unsigned int>(255 - j) * 0x010101U;
    unsigned int down = static_cast<unsigned int>(j) * 0x010101U;
    return (up & topColor) | (down & bottomColor);
}

void GradientBandRows(int clientTop, unsigned int step, int j, int* bandTop, int* bandBottom)
{
    unsigned int index = static_cast<unsigned int>(j);
    *bandTop = clientTop + static_cast<unsigned short>((step * index) / 100);
    *bandBottom = clientTop + static_cast<unsigned short>((step * (index + 1)) / 100);
}

int GradientBandAtRow(int clientTop, unsigned int step, int row)
{
    int found = -1;
    for (int j = 0; j < GRADIENT_BAND_COUNT; j++) {
        int bandTop, bandBottom;
        GradientBandRows(clientTop, step, j, &bandTop, &bandBottom);
        if (row >= bandTop && row < bandBottom) found = j;
    }
    return found;
}
