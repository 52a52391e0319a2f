#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "graphics/NoDataValue.h"
#include "graphics/ValueSurface.h"

namespace {

using Point = std::pair<int, int>;

// Every pixel that differs from the background colour.
std::set<Point> Painted(const DibSurface& surface, Colour background)
{
    std::set<Point> points;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.GetPixel(x, y) != background)
                points.insert({x, y});
    return points;
}

std::set<Point> Valued(const ValueSurface& surface)
{
    std::set<Point> points;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.GetValue(x, y) != kNoDataValue)
                points.insert({x, y});
    return points;
}

void Prepare(ValueSurface& surface, int width, int height)
{
    ASSERT_TRUE(surface.Create(width, height, 32));
    ASSERT_TRUE(surface.Clear());
}

} // namespace

// ---- creation and pixels -------------------------------------------------------------------

TEST(DibSurface, CreateClearAndRelease)
{
    DibSurface surface;
    EXPECT_FALSE(surface.Clear());
    EXPECT_FALSE(surface.Create(0, 10, 32));
    EXPECT_FALSE(surface.Create(10, -1, 32));
    EXPECT_FALSE(surface.Create(10, 10, 16));
    EXPECT_FALSE(surface.Create(DibSurface::kMaxSide + 1, 10, 32));
    EXPECT_EQ(surface.Bits(), nullptr);
    ASSERT_TRUE(surface.Create(1, 1, 32));
    EXPECT_EQ(surface.GetPixel(0, 0), 0u); // black until cleared
    EXPECT_EQ(surface.BytesPerLine(), 4);
    ASSERT_TRUE(surface.Create(4, 3, 32));
    EXPECT_EQ(surface.ChangeCounter(), 0u);
    surface.SetPixel(1, 1, 0);
    EXPECT_TRUE(surface.Clear());
    EXPECT_EQ(surface.ChangeCounter(), 2u);
    EXPECT_TRUE(Painted(surface, 0x00FFFFFF).empty());
    ASSERT_TRUE(surface.Create(5, 5, 32)); // re-creating starts the count again
    EXPECT_EQ(surface.ChangeCounter(), 0u);
    EXPECT_TRUE(surface.Release());
    EXPECT_EQ(surface.Width(), 0);
    EXPECT_EQ(surface.Bits(), nullptr);
}

TEST(DibSurface, PixelsAreTopDownRgbWords)
{
    DibSurface surface;
    ASSERT_TRUE(surface.Create(2, 2, 32));
    EXPECT_EQ(surface.SetPixel(0, 0, 0x000000FF), 0x000000FFu);
    EXPECT_EQ(surface.Bits()[0], 0x00FF0000u); // red, in QImage's 0x00RRGGBB
    EXPECT_EQ(surface.SetPixel(1, 1, 0x00123456), 0x00123456u);
    EXPECT_EQ(surface.Bits()[3], 0x00563412u);
    EXPECT_EQ(surface.SetPixel(0, 1, 0x00FF0000), 0x00FF0000u);
    EXPECT_EQ(surface.Bits()[2], 0x000000FFu);
    EXPECT_EQ(surface.GetPixel(1, 1), 0x00123456u);
}

TEST(DibSurface, OutsidePointsAreIgnoredAndReported)
{
    DibSurface surface;
    EXPECT_EQ(surface.SetPixel(0, 0, 1), kNoColour); // no memory yet
    ASSERT_TRUE(surface.Create(3, 2, 32));
    const uint32_t counter = surface.ChangeCounter();
    for (const Point& p : {Point{-1, 0}, Point{3, 0}, Point{0, 2}, Point{0, -1}}) {
        EXPECT_EQ(surface.SetPixel(p.first, p.second, 0x00ABCDEF), kNoColour);
        EXPECT_EQ(surface.GetPixel(p.first, p.second), kNoColour);
    }
    EXPECT_EQ(surface.ChangeCounter(), counter);
    EXPECT_TRUE(Painted(surface, 0).empty());
}

// ---- lines ---------------------------------------------------------------------------------

TEST(DibSurface, BresenhamLinesPixelByPixel)
{
    struct Case {
        int x0, y0, x1, y1;
        std::set<Point> expected;
    };
    const std::vector<Case> cases = {
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {3, 1, 0, 0, {{3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
        {5, 5, 2, 2, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        {1, 4, 1, 1, {{1, 4}, {1, 3}, {1, 2}, {1, 1}}},
        {0, 2, 4, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {2, 2, 2, 2, {{2, 2}}},
        {0, 5, 5, 3, {{0, 5}, {1, 5}, {2, 4}, {3, 4}, {4, 3}, {5, 3}}},
    };
    for (const Case& k : cases) {
        ValueSurface surface;
        Prepare(surface, 6, 6);
        EXPECT_TRUE(surface.DrawLine(k.x0, k.y0, k.x1, k.y1, 0x000000FF));
        EXPECT_EQ(Painted(surface, 0x00FFFFFF), k.expected) << k.x0 << "," << k.y0 << "-" << k.x1 << "," << k.y1;
        EXPECT_EQ(surface.GetPixel(k.x0, k.y0), 0x000000FFu);
    }
}

TEST(DibSurface, LinesAreClippedPointByPointAndNeedMemoryAndAColour)
{
    ValueSurface surface;
    Prepare(surface, 4, 4);
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_TRUE(surface.DrawLine(-2, 1, 5, 1, 0));
    EXPECT_EQ(Painted(surface, 0x00FFFFFF), (std::set<Point>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(surface.ChangeCounter(), counter + 5); // four pixels and the line
    EXPECT_FALSE(surface.DrawLine(0, 0, 2, 2, kNoColour));
    EXPECT_EQ(surface.ChangeCounter(), counter + 5);
    // Far away lines, even with extreme coordinates, draw nothing and return at once.
    EXPECT_TRUE(surface.DrawLine(-2000000000, -5, 2000000000, -5, 0));
    EXPECT_TRUE(surface.DrawLine(-2147483647 - 1, 2147483647, 2147483647, 2147483647, 0));
    EXPECT_EQ(Painted(surface, 0x00FFFFFF).size(), 4u);
    EXPECT_FALSE(DibSurface().DrawLine(0, 0, 1, 1, 0));
}

// ---- values --------------------------------------------------------------------------------

TEST(ValueSurface, ValuesStartAsNoDataAndClearForgetsThem)
{
    ValueSurface surface;
    EXPECT_EQ(surface.SetValue(0, 0, 1.0f), kNoDataValue); // no layer yet
    ASSERT_TRUE(surface.Create(3, 2, 32));
    ASSERT_TRUE(surface.HasValues());
    EXPECT_TRUE(Valued(surface).empty());
    EXPECT_EQ(surface.SetValue(2, 1, 4.5f), 4.5f);
    EXPECT_EQ(surface.GetValue(2, 1), 4.5f);
    EXPECT_EQ(surface.SetValue(3, 1, 4.5f), kNoDataValue);
    EXPECT_EQ(surface.GetValue(-1, 0), kNoDataValue);
    EXPECT_TRUE(surface.Clear());
    EXPECT_EQ(surface.GetValue(2, 1), kNoDataValue);
    ASSERT_TRUE(surface.Create(1, 1, 32));
    EXPECT_EQ(surface.GetValue(0, 0), kNoDataValue);
    EXPECT_FALSE(surface.Create(0, 1, 32));
    EXPECT_FALSE(surface.HasValues());
}

TEST(ValueSurface, ValueLineRunsLinearlyAlongTheLine)
{
    ValueSurface surface;
    Prepare(surface, 8, 8);
    EXPECT_TRUE(surface.ValueLine(0, 0, 3, 0, 0.0f, 3.0f));
    for (int x = 0; x <= 3; ++x)
        EXPECT_FLOAT_EQ(surface.GetValue(x, 0), static_cast<float>(x));
    EXPECT_EQ(Valued(surface).size(), 4u);
    EXPECT_TRUE(Painted(surface, 0x00FFFFFF).empty()); // values only

    EXPECT_TRUE(surface.ValueLine(7, 7, 5, 1, 10.0f, 4.0f)); // steep, backwards: 6 steps of −1
    const std::vector<Point> path = {{7, 7}, {7, 6}, {6, 5}, {6, 4}, {6, 3}, {5, 2}, {5, 1}};
    for (size_t k = 0; k < path.size(); ++k)
        EXPECT_FLOAT_EQ(surface.GetValue(path[k].first, path[k].second), 10.0f - static_cast<float>(k));

    EXPECT_TRUE(surface.ValueLine(4, 4, 4, 4, 2.0f, 9.0f)); // one point takes the first value
    EXPECT_EQ(surface.GetValue(4, 4), 2.0f);
}

TEST(ValueSurface, ValueLinesRefuseNoDataAndMissingLayers)
{
    ValueSurface surface;
    Prepare(surface, 4, 4);
    EXPECT_FALSE(surface.ValueLine(0, 0, 3, 0, kNoDataValue, 1.0f));
    EXPECT_FALSE(surface.ValueLine(0, 0, 3, 0, 1.0f, kNoDataValue));
    EXPECT_TRUE(Valued(surface).empty());
    ValueSurface empty;
    EXPECT_FALSE(empty.ValueLine(0, 0, 1, 0, 1.0f, 2.0f));
    EXPECT_FALSE(empty.ThickValueLine(0, 0, 1, 0, 1.0f, 2.0f, 1));
    EXPECT_TRUE(surface.ValueLine(-5, 1, 5, 1, 0.0f, 10.0f)); // clipped: values still follow the whole line
    EXPECT_FLOAT_EQ(surface.GetValue(0, 1), 5.0f);
    EXPECT_FLOAT_EQ(surface.GetValue(3, 1), 8.0f);
}

TEST(ValueSurface, ThickValueLinesStackAcrossTheMainDirection)
{
    ValueSurface surface;
    Prepare(surface, 10, 10);
    EXPECT_FALSE(surface.ThickValueLine(1, 5, 8, 5, 1.0f, 2.0f, 0));
    EXPECT_TRUE(Valued(surface).empty());

    EXPECT_TRUE(surface.ThickValueLine(1, 5, 8, 6, 1.0f, 8.0f, 2)); // flat: five rows
    std::set<Point> expected;
    for (int shift = -2; shift <= 2; ++shift)
        for (int x = 1; x <= 8; ++x)
            expected.insert({x, (x <= 4 ? 5 : 6) + shift});
    EXPECT_EQ(Valued(surface), expected);
    EXPECT_FLOAT_EQ(surface.GetValue(8, 8), 8.0f);

    ValueSurface steep;
    Prepare(steep, 10, 10);
    EXPECT_TRUE(steep.ThickValueLine(5, 0, 5, 9, 0.0f, 9.0f, 1)); // steep: three columns
    EXPECT_EQ(Valued(steep).size(), 30u);
    EXPECT_FLOAT_EQ(steep.GetValue(4, 3), 3.0f);
    EXPECT_FLOAT_EQ(steep.GetValue(6, 9), 9.0f);

    // A huge half-width costs no more than the lines that land on the surface.
    ValueSurface wide;
    Prepare(wide, 4, 4);
    EXPECT_TRUE(wide.ThickValueLine(0, 0, 3, 0, 1.0f, 1.0f, 2000000000));
    EXPECT_EQ(Valued(wide).size(), 16u);
}

TEST(ValueSurface, FillBlockClipsToTheSurface)
{
    ValueSurface surface;
    EXPECT_FALSE(surface.FillBlock(PixelRect{0, 0, 1, 1}, 0, 1.0f));
    ASSERT_TRUE(surface.Create(4, 4, 32));
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_TRUE(surface.FillBlock(PixelRect{-2, 2, 2, 9}, 0x00FF0000, 3.0f));
    EXPECT_EQ(surface.ChangeCounter(), counter + 1);
    EXPECT_EQ(Valued(surface), (std::set<Point>{{0, 2}, {1, 2}, {0, 3}, {1, 3}}));
    EXPECT_EQ(surface.GetValue(1, 3), 3.0f);
    EXPECT_EQ(surface.GetPixel(1, 3), 0x00FF0000u);
    EXPECT_TRUE(surface.FillBlock(PixelRect{10, 10, 12, 12}, 0, 1.0f));
}
