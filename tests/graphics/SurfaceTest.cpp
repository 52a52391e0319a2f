#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "graphics/NoDataValue.h"
#include "graphics/ValueSurface.h"

namespace {

using Point = std::pair<int, int>;

// Pixels that differ from white, or (values) that carry a value.
std::set<Point> Marked(const ValueSurface& surface, bool values = false)
{
    std::set<Point> points;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (values ? surface.GetValue(x, y) != kNoDataValue : surface.GetPixel(x, y) != 0x00FFFFFF)
                points.insert({x, y});
    return points;
}

} // namespace

TEST(DibSurface, CreateClearPixelsAndOutsidePoints)
{
    DibSurface surface;
    EXPECT_FALSE(surface.Clear());
    EXPECT_EQ(surface.SetPixel(0, 0, 1), kNoColour); // no memory yet
    EXPECT_FALSE(surface.Create(0, 10, 32));
    EXPECT_FALSE(surface.Create(10, 10, 16));
    EXPECT_FALSE(surface.Create(DibSurface::kMaxSide + 1, 10, 32));
    ASSERT_TRUE(surface.Create(2, 2, 32));
    EXPECT_EQ(surface.SetPixel(0, 0, 0x000000FF), 0x000000FFu);
    EXPECT_EQ(surface.Bits()[0], 0x00FF0000u); // red, in QImage's 0x00RRGGBB
    EXPECT_EQ(surface.SetPixel(1, 1, 0x00123456), 0x00123456u);
    EXPECT_EQ(surface.Bits()[3], 0x00563412u); // top-down rows
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_EQ(surface.SetPixel(2, 0, 0x00ABCDEF), kNoColour); // outside: ignored, not counted
    EXPECT_EQ(surface.ChangeCounter(), counter);
    EXPECT_TRUE(surface.Clear());
    EXPECT_EQ(surface.ChangeCounter(), counter + 1);
}

TEST(DibSurface, LinesAreClippedPointByPoint)
{
    ValueSurface surface;
    ASSERT_TRUE(surface.Create(4, 4, 32) && surface.Clear());
    EXPECT_TRUE(surface.DrawLine(3, 1, 0, 0, 0)); // drawn backwards, the same pixels as forwards
    EXPECT_EQ(Marked(surface), (std::set<Point>{{3, 1}, {2, 1}, {1, 0}, {0, 0}}));
    ASSERT_TRUE(surface.Clear());
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_TRUE(surface.DrawLine(-2, 1, 5, 1, 0));
    EXPECT_EQ(Marked(surface), (std::set<Point>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(surface.ChangeCounter(), counter + 5); // four pixels and the line
    // Far away lines, even with extreme coordinates, draw nothing and return at once.
    EXPECT_TRUE(surface.DrawLine(-2147483647 - 1, 2147483647, 2147483647, 2147483647, 0));
    EXPECT_EQ(Marked(surface).size(), 4u);
    EXPECT_FALSE(DibSurface().DrawLine(0, 0, 1, 1, 0));
}

TEST(ValueSurface, ValuesStartAsNoDataAndValueLinesRunLinearly)
{
    ValueSurface surface;
    EXPECT_EQ(surface.SetValue(0, 0, 1.0f), kNoDataValue); // no layer yet
    ASSERT_TRUE(surface.Create(8, 8, 32) && surface.Clear());
    EXPECT_EQ(surface.SetValue(8, 1, 4.5f), kNoDataValue);
    EXPECT_TRUE(surface.ValueLine(7, 7, 5, 1, 10.0f, 4.0f)); // steep, backwards: 6 steps of −1
    const std::vector<Point> path = {{7, 7}, {7, 6}, {6, 5}, {6, 4}, {6, 3}, {5, 2}, {5, 1}};
    for (size_t k = 0; k < path.size(); ++k)
        EXPECT_FLOAT_EQ(surface.GetValue(path[k].first, path[k].second), 10.0f - static_cast<float>(k));
    EXPECT_TRUE(Marked(surface).empty()); // values only
    EXPECT_TRUE(surface.ValueLine(4, 4, 4, 4, 2.0f, 9.0f)); // one point takes the first value
    EXPECT_EQ(surface.GetValue(4, 4), 2.0f);
    EXPECT_TRUE(surface.ValueLine(-5, 0, 5, 0, 0.0f, 10.0f)); // clipped: values still follow the whole line
    EXPECT_FLOAT_EQ(surface.GetValue(0, 0), 5.0f);
    EXPECT_FALSE(surface.ValueLine(0, 3, 3, 3, kNoDataValue, 1.0f));
    EXPECT_FALSE(surface.ThickValueLine(0, 3, 3, 3, 1.0f, 2.0f, 0));
    EXPECT_EQ(surface.GetValue(0, 3), kNoDataValue);
}

TEST(ValueSurface, ThickValueLinesStackAcrossTheMainDirection)
{
    ValueSurface surface;
    ASSERT_TRUE(surface.Create(10, 10, 32) && surface.Clear());
    EXPECT_TRUE(surface.ThickValueLine(1, 5, 8, 6, 1.0f, 8.0f, 2)); // flat: five rows
    std::set<Point> expected;
    for (int shift = -2; shift <= 2; ++shift)
        for (int x = 1; x <= 8; ++x)
            expected.insert({x, (x <= 4 ? 5 : 6) + shift});
    EXPECT_EQ(Marked(surface, true), expected);
    EXPECT_FLOAT_EQ(surface.GetValue(8, 8), 8.0f);
    // A huge half-width costs no more than the lines that land on the surface.
    ASSERT_TRUE(surface.Create(4, 4, 32) && surface.Clear());
    EXPECT_TRUE(surface.ThickValueLine(0, 0, 3, 0, 1.0f, 1.0f, 2000000000));
    EXPECT_EQ(Marked(surface, true).size(), 16u);
}

