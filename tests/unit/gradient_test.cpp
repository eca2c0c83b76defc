// The backdrop's band arithmetic: band step, band colours and which band covers
// which row, at the screen heights the program meets.
#include <gtest/gtest.h>

#include "gradient.h"

namespace {

const unsigned int kBlue = 0x00FF0000;

TEST(GradientStep, SmallestStepThatReachesTheBottom)
{
    struct Case { int height; unsigned int step; };
    const Case cases[] = {{0, 100}, {100, 40}, {255, 100}, {480, 189}, {600, 236},
                          {768, 302}, {1024, 402}};
    for (const Case& c : cases) {
        unsigned int step = GradientBandStep(0, c.height);
        EXPECT_EQ(step, c.step) << "height " << c.height;
        if (c.height == 0) continue;
        // 255 bands reach the bottom edge, and one step less would not.
        EXPECT_GE(step * 255 / 100, static_cast<unsigned int>(c.height)) << "height " << c.height;
        EXPECT_LT((step - 1) * 255 / 100, static_cast<unsigned int>(c.height)) << "height " << c.height;
    }
}

TEST(GradientStep, OffsetClientTopUsesTheHeight)
{
    EXPECT_EQ(GradientBandStep(10, 778), 302u);
}

TEST(GradientColor, BlueFadesTowardBlackOneStepPerBand)
{
    EXPECT_EQ(GradientBandColor(0, kBlue, 0), 0x00FF0000u);
    EXPECT_EQ(GradientBandColor(1, kBlue, 0), 0x00FE0000u);
    EXPECT_EQ(GradientBandColor(254, kBlue, 0), 0x00010000u);
    EXPECT_EQ(GradientBandColor(255, kBlue, 0), 0u);
}

TEST(GradientColor, IsABitMaskNotABlend)
{
    // A mid-grey top passes only the bits it has set: band 1 (0xFE) & 0x80 = 0x80.
    EXPECT_EQ(GradientBandColor(1, 0x00808080, 0), 0x00808080u);
    // Band 0x80 (0x7F repeated) & 0x80 = 0: black, where a blend would be grey.
    EXPECT_EQ(GradientBandColor(0x80, 0x00808080, 0), 0u);
    // A white bottom contributes j in every channel.
    EXPECT_EQ(GradientBandColor(0x10, kBlue, 0x00FFFFFF), 0x00FF1010u);
}

TEST(GradientRows, BandsTileTheClientAreaWithoutGaps)
{
    for (int height : {100, 255, 480, 600, 768, 1024}) {
        unsigned int step = GradientBandStep(0, height);
        int previousBottom = 0;
        for (int j = 0; j < GRADIENT_BAND_COUNT; j++) {
            int top, bottom;
            GradientBandRows(0, step, j, &top, &bottom);
            ASSERT_EQ(top, previousBottom) << "height " << height << " band " << j;
            ASSERT_LE(top, bottom);
            previousBottom = bottom;
        }
        EXPECT_GE(previousBottom, height) << "height " << height;
    }
}

TEST(GradientRows, LastVisibleRowIsNeverBlack)
{
    unsigned int step = GradientBandStep(0, 768);
    int top, bottom;
    GradientBandRows(0, step, 254, &top, &bottom);
    EXPECT_EQ(top, 767);
    GradientBandRows(0, step, 255, &top, &bottom);
    EXPECT_EQ(top, 770);
    EXPECT_EQ(bottom, 773);  // rows 770 to 772, all below the area
    EXPECT_EQ(GradientBandAtRow(0, step, 767), 254);
    EXPECT_EQ(GradientBandColor(254, kBlue, 0), 0x00010000u);

    // At 480 the last band with a visible row is 253, blue 2.
    step = GradientBandStep(0, 480);
    EXPECT_EQ(GradientBandAtRow(0, step, 479), 253);
    EXPECT_EQ(GradientBandColor(253, kBlue, 0), 0x00020000u);
}

TEST(GradientRows, ShortAreasSkipZeroHeightBands)
{
    unsigned int step = GradientBandStep(0, 100);
    EXPECT_EQ(GradientBandAtRow(0, step, 0), 2);  // bands 0 and 1 have no rows
    int top, bottom;
    GradientBandRows(0, step, 0, &top, &bottom);
    EXPECT_EQ(top, bottom);

    step = GradientBandStep(0, 255);  // one row per band, bands 0 to 254 visible
    for (int row = 0; row < 255; row++) ASSERT_EQ(GradientBandAtRow(0, step, row), row);
}

TEST(GradientRows, OffsetsWrapAtSixteenBits)
{
    // A very tall area: the band offset is taken as a 16-bit value.
    unsigned int step = GradientBandStep(0, 70000);
    int top, bottom;
    GradientBandRows(0, step, 255, &top, &bottom);
    EXPECT_EQ(top, static_cast<int>(static_cast<unsigned short>(step * 255 / 100)));
    EXPECT_LT(top, 65536);
}

}  // namespace
