#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "RecordingContext.h"
#include "graphics/DrawAxes.h"
#include "graphics/ValueSurface.h"

namespace {

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kGrid = 0x00808080;

std::vector<std::string> Labels(const RecordingContext& dc)
{
    std::vector<std::string> labels;
    for (const auto& t : dc.texts)
        labels.push_back(t.text);
    return labels;
}

class Axes : public ::testing::Test {
protected:
    void Surface(int width, int height) { ASSERT_TRUE(surface.Create(width, height, 32) && surface.Clear()); }
    ValueSurface surface;
    RecordingContext dc;
};

} // namespace

TEST(AxisMarks, StepsAndMajorMarks)
{
    struct Case {
        int pixels;
        float units;
        size_t count;
        int64_t step, majorEvery; // majorEvery 1: every mark is major
    };
    const Case cases[] = {
        {200, 100.0f, 49, 2, 10}, // 2, 4, … 98
        {100, 6.0f, 5, 1, 1},     // q = 1, step 5 ≥ 6 − 1 → 1: every mark labelled
        {10, 50.0f, 24, 2, 10},   // q = 50, step 50 → 10, minor 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        const std::vector<AxisMark> marks = AxisMarks(c.pixels, c.units);
        ASSERT_EQ(marks.size(), c.count);
        for (size_t n = 0; n < marks.size(); ++n) {
            const int64_t k = c.step * static_cast<int64_t>(n + 1);
            EXPECT_EQ(marks[n].k, k);
            EXPECT_EQ(marks[n].offset, static_cast<int>(std::lround(k * c.pixels / c.units))) << k;
            EXPECT_EQ(marks[n].major, k % c.majorEvery == 0) << k;
        }
    }
    // Unusable spans and lengths give no marks; huge but countable spans a handful.
    for (const auto& [pixels, units] : std::vector<std::pair<int, float>>{{0, 10.0f}, {100, 0.4f}, {100, NAN}, {100, 3e38f}})
        EXPECT_TRUE(AxisMarks(pixels, units).empty()) << pixels << " " << units;
    EXPECT_LE(AxisMarks(100, 1e15f).size(), 40u);
}

TEST_F(Axes, WideLabelsThatWouldTouchAreLeftOutButTheirMarksStay)
{
    Surface(820, 60);
    // 800 pixels for 1025 m: a major mark every 25 m, 19.5 pixels apart, under labels up to 24 wide.
    EXPECT_TRUE(DrawAxes(true, kGrid, surface, dc, PixelRect{10, 0, 810, 60}, 0.0f, 1025.0f, 0.0f, 0.0f));
    const std::vector<std::string> labels = Labels(dc);
    EXPECT_GT(labels.size(), 20u);
    for (size_t i = 1; i < dc.texts.size(); ++i) {
        const auto& before = dc.texts[i - 1];
        EXPECT_GT(dc.texts[i].x, before.x + static_cast<int>(before.text.size()) * RecordingContext::kCharWidth);
    }
    // A major mark whose label was left out keeps its mark, without a grid line.
    int unlabelled = 25;
    while (unlabelled < 1025 && std::find(labels.begin(), labels.end(), std::to_string(unlabelled)) != labels.end())
        unlabelled += 25;
    ASSERT_LT(unlabelled, 1025);
    const int x = 10 + static_cast<int>(std::lround(unlabelled * 800.0 / 1025.0));
    EXPECT_EQ(surface.GetPixel(x, 53), 0u);
    EXPECT_EQ(surface.GetPixel(x, 5), kWhite);
}

TEST_F(Axes, VerticalLabelsMoveOffTheTopEdgeAndEmptyRangesDrawNothing)
{
    Surface(100, 120);
    const PixelRect rect{0, 0, 100, 100}; // 100 pixels for 5 units: marks 20 pixels apart
    EXPECT_TRUE(DrawAxes(false, kGrid, surface, dc, rect, 0.0f, 0.0f, 10.0f, 15.0f));
    EXPECT_EQ(Labels(dc), (std::vector<std::string>{"11", "12", "13", "14"}));
    EXPECT_EQ(dc.texts[0].y, 80 - RecordingContext::kHeight / 2);
    EXPECT_EQ(surface.GetPixel(50, 80), kWhite); // no grid line without the flag

    // 8 pixels for 2 units: the mark of k = 1 sits at y 24; its label centred there would
    // start at 19, above the rectangle's top 20, so it moves down by 10 / 10 + 1.
    RecordingContext top;
    EXPECT_TRUE(DrawAxes(false, kGrid, surface, top, PixelRect{0, 20, 50, 28}, 0, 0, 0.0f, 2.0f));
    ASSERT_EQ(top.texts.size(), 1u);
    EXPECT_EQ(top.texts[0].y, 24 - 5 + 2);

    // Empty ranges draw nothing.
    RecordingContext none;
    const uint32_t counter = surface.ChangeCounter();
    EXPECT_TRUE(DrawAxes(true, kGrid, surface, none, PixelRect{0, 0, 50, 50}, 3.0f, 3.0f, -1.0f, -1.0f));
    EXPECT_TRUE(none.texts.empty());
    EXPECT_EQ(surface.ChangeCounter(), counter);
}
