#include "gps/GpsTime.h"

#include <gtest/gtest.h>

namespace {

GpsData At(int year, int month, int day, int hour, int minute, int second, int ms)
{
    GpsData d;
    d.year = static_cast<uint16_t>(year);
    d.month = static_cast<uint8_t>(month);
    d.day = static_cast<uint8_t>(day);
    d.rmcHour = static_cast<uint8_t>(hour);
    d.rmcMinute = static_cast<uint8_t>(minute);
    d.rmcSecond = static_cast<uint8_t>(second);
    d.rmcMillisecond = static_cast<uint16_t>(ms);
    return d;
}

int64_t EpochMs(const GpsData& d)
{
    const auto t = RmcDateTime(d);
    EXPECT_TRUE(t.has_value());
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.value_or(std::chrono::system_clock::time_point{}).time_since_epoch()).count();
}

TEST(GpsTime, KnownInstantsAndImpossibleValues)
{
    EXPECT_EQ(EpochMs(At(1970, 1, 1, 0, 0, 0, 0)), 0);
    // 2007-03-23 12:35:19.250 UTC
    EXPECT_EQ(EpochMs(At(2007, 3, 23, 12, 35, 19, 250)), 1174653319250);
    // 2024-02-29 23:59:59 UTC, a leap day
    EXPECT_EQ(EpochMs(At(2024, 2, 29, 23, 59, 59, 0)), 1709251199000);
    // Impossible dates and times give nothing.
    EXPECT_FALSE(RmcDateTime(At(2023, 2, 29, 0, 0, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 13, 1, 0, 0, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 0, 1, 0, 0, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 1, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 1, 1, 24, 0, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 1, 1, 0, 60, 0, 0)));
    EXPECT_FALSE(RmcDateTime(At(2023, 1, 1, 0, 0, 61, 0)));
    EXPECT_TRUE(RmcDateTime(At(2016, 12, 31, 23, 59, 60, 0))); // a leap second is a real GPS output
}

} // namespace
