#include <gtest/gtest.h>

#include "platform/Clock.h"

TEST(ManualClock, SleepAdvancesAndTicksWrapAt32Bits)
{
    platform::ManualClock clock(0xFFFFFF00u);
    clock.Sleep(0x100);
    EXPECT_EQ(clock.Now(), 0u);
    clock.Advance(40000);
    EXPECT_EQ(clock.Now(), 40000u);
    // Elapsed time across the wrap is still a plain unsigned difference.
    clock.Set(0xFFFFFFF0u);
    uint32_t start = clock.Now();
    clock.Advance(0x20);
    EXPECT_EQ(clock.Now() - start, 0x20u);
}
