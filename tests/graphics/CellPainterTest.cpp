#include <gtest/gtest.h>

#include <vector>

#include "graphics/CellGridPainter.h"
#include "graphics/NoDataValue.h"

namespace {

constexpr Colour kWhite = 0x00FFFFFF;

// Two stops, black at 0 and pure red at 10: the red channel is 25.5 × value, rounded.
ColorChart RedChart()
{
    ColorChart chart;
    chart.AddStop(0x00000000);
    chart.AddStop(0x000000FF);
    chart.SetRange(0.0f, 10.0f);
    return chart;
}

class CellPainting : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surface.Create(10, 8, 32));
        ASSERT_TRUE(surface.Clear());
    }
    ValueSurface surface;
    ColorChart chart = RedChart();
};

} // namespace

TEST(GridValueRange, SkipsNoDataCells)
{
    const float n = kNoDataValue;
    const std::vector<float> grid = {n, 3.0f, -2.0f, n, 7.5f};
    float low = 0, high = 0;
    ASSERT_TRUE(GridValueRange(grid.data(), grid.size(), low, high));
    EXPECT_EQ(low, -2.0f);
    EXPECT_EQ(high, 7.5f);
    const std::vector<float> empty = {n, n};
    EXPECT_FALSE(GridValueRange(empty.data(), empty.size(), low, high));
    EXPECT_FALSE(GridValueRange(nullptr, 4, low, high));
}

TEST_F(CellPainting, BlocksCarryColourAndValueAndAreClippedToTheArea)
{
    const float n = kNoDataValue;
    const std::vector<float> grid = {0.0f, 10.0f, n, 5.0f, 10.0f, 10.0f}; // 3 × 2
    ASSERT_TRUE(PaintCells(surface, grid.data(), 3, 2, 3, PixelRect{1, 1, 9, 6}, false, chart));
    // Cell (0, 0): pixels 1..3 × 1..3.
    EXPECT_EQ(surface.GetPixel(1, 1), 0u);
    EXPECT_EQ(surface.GetPixel(3, 3), 0u);
    EXPECT_EQ(surface.GetValue(3, 3), 0.0f);
    // Cell (0, 1): pixels 4..6 × 1..3, red.
    EXPECT_EQ(surface.GetPixel(4, 1), 0x000000FFu);
    EXPECT_EQ(surface.GetValue(6, 3), 10.0f);
    // Cell (0, 2) is no-data: untouched; it would also be cut at x 9.
    EXPECT_EQ(surface.GetPixel(7, 1), kWhite);
    EXPECT_EQ(surface.GetValue(7, 1), kNoDataValue);
    // Row 1 starts at y 4 and is cut at the area's bottom (6): rows 4 and 5 only.
    EXPECT_EQ(surface.GetPixel(1, 4), 0x00000080u); // 5 → 127.5 → 128
    EXPECT_EQ(surface.GetValue(1, 5), 5.0f);
    EXPECT_EQ(surface.GetValue(1, 6), kNoDataValue);
    EXPECT_EQ(surface.GetValue(8, 4), 10.0f); // cell (1, 2) cut to one column
    EXPECT_EQ(surface.GetValue(9, 4), kNoDataValue);
    EXPECT_EQ(surface.GetValue(0, 1), kNoDataValue); // nothing left of the area
}

TEST_F(CellPainting, OnePixelCellsSkipNoDataAndStopAtTheSurfaceEdge)
{
    const float n = kNoDataValue;
    const std::vector<float> grid = {1.0f, n, 3.0f, 4.0f, 5.0f, 6.0f}; // 3 × 2
    ASSERT_TRUE(PaintCells(surface, grid.data(), 3, 2, 1, PixelRect{8, 7, 20, 20}, false, chart));
    EXPECT_EQ(surface.GetValue(8, 7), 1.0f);
    EXPECT_EQ(surface.GetValue(9, 7), kNoDataValue);
    EXPECT_EQ(surface.GetPixel(9, 7), kWhite);
    EXPECT_EQ(surface.GetValue(7, 7), kNoDataValue);
    EXPECT_EQ(surface.GetPixel(8, 7), 0x0000001Au); // 1 → 25.5 → 26
}

TEST_F(CellPainting, RowZeroCanBeTheBottomRow)
{
    const std::vector<float> grid = {1.0f, 2.0f}; // 1 × 2: row 0 = 1, row 1 = 2
    ASSERT_TRUE(PaintCells(surface, grid.data(), 1, 2, 2, PixelRect{0, 0, 10, 8}, true, chart));
    EXPECT_EQ(surface.GetValue(0, 0), 2.0f);
    EXPECT_EQ(surface.GetValue(1, 1), 2.0f);
    EXPECT_EQ(surface.GetValue(0, 2), 1.0f);
    EXPECT_EQ(surface.GetValue(1, 3), 1.0f);
    EXPECT_EQ(surface.GetValue(0, 4), kNoDataValue);
}

TEST_F(CellPainting, DegenerateInputPaintsNothingAndNeverWritesOutside)
{
    const std::vector<float> grid(4, 1.0f);
    EXPECT_FALSE(PaintCells(surface, nullptr, 2, 2, 1, PixelRect{0, 0, 10, 8}, false, chart));
    EXPECT_FALSE(PaintCells(surface, grid.data(), 0, 2, 1, PixelRect{0, 0, 10, 8}, false, chart));
    EXPECT_FALSE(PaintCells(surface, grid.data(), 2, 2, 0, PixelRect{0, 0, 10, 8}, false, chart));
    ValueSurface empty;
    EXPECT_FALSE(PaintCells(empty, grid.data(), 2, 2, 1, PixelRect{0, 0, 10, 8}, false, chart));
    // A huge pixel size on a tiny area, an area partly off the surface, an inverted area.
    EXPECT_TRUE(PaintCells(surface, grid.data(), 2, 2, 10, PixelRect{0, 0, 1, 1}, false, chart));
    EXPECT_EQ(surface.GetValue(0, 0), 1.0f);
    EXPECT_EQ(surface.GetValue(1, 0), kNoDataValue);
    EXPECT_TRUE(PaintCells(surface, grid.data(), 2, 2, 4, PixelRect{-5, 6, 20, 30}, false, chart));
    EXPECT_EQ(surface.GetValue(0, 7), 1.0f);
    EXPECT_TRUE(PaintCells(surface, grid.data(), 2, 2, 1, PixelRect{5, 5, 2, 2}, false, chart));
}

TEST(ValueSurfaceBlocks, FillBlockClipsToTheSurface)
{
    ValueSurface surface;
    EXPECT_FALSE(surface.FillBlock(PixelRect{0, 0, 1, 1}, 0, 1.0f));
    ASSERT_TRUE(surface.Create(4, 4, 32));
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_TRUE(surface.FillBlock(PixelRect{-2, 2, 2, 9}, 0x00FF0000, 3.0f));
    EXPECT_EQ(surface.ChangeCounter(), counter + 1);
    int filled = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            filled += surface.GetValue(x, y) == 3.0f ? 1 : 0;
    EXPECT_EQ(filled, 4); // columns 0..1 of rows 2..3
    EXPECT_EQ(surface.GetPixel(1, 3), 0x00FF0000u);
    EXPECT_TRUE(surface.FillBlock(PixelRect{10, 10, 12, 12}, 0, 1.0f));
}
