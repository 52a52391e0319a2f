#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

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
    // blue 219 + 36 * 0.25 + 0.5 = 228.5 -> 228; green 37 - 37 * 0.25 + 0.5 = 28.25 -> 28.
    const float xs[] = {13.25f, 14.0f, std::nextafter(0.0f, 1.0f), -INFINITY, INFINITY, NAN};
    Colour row[6];
    c.ColorsAt(xs, 6, row); // the row form the cell painter uses: the same colours, ends clamped
    EXPECT_EQ(std::vector<Colour>(row, row + 6),
              (std::vector<Colour>{0xE41C00u, 0xFF0000u, 0x0000FFu, 0x0000FFu, 0xFF0000u, 0x0000FFu}));
    EXPECT_FALSE(c.SetRange(5, 5));
    EXPECT_FALSE(c.SetRange(7, 3));
    EXPECT_EQ(c.GetRange(), std::make_pair(0.0f, 14.0f));
    c.Mirror();
    EXPECT_EQ(c.Stops().front(), 0xFF0000u);
    c.LoadPreset(7); // anything but 1 is the RGB preset
    EXPECT_EQ(c.Stops().front(), 0x0000FFu);
    const uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    c.LoadBytes(bytes, 10);
    EXPECT_EQ(c.Stops(), (std::vector<Colour>{0x04030201, 0x08070605, 0x00000A09}));
    EXPECT_EQ(c.StopBytes(), std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x00\x00", 12));
    c.LoadBytes(bytes, 0);
    EXPECT_EQ(c.ColorAt(0), kNoColour);
}

} // namespace
