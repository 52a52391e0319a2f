#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>
#include <algorithm>

#include "graphics/ColorChart.h"

namespace {

ColorChart Rgb(float low, float high)
{
    ColorChart c;
    c.LoadPreset(0);
    c.SetRange(low, high);
    return c;
}

TEST(ColorChart, HandWorkedColoursRangesAndStops)
{
    ColorChart c = Rgb(0, 14);
    EXPECT_EQ(c.ColorAt(7), 0x00FF00u);
    // red: 255 + (219 - 255) * 0.5 + 0.5 = 237.5 -> 237; green: 37 * 0.5 + 0.5 = 19.
    EXPECT_EQ(c.ColorAt(0.5f), 0x0013EDu);
    EXPECT_FALSE(c.SetRange(5, 5));
    EXPECT_FALSE(c.SetRange(7, 3));
    EXPECT_FALSE(c.SetRange(std::nanf(""), 3));
    EXPECT_EQ(c.GetRange(), std::make_pair(0.0f, 14.0f));
    EXPECT_EQ(ColorChart().GetRange(), std::make_pair(-10.0f, 10.0f));
    c.Mirror();
    EXPECT_EQ(c.Stops().front(), 0xFF0000u);
    c.SetStop(0, 0x000000);
    c.RemoveStops(1, 14);
    EXPECT_EQ(c.Stops(), std::vector<Colour>{0});

    c.LoadPreset(1);
    ASSERT_EQ(c.Stops().size(), 15u);
    EXPECT_EQ(c.Stops().front(), 0x800000u);
    EXPECT_EQ(c.Stops().back(), 0x600060u);
    c.LoadPreset(7); // anything but 1 is the RGB preset
    EXPECT_EQ(c.Stops().front(), 0x0000FFu);
    const uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    c.LoadBytes(bytes, 10);
    EXPECT_EQ(c.Stops(), (std::vector<Colour>{0x04030201, 0x08070605, 0x00000A09}));
    EXPECT_EQ(c.StopBytes(), std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x00\x00", 12));
    c.LoadBytes(bytes, 0);
    EXPECT_EQ(c.ColorAt(0), kNoColour);
}

// Interpolating the bytes of the stops directly, as the chart is defined.
Colour StraightforwardColorAt(const std::vector<Colour>& stops, float minimum, float maximum, float x)
{
    const size_t n = stops.size();
    if (n == 0)
        return kNoColour;
    if (n == 1 || x <= minimum || std::isnan(x))
        return stops.front();
    if (x >= maximum)
        return stops.back();
    const float inverseStep = 1.0f / ((maximum - minimum) / static_cast<float>(n - 1));
    const float t = (x - minimum) * inverseStep;
    const size_t k = std::min(static_cast<size_t>(std::max(t, 0.0f)), n - 2);
    const float f = t - static_cast<float>(k);
    Colour result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float a = static_cast<float>((stops[k] >> shift) & 0xFF);
        const float b = static_cast<float>((stops[k + 1] >> shift) & 0xFF);
        result |= (static_cast<Colour>(static_cast<int32_t>(a + (b - a) * f + 0.5f)) & 0xFF) << shift;
    }
    return result;
}

} // namespace

TEST(ColorChart, MatchesByteInterpolationOverManyValues)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int chartNumber = 0; chartNumber < 40; ++chartNumber) {
        ColorChart chart;
        const size_t stops = 1 + static_cast<size_t>(chartNumber % 17);
        for (size_t k = 0; k < stops; ++k)
            chart.AddStop(colour(random));
        if (chartNumber % 3 == 0)
            chart.Mirror();
        const float low = std::uniform_real_distribution<float>(-1e4f, 1e4f)(random);
        const float high = low + std::uniform_real_distribution<float>(1e-3f, 1e5f)(random);
        ASSERT_TRUE(chart.SetRange(low, high));
        std::uniform_real_distribution<float> value(low - (high - low) * 0.1f, high + (high - low) * 0.1f);
        std::vector<float> xs(50000);
        for (float& x : xs)
            x = value(random);
        xs.insert(xs.end(), {low, high, std::nextafter(low, high), std::nextafter(high, low), -INFINITY, INFINITY, NAN});
        std::vector<Colour> row(xs.size());
        chart.ColorsAt(xs.data(), xs.size(), row.data());
        for (size_t k = 0; k < xs.size(); ++k) {
            const Colour expected = StraightforwardColorAt(chart.Stops(), low, high, xs[k]);
            ASSERT_EQ(chart.ColorAt(xs[k]), expected) << "chart " << chartNumber << " at " << xs[k];
            ASSERT_EQ(row[k], expected) << "chart " << chartNumber << " row at " << xs[k];
        }
    }
}
