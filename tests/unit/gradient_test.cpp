// The backdrop's band arithmetic: band step, band colours and which band covers
// which row, at the screen heights the program meets.
#include <gtest/gtest.h>

#include "gradient.h"

#include <utility>

namespace {

const unsigned int kBlue = 0x00FF0000;

// A band's rows as (top, bottom), bottom not included.
std::pair<int, int> Rows(int clientTop, unsigned int step, int band)
{
    int top, bottom;
    GradientBandRows(clientTop, step, band, &top, &bottom);
    return {top, bottom};
}

// Every figure below is worked out by hand from the band rule: start at
// (H * 100) / 255, and step up while 255 bands, (s * 255) / 100 rows, fall short
// of H. Band 254 ends at row (s * 255) / 100, the reach of 255 bands.
TEST(GradientStep, SmallestStepThatReachesTheBottom)
{
    struct Case {
        int height;
        unsigned int step;
        int reach;         // band 254's end with that step: at least the height
        int reachOneLess;  // band 254's end with one step less: short of the height
    };
    const Case cases[] = {
        {100, 40, 102, 99},     // 10000 / 255 = 39: 39 * 255 / 100 = 99 < 100, so 40
        {255, 100, 255, 252},   // 25500 / 255 = 100 reaches at once
        {480, 189, 481, 479},   // 48000 / 255 = 188: 479 < 480
        {600, 236, 601, 599},   // 60000 / 255 = 235: 599 < 600
        {768, 302, 770, 767},   // 76800 / 255 = 301: 767 < 768
        {1024, 402, 1025, 1022} // 102400 / 255 = 401: 1022 < 1024
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GradientBandStep(0, c.height), c.step) << "height " << c.height;
        int top, bottom;
        GradientBandRows(0, c.step, 254, &top, &bottom);
        EXPECT_EQ(bottom, c.reach) << "height " << c.height;
        GradientBandRows(0, c.step - 1, 254, &top, &bottom);
        EXPECT_EQ(bottom, c.reachOneLess) << "height " << c.height;
    }
    // Tiny areas: 100 / 255 = 0 and 200 / 255 = 0 step up to 1 (255 / 100 = 2 rows);
    // 300 / 255 = 1 reaches only 2 rows of 3, so 2.
    EXPECT_EQ(GradientBandStep(0, 1), 1u);
    EXPECT_EQ(GradientBandStep(0, 2), 1u);
    EXPECT_EQ(GradientBandStep(0, 3), 2u);
    // An empty area would give 0: 100 instead.
    EXPECT_EQ(GradientBandStep(0, 0), 100u);
    EXPECT_EQ(GradientBandStep(50, 50), 100u);
}

TEST(GradientStep, OffsetClientTopUsesTheHeight)
{
    // 768 rows from row 10: 301 reaches 10 + 767 = 777 < 778, 302 reaches 780.
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
    // 768 rows, step 302: band 254 is rows 767 to 769 (76708 / 100 to 77010 / 100),
    // band 255 rows 770 to 772, wholly below the area.
    EXPECT_EQ(Rows(0, 302, 254), std::make_pair(767, 770));
    EXPECT_EQ(Rows(0, 302, 255), std::make_pair(770, 773));
    EXPECT_EQ(GradientBandColor(254, kBlue, 0), 0x00010000u);
    EXPECT_EQ(GradientBandColor(253, kBlue, 0), 0x00020000u);
    EXPECT_EQ(Rows(0, 189, 254).first, 480);
    // {step, row, band}. 768 rows, step 302: row 767 is band 254; bands are 3 or 4
    // rows: band 0 is rows 0 to 2, band 49 rows 147 to 150 (14798 / 100 to 15100 / 100),
    // band 50 from 151. 480 rows, step 189: band 253 is rows 478 and 479, band 254
    // starts at 480. 600 rows, step 236: the last row 599 is band 254 (59944 / 100).
    // 1024 rows, step 402: band 253 is rows 1017 to 1020, band 254 from 1021.
    const unsigned int cases[][3] = {{302, 767, 254}, {302, 0, 0},     {302, 2, 0},     {302, 3, 1},
                                     {302, 147, 49},  {302, 150, 49},  {302, 151, 50},  {189, 479, 253},
                                     {189, 478, 253}, {236, 599, 254}, {402, 1017, 253}, {402, 1020, 253},
                                     {402, 1023, 254}};
    for (const auto& c : cases)
        EXPECT_EQ(GradientBandAtRow(0, c[0], static_cast<int>(c[1])), static_cast<int>(c[2])) << c[0] << " " << c[1];

    // A client top of 10 moves every band down by 10 rows.
    EXPECT_EQ(Rows(10, 302, 254), std::make_pair(777, 780));
}

TEST(GradientRows, ShortAreasSkipZeroHeightBands)
{
    // 100 rows, step 40: bands 0 and 1 end at rows 0 and 0 (40 / 100, 80 / 100);
    // band 2 is row 0, band 3 is empty (120 / 100 to 160 / 100), band 4 is row 1.
    EXPECT_EQ(Rows(0, 40, 0), std::make_pair(0, 0));
    EXPECT_EQ(Rows(0, 40, 3), std::make_pair(1, 1));
    EXPECT_EQ(GradientBandAtRow(0, 40, 0), 2);
    EXPECT_EQ(GradientBandAtRow(0, 40, 1), 4);

    // 255 rows, step 100: one row per band, bands 0 to 254 visible, band 255 below.
    for (int row = 0; row < 255; row++) ASSERT_EQ(GradientBandAtRow(0, 100, row), row);
    EXPECT_EQ(Rows(0, 100, 255), std::make_pair(255, 256));

    // A single row, step 1: bands 0 to 98 are empty and band 99 paints it.
    EXPECT_EQ(GradientBandAtRow(0, 1, 0), 99);
}

TEST(GradientRows, OffsetsWrapAtSixteenBits)
{
    // 70000 rows: 7000000 / 255 = 27450 reaches 69997, so the step is 27451.
    EXPECT_EQ(GradientBandStep(0, 70000), 27451u);
    // Band 238 begins at 65333 and would end at 65607, which wraps to 71.
    EXPECT_EQ(Rows(0, 27451, 238), std::make_pair(65333, 71));
    // Band 255: 70000 and 70274, taken as 16-bit values 4464 and 4738.
    EXPECT_EQ(Rows(0, 27451, 255), std::make_pair(4464, 4738));
}

}  // namespace
