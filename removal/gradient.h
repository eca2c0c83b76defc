// Band arithmetic of the backdrop: 256 horizontal bands from the top colour down
// toward the bottom colour, in 32-bit unsigned arithmetic as on the target.
// Portable, so the figures can be checked natively.
#ifndef REMOVR_GRADIENT_H
#define REMOVR_GRADIENT_H

#define GRADIENT_BAND_COUNT 256

// Height of one band in hundredths of a pixel for a client area from top to
// bottom: the smallest step from (height * 100) / 255 up for which 255 bands reach
// the bottom edge; 100 for an empty area.
unsigned int GradientBandStep(int top, int bottom);

// Colour (0x00BBGGRR) of band j: a bit mask of the two colours, not a blend; with
// blue over black, band j is blue of intensity 255 - j.
unsigned int GradientBandColor(int j, unsigned int topColor, unsigned int bottomColor);

// Rows of band j: [*bandTop, *bandBottom). Each offset from the client top is
// taken as a 16-bit value, as the drawing coordinates are.
void GradientBandRows(int clientTop, unsigned int step, int j, int* bandTop, int* bandBottom);

// The band that paints the given row (the last band drawn over it), or -1.
int GradientBandAtRow(int clientTop, unsigned int step, int row);

#endif
