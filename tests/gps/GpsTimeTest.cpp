#include "gps/GpsTime.h"

#include <gtest/gtest.h>

namespace {

std::optional<int64_t> EpochMs(int year, int month, int day, int hour, int minute, int second, int ms)
{
    GpsData d;
    d.year = uint16_t(year);
    d.month = uint8_t(month);
    d.day = uint8_t(day);
    d.rmcHour = uint8_t(hour);
    d.rmcMinute = uint8_t(minute);
    d.rmcSecond = uint8_t(second);
    d.rmcMillisecond = uint16_t(ms);
    const auto t = RmcDateTime(d);
    if (!t) return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(t->time_since_epoch()).count();
}

TEST(GpsTime, KnownInstantsAndImpossibleValues)
{
    EXPECT_EQ(EpochMs(1970, 1, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(EpochMs(2007, 3, 23, 12, 35, 19, 250), 1174653319250);
    EXPECT_EQ(EpochMs(2024, 2, 29, 23, 59, 59, 0), 1709251199000); // a leap day
    EXPECT_TRUE(EpochMs(2016, 12, 31, 23, 59, 60, 0)); // a leap second is a real GPS output
    EXPECT_FALSE(EpochMs(2023, 2, 29, 0, 0, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 13, 1, 0, 0, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 0, 1, 0, 0, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 1, 0, 0, 0, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 1, 1, 24, 0, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 1, 1, 0, 60, 0, 0));
    EXPECT_FALSE(EpochMs(2023, 1, 1, 0, 0, 61, 0));
}

} // namespace
