#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingContext.h"
#include "graphics/NoDataValue.h"
#include "graphics/TableGraphs.h"

namespace {

ColorChart GreyChart()
{
    ColorChart chart;
    chart.AddStop(0x00000000);
    chart.AddStop(0x00FFFFFF);
    chart.SetRange(-100.0f, 100.0f);
    return chart;
}

class TableGraphs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surface.Create(120, 80, 32));
        ASSERT_TRUE(surface.Clear());
    }

    // Columns of the pixel row y that carry a value.
    std::vector<int> ValuedColumns(int y) const
    {
        std::vector<int> columns;
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.GetValue(x, y) != kNoDataValue)
                columns.push_back(x);
        return columns;
    }
    std::vector<int> ValuedRows(int x) const
    {
        std::vector<int> rows;
        for (int y = 0; y < surface.Height(); ++y)
            if (surface.GetValue(x, y) != kNoDataValue)
                rows.push_back(y);
        return rows;
    }

    ValueSurface surface;
    ColorChart chart = GreyChart();
    BilinearGridder gridder;
    RecordingContext dc;
};

} // namespace

TEST_F(TableGraphs, SectionCellsFollowTheTableShallowestOnTop)
{
    const float xs[] = {0.0f, 10.0f, 20.0f};
    const float ys[] = {1.0f, 5.0f};
    const float values[] = {1, 2, 3, 4, 5, 6}; // shallow row 1 2 3, deep row 4 5 6
    const ValueTable table{3, 2, xs, ys, values};
    GraphStyle style;
    style.pixelSize = 10;
    ASSERT_EQ(DrawSectionTable(table, 3, 10.0f, false, style, gridder, chart, surface, dc, PixelRect{0, 0, 30, 20}),
              GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(5, 5), 1.0f);
    EXPECT_EQ(surface.GetValue(25, 5), 3.0f);
    EXPECT_EQ(surface.GetValue(15, 15), 5.0f);
    EXPECT_EQ(surface.GetValue(30, 5), kNoDataValue);
    EXPECT_EQ(surface.GetValue(5, 20), kNoDataValue);
    EXPECT_EQ(chart.GetRange(), std::make_pair(1.0f, 6.0f));
    EXPECT_EQ(surface.GetPixel(5, 5), 0u);            // the low end of the fitted chart
    EXPECT_EQ(surface.GetPixel(25, 15), 0x00FFFFFFu); // the high end
    EXPECT_TRUE(dc.texts.empty()); // no axes unless asked
}

TEST_F(TableGraphs, SectionOfARunTakesItsShareOfTheProfile)
{
    const float xs[] = {0, 1, 2, 3, 4};
    const float ys[] = {1.0f, 2.0f};
    const std::vector<float> values(10, 7.0f);
    const ValueTable table{5, 2, xs, ys, values.data()};
    GraphStyle style;
    style.manualRange = true;
    // Five of twenty stations on 100 pixels: (100 × 5 + 10) / 20 = 25 pixels.
    ASSERT_EQ(DrawSectionTable(table, 20, 1.0f, false, style, gridder, chart, surface, dc, PixelRect{10, 0, 110, 40}),
              GraphOutcome::Painted);
    const std::vector<int> left = ValuedColumns(10);
    ASSERT_EQ(left.size(), 25u);
    EXPECT_EQ(left.front(), 10);
    EXPECT_EQ(chart.GetRange(), std::make_pair(-100.0f, 100.0f)); // manual range kept

    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(DrawSectionTable(table, 20, 1.0f, true, style, gridder, chart, surface, dc, PixelRect{10, 0, 110, 40}),
              GraphOutcome::Painted);
    const std::vector<int> right = ValuedColumns(10);
    ASSERT_EQ(right.size(), 25u);
    EXPECT_EQ(right.back(), 109); // hugs the right edge on an odd profile
}

TEST_F(TableGraphs, SectionWithRealScalingKeepsProportions)
{
    const float xs[] = {0.0f, 10.0f, 20.0f};
    const float ys[] = {0.0f, 10.0f};
    const std::vector<float> values(6, 1.0f);
    const ValueTable table{3, 2, xs, ys, values.data()};
    GraphStyle style;
    style.realScaling = true;
    // 20 m across 100 pixels, 10 m deep on 80: the length decides, 5 pixels a metre → 50 high, centred.
    ASSERT_EQ(DrawSectionTable(table, 3, 10.0f, false, style, gridder, chart, surface, dc, PixelRect{0, 0, 100, 80}),
              GraphOutcome::Painted);
    const std::vector<int> rows = ValuedRows(50);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.front(), 15);
    EXPECT_EQ(ValuedColumns(40).size(), 100u);

    // 20 m across 100 pixels, 40 m deep on 80: the depth decides, 2 pixels a metre → 40 wide, centred.
    ASSERT_TRUE(surface.Clear());
    const float deep[] = {0.0f, 40.0f};
    const ValueTable deepTable{3, 2, xs, deep, values.data()};
    ASSERT_EQ(DrawSectionTable(deepTable, 3, 10.0f, false, style, gridder, chart, surface, dc, PixelRect{0, 0, 100, 80}),
              GraphOutcome::Painted);
    const std::vector<int> columns = ValuedColumns(40);
    ASSERT_EQ(columns.size(), 40u);
    EXPECT_EQ(columns.front(), 30);
}

TEST_F(TableGraphs, SectionAxesLabelDepthsDownward)
{
    const float xs[] = {0.0f, 50.0f};
    const float ys[] = {0.0f, 5.0f};
    const std::vector<float> values(4, 1.0f);
    const ValueTable table{2, 2, xs, ys, values.data()};
    GraphStyle style;
    style.showScaleMarks = true;
    ASSERT_EQ(DrawSectionTable(table, 2, 50.0f, false, style, gridder, chart, surface, dc, PixelRect{0, 0, 100, 100}),
              GraphOutcome::Painted);
    std::vector<std::string> labels;
    for (const auto& t : dc.texts)
        labels.push_back(t.text);
    // The horizontal axis first (0 .. 50 m on 100 pixels), then depths 5 at the bottom to 0 at the top.
    const std::vector<std::string> depths = {"4", "3", "2", "1"};
    ASSERT_GE(labels.size(), depths.size());
    EXPECT_EQ(std::vector<std::string>(labels.end() - 4, labels.end()), depths);
}

TEST_F(TableGraphs, MapPutsTheFirstProfileAtTheBottom)
{
    const float xs[] = {0.0f, 10.0f};
    const float ys[] = {0.0f, 10.0f};
    const float values[] = {1.0f, 1.0f, 9.0f, 9.0f}; // first profile 1, second 9
    const ValueTable table{2, 2, xs, ys, values};
    GraphStyle style;
    style.pixelSize = 20;
    ASSERT_EQ(DrawMapTable(table, style, gridder, chart, surface, dc, PixelRect{0, 0, 40, 40}), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(10, 10), 9.0f);
    EXPECT_EQ(surface.GetValue(10, 30), 1.0f);
    EXPECT_EQ(surface.GetValue(40, 10), kNoDataValue);
}

TEST_F(TableGraphs, MapWithRealScalingIsCentred)
{
    const float xs[] = {0.0f, 40.0f};
    const float ys[] = {0.0f, 10.0f};
    const float values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    const ValueTable table{2, 2, xs, ys, values};
    GraphStyle style;
    style.realScaling = true;
    style.showGrid = true;
    // 40 m across 100 pixels, 10 m over 80: the width decides, 25 pixels high, centred.
    ASSERT_EQ(DrawMapTable(table, style, gridder, chart, surface, dc, PixelRect{0, 0, 100, 80}), GraphOutcome::Painted);
    const std::vector<int> rows = ValuedRows(20);
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(rows.front(), (80 - 25) / 2);
    EXPECT_FALSE(dc.texts.empty());
}

TEST_F(TableGraphs, DegenerateTablesAndRectanglesAreRefusedOrClipped)
{
    const float xs[] = {0.0f, 10.0f};
    const float ys[] = {0.0f, 10.0f};
    const float flat[] = {5.0f, 5.0f, 5.0f, 5.0f};
    GraphStyle style;
    EXPECT_EQ(DrawMapTable(ValueTable{1, 2, xs, ys, flat}, style, gridder, chart, surface, dc, PixelRect{0, 0, 40, 40}),
              GraphOutcome::NotPainted);
    EXPECT_EQ(DrawMapTable(ValueTable{2, 2, xs, ys, flat}, style, gridder, chart, surface, dc, PixelRect{5, 5, 5, 9}),
              GraphOutcome::TooSmall);
    // A run too short for one pixel of the profile.
    EXPECT_EQ(DrawSectionTable(ValueTable{2, 2, xs, ys, flat}, 1000, 1.0f, false, style, gridder, chart, surface, dc,
                               PixelRect{0, 0, 100, 40}),
              GraphOutcome::TooSmall);
    // Real scaling without any extent.
    const float same[] = {3.0f, 3.0f};
    style.realScaling = true;
    EXPECT_EQ(DrawMapTable(ValueTable{2, 2, same, same, flat}, style, gridder, chart, surface, dc, PixelRect{0, 0, 40, 40}),
              GraphOutcome::NotPainted);
    EXPECT_EQ(DrawSectionTable(ValueTable{2, 2, xs, same, flat}, 2, 0.0f, false, style, gridder, chart, surface, dc,
                               PixelRect{0, 0, 40, 40}),
              GraphOutcome::NotPainted);

    // All values equal: the chart keeps its range; a 1 × 1 rectangle with 10-pixel cells.
    style.realScaling = false;
    style.pixelSize = 10;
    ASSERT_EQ(DrawMapTable(ValueTable{2, 2, xs, ys, flat}, style, gridder, chart, surface, dc, PixelRect{3, 3, 4, 4}),
              GraphOutcome::Painted);
    EXPECT_EQ(chart.GetRange(), std::make_pair(-100.0f, 100.0f));
    EXPECT_EQ(surface.GetValue(3, 3), 5.0f);
    EXPECT_EQ(surface.GetValue(4, 3), kNoDataValue);
    EXPECT_EQ(surface.GetValue(3, 4), kNoDataValue);
}
