// The closing pause measures elapsed ticks; the tick counter wraps after 49.7 days.
#include <gtest/gtest.h>

#include "elapsed_ticks.h"

namespace {

TEST(ElapsedTicks, CountsAcrossTheWrap)
{
    EXPECT_EQ(ElapsedTicks(0xFFFFFC00u, 0x000000E8u), 0x4E8u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFFFu, 0u), 1u);
    EXPECT_EQ(ElapsedTicks(1000u, 1000u), 0u);
    EXPECT_EQ(ElapsedTicks(1000u, 2500u), 1500u);
}

TEST(HasElapsed, NeitherEndsEarlyNorHangsNearTheWrap)
{
    // start + 1000 would wrap to a small value: comparing absolute counts would end
    // at once; comparing against start alone would never end.
    const uint32_t start = 0xFFFFFF00u;
    EXPECT_EQ(HasElapsed(start, 0xFFFFFF00u, 1000), 0);
    EXPECT_EQ(HasElapsed(start, 0xFFFFFFFFu, 1000), 0);
    EXPECT_EQ(HasElapsed(start, 0x00000000u, 1000), 0);
    EXPECT_EQ(HasElapsed(start, 0x000002E7u, 1000), 0);
    EXPECT_EQ(HasElapsed(start, 0x000002E8u, 1000), 1);
    EXPECT_EQ(HasElapsed(start, 0x00010000u, 1000), 1);
    EXPECT_EQ(HasElapsed(5u, 1004u, 1000), 0);
    EXPECT_EQ(HasElapsed(5u, 1005u, 1000), 1);
}

}  // namespace
