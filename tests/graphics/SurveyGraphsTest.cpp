#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FillRecorder.h"
#include "GraphFixture.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfaceContext.h"
#include "graphics/SurveyGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

using testing_support::GroundRecord;
using testing_support::GroundSurvey;
using testing_support::PutChannel;

namespace {

class SurveyGraphs : public GraphTest {
protected:
    // Leftmost and rightmost curve pixel in the whole surface.
    std::pair<int, int> CurveColumns() const
    {
        int low = surface.Width(), high = -1;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                if (surface.GetPixel(x, y) == kCurveColour) {
                    low = std::min(low, x);
                    high = std::max(high, x);
                }
        return {low, high};
    }
    void OnlyFrequencies(std::initializer_list<int> used)
    {
        Settings().usedFrequencies.fill(0);
        for (int i : used)
            Settings().usedFrequencies[size_t(i)] = 1;
    }

    static constexpr Colour kCurveColour = 0x00C80000;
};

// A record whose quadrature value (after the shift by 7) is `value` on every frequency.
MeasurementRecord Flat(int value)
{
    MeasurementRecord r;
    for (int i = 0; i < kFrequencyCount; ++i)
        PutChannel(r, i, value * 128, 0, 100000, 0);
    return r;
}

} // namespace

TEST_F(SurveyGraphs, SoundingCurveNeedsAMeasuredStationAndTwoDistinctFrequencies)
{
    auto data = GroundSurvey(Settings(), 10, 1, 1.0f, 0.0f, 5);
    EXPECT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 7), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 400), GraphOutcome::NotPainted);
    OnlyFrequencies({3});
    EXPECT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 2), GraphOutcome::NotPainted);
    OnlyFrequencies({});
    EXPECT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 2), GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);
    OnlyFrequencies({3, 9});
    EXPECT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 2), GraphOutcome::Painted);
    EXPECT_GT(Valued(), 0);
}

TEST_F(SurveyGraphs, SoundingCurveRunsFromShallowTopToDeepBottom)
{
    Settings().showScaleMarks = 1;
    auto data = GroundSurvey(Settings(), 10, 1, 1.0f, 0.0f, 10);
    data->StoreRecord(4, Flat(1000));
    ASSERT_EQ(DrawSoundingCurve(*data, Settings(), surface, rect, 0, 4), GraphOutcome::Painted);
    // Equal values and spread depths: a vertical line in the middle of the plot (x 6..199).
    const int middle = 6 + (194 - 1) / 2;
    EXPECT_EQ(surface.GetPixel(middle, 6), kCurveColour);  // the shallowest frequency
    EXPECT_EQ(surface.GetPixel(middle, 99), kCurveColour); // the deepest, on the last row
    EXPECT_EQ(surface.GetValue(middle, 50), 1000.0f);
    // The arrowheads of both scales.
    EXPECT_EQ(surface.GetPixel(198, 0), 0u);
    EXPECT_EQ(surface.GetPixel(0, 98), 0u);
    // The scales carry their ranges: depth at the bottom of the depth scale is the deepest, 10 m.
    EXPECT_NEAR(surface.GetValue(0, 99), 10.0f, 1e-4f);
    EXPECT_NEAR(surface.GetValue(0, 6), 1.0f, 1e-3f);
}

TEST_F(SurveyGraphs, ProfileCurveTakesTheRunsShareOfTheProfile)
{
    auto data = GroundSurvey(Settings(), 20, 2, 1.0f, 1.0f, 25); // profile 1: stations 19..15 measured
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, PixelRect{0, 0, 200, 100}, 0, 0, 7),
              GraphOutcome::Painted);
    // Profile 0 is complete: the whole usable width 2 .. 198.
    EXPECT_EQ(CurveColumns(), std::make_pair(2, 198));

    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 1, 17, 7), GraphOutcome::Painted);
    // Five stations of twenty on an odd profile: a quarter of 196 pixels, hugging the right edge.
    EXPECT_EQ(CurveColumns(), std::make_pair(198 - 49, 198));
}

TEST_F(SurveyGraphs, ProfileCurveShowsOnlyTheLatestStationsAcrossTheWidth)
{
    Settings().pointsToShow = 3;
    auto data = GroundSurvey(Settings(), 20, 1, 1.0f, 0.0f, 10);
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 9, 7), GraphOutcome::Painted);
    EXPECT_EQ(CurveColumns(), std::make_pair(2, 198));
    const ConversionSettings conversion = ConversionSettingsFrom(Settings());
    const float station7 = ConvertReadingFiltered(conversion, Settings().currentCalibration, data->Record(7), 7);
    EXPECT_TRUE(ColumnHolds(2, station7, kCurveColour));
}

TEST_F(SurveyGraphs, ProfileCurveOfEqualValuesIsAHorizontalLineAtMidHeight)
{
    auto data = GroundSurvey(Settings(), 8, 1, 1.0f, 0.0f, 0);
    for (uint32_t s = 0; s < 8; ++s)
        data->StoreRecord(s, Flat(300));
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, 2), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetPixel(100, 50), kCurveColour);
    EXPECT_EQ(surface.GetValue(100, 50), 300.0f);
}

TEST_F(SurveyGraphs, ProfileCurveGuards)
{
    auto data = GroundSurvey(Settings(), 20, 1, 1.0f, 0.0f, 1);
    EXPECT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::NotPainted);
    data = GroundSurvey(Settings(), 20, 1, 1.0f, 0.0f, 5);
    EXPECT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, 14), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, -1), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 10, 7), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, PixelRect{5, 5, 5, 50}, 0, 0, 7),
              GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);
}

TEST_F(SurveyGraphs, SectionGuardsAndDepthOrder)
{
    auto data = GroundSurvey(Settings(), 30, 1, 1.0f, 0.0f, 1);
    EXPECT_EQ(DrawSection(*data, Settings(), surface, dc, rect, 0, 0), GraphOutcome::NotPainted);
    data = GroundSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    OnlyFrequencies({5});
    EXPECT_EQ(DrawSection(*data, Settings(), surface, dc, rect, 0, 0), GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);

    OnlyFrequencies({0, 13});
    ASSERT_EQ(DrawSection(*data, Settings(), surface, dc, rect, 0, 0), GraphOutcome::Painted);
    // Far from the pipe (station 29) the layered ground shows: the deep frequency 0 at the
    // bottom reads more than the shallow frequency 13 at the top.
    EXPECT_GT(surface.GetValue(199, 99), surface.GetValue(199, 0));
    EXPECT_NEAR(surface.GetValue(199, 99), testing_support::GroundQuadrature(29, 0, 0), 2.0);
    EXPECT_EQ(Valued(), 200 * 100);
}

TEST_F(SurveyGraphs, MapRefusesUnusedFrequenciesAndTooFewProfiles)
{
    auto data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 30);
    OnlyFrequencies({1, 2, 3});
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 14), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 2), GraphOutcome::Painted);

    ASSERT_TRUE(surface.Clear());
    data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 15); // profile 0 and half of profile 1
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 2), GraphOutcome::NotPainted);
    data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 0);
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 2), GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);
}

TEST_F(SurveyGraphs, PartialLastProfileRepeatsTheProfileBelow)
{
    auto data = GroundSurvey(Settings(), 10, 3, 2.0f, 2.0f, 25); // profile 2: stations 0..4
    // Three rows of one pixel each: too few to smooth, so the table shows through.
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, PixelRect{0, 0, 91, 3}, 2, 4, 7), GraphOutcome::Painted);
    // Station 6 lies over the pipe, which moves between profiles: not yet measured on
    // profile 2 it repeats profile 1; station 4 was measured on both and differs.
    EXPECT_EQ(surface.GetValue(60, 0), surface.GetValue(60, 1));
    EXPECT_NE(surface.GetValue(40, 0), surface.GetValue(40, 1));
    const ConversionSettings conversion = ConversionSettingsFrom(Settings());
    EXPECT_EQ(surface.GetValue(0, 2), ConvertReadingFiltered(conversion, Settings().currentCalibration,
                                                             data->Record(0), 7));
}

TEST_F(SurveyGraphs, ManualRangeKeepsTheChart)
{
    auto data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 30);
    Settings().manualMapRange = 1;
    ASSERT_TRUE(Settings().mapChart.SetRange(0.0f, 1.0f));
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_EQ(Settings().mapChart.GetRange(), std::make_pair(0.0f, 1.0f));
    // Every value is above the range: all cells take the top colour.
    EXPECT_EQ(surface.GetPixel(10, 10), Settings().mapChart.Stops().back());

    Settings().manualMapRange = 0;
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_GT(Settings().mapChart.GetRange().first, 500.0f);
}

TEST_F(SurveyGraphs, DegenerateInputPaintsSafely)
{
    // All values equal: the chart keeps its range (an empty one is refused) and the map paints.
    auto data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 0);
    for (size_t k = 0; k < 30; ++k)
        data->StoreRecord(k, Flat(77));
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_NEAR(surface.GetValue(50, 50), 77.0f, 1e-4f);
    EXPECT_NEAR(Settings().mapChart.GetRange().first, 77.0f, 1e-4f); // smoothing leaves rounding noise

    // A 1 × 1 rectangle, and pixel size 10 on a 3 × 2 one: clipped to the rectangle.
    ASSERT_TRUE(surface.Clear());
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, PixelRect{5, 5, 6, 6}, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_EQ(Valued(), 1);
    Settings().pixelSize = 10;
    ASSERT_TRUE(surface.Clear());
    EXPECT_EQ(DrawSection(*data, Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0), GraphOutcome::Painted);
    EXPECT_EQ(Valued(), 6);
    ASSERT_TRUE(surface.Clear());
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_EQ(Valued(), 6);

    // Rectangles no surface can have are refused rather than gridded.
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 1 << 30}, 0, 0, 7),
              GraphOutcome::NotPainted);
    EXPECT_EQ(DrawSection(*data, Settings(), surface, dc, PixelRect{0, 0, 100, -5}, 0, 0), GraphOutcome::NotPainted);
    // Real scaling on a grid without distances (steps 0) paints nothing.
    Settings().pixelSize = 1;
    Settings().realScaling = 1;
    data = GroundSurvey(Settings(), 10, 3, 0.0f, 0.0f, 30);
    EXPECT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawSection(*data, Settings(), surface, dc, rect, 0, 0), GraphOutcome::NotPainted);
}

TEST_F(SurveyGraphs, ProgressGridSamplesACrowdedProfile)
{
    Settings().colourA = 0xA;
    Settings().colourB = 0xB;
    Settings().colourC = 0xC;
    auto data = GroundSurvey(Settings(), 400, 1, 1.0f, 0.0f, 6);
    FillRecorder recorder;
    ASSERT_TRUE(data->PaintProgress(&recorder, 0, 0, 150, 60));
    // One profile of six rows, 10 pixels each; one fill per pixel column, then the current cell.
    ASSERT_EQ(recorder.fills.size(), 150u);
    EXPECT_EQ(recorder.fills[0].rect, (PixelRect{1, 51, 2, 59}));  // x = 1: station 2
    EXPECT_EQ(recorder.fills[0].colour, 0xBu);
    EXPECT_EQ(recorder.fills[2].rect.left, 3); // x = 3: station 8
    EXPECT_EQ(recorder.fills[2].colour, 0xAu);
    EXPECT_EQ(recorder.fills.back().rect, (PixelRect{0, 51, 1, 59})); // station 0, the current one
    EXPECT_EQ(recorder.fills.back().colour, 0xCu);
}

TEST_F(SurveyGraphs, ProgressGridOfASmallMapHasGapsAndBlankProfiles)
{
    Settings().colourA = 0xA;
    Settings().colourB = 0xB;
    Settings().colourC = 0xC;
    auto data = GroundSurvey(Settings(), 4, 2, 1.0f, 1.0f, 5);
    data->StoreRecord(0, MeasurementRecord{}); // station 0 of profile 0 not measured
    for (int k = 0; k < 5; ++k)
        data->NextPosition(); // (1, 2)
    FillRecorder recorder;
    ASSERT_TRUE(data->PaintProgress(&recorder, 0, 0, 40, 62));
    // Two profiles of four cells, rows 10 pixels high below a 2-pixel remainder.
    ASSERT_EQ(recorder.fills.size(), 8u);
    EXPECT_EQ(recorder.fills[0].rect, (PixelRect{0, 43, 9, 51})); // profile 1, station 0
    EXPECT_EQ(recorder.fills[0].colour, 0xAu);
    EXPECT_EQ(recorder.fills[2].rect, (PixelRect{30, 43, 39, 51})); // profile 1, station 3: measured
    EXPECT_EQ(recorder.fills[2].colour, 0xBu);
    EXPECT_EQ(recorder.fills[3].rect, (PixelRect{0, 53, 9, 61})); // profile 0, station 0: cleared
    EXPECT_EQ(recorder.fills[3].colour, 0xAu);
    EXPECT_EQ(recorder.fills[4].colour, 0xBu);
    EXPECT_EQ(recorder.fills.back().rect, (PixelRect{20, 43, 29, 51}));
    EXPECT_EQ(recorder.fills.back().colour, 0xCu);
}

TEST_F(SurveyGraphs, PaintToBitmapNeedsASurfaceContext)
{
    auto data = GroundSurvey(Settings(), 4, 2, 1.0f, 1.0f, 5);
    SetSurfaceContextMaker(nullptr);
    EXPECT_FALSE(data->PaintToBitmap(&surface, 0, 0, 40, 60));
    EXPECT_FALSE(data->PaintToBitmap(nullptr, 0, 0, 40, 60));

    static size_t fills = 0;
    struct Recorded : SurfaceContext {
        ~Recorded() override { fills = context.fills.size(); }
        DrawContext& Context() override { return context; }
        FillRecorder context;
    };
    SetSurfaceContextMaker([](DibSurface&) -> std::unique_ptr<SurfaceContext> { return std::make_unique<Recorded>(); });
    EXPECT_TRUE(data->PaintToBitmap(&surface, 0, 0, 40, 60));
    EXPECT_EQ(fills, 8u); // the progress grid went through the context
    SetSurfaceContextMaker(nullptr);
}

TEST_F(SurveyGraphs, AxesLabelDistancesAndDepths)
{
    Settings().showScaleMarks = 1;
    auto data = GroundSurvey(Settings(), 31, 3, 2.0f, 5.0f, 93);
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    // Stations 0 .. 60 m along the bottom, profiles 0 .. 10 m up the left edge.
    EXPECT_TRUE(dc.HasText("50"));
    EXPECT_FALSE(dc.HasText("60")); // no mark at the very end
    EXPECT_TRUE(dc.HasText("5"));
    EXPECT_EQ(dc.font, "Arial");

    dc.texts.clear();
    ASSERT_TRUE(surface.Create(200, 300, 32));
    ASSERT_EQ(DrawSection(*data, Settings(), surface, dc, PixelRect{0, 0, 200, 300}, 1, 0), GraphOutcome::Painted);
    // Depth labels (at x = 8) grow downward, from the shallow top to the deep bottom.
    std::vector<std::pair<int, int>> depthLabels; // (y, depth)
    for (const auto& text : dc.texts)
        if (text.x == 8)
            depthLabels.push_back({text.y, std::stoi(text.text)});
    ASSERT_EQ(depthLabels.size(), 8u); // 9 m over 300 pixels: every metre, none at the ends
    std::sort(depthLabels.begin(), depthLabels.end());
    EXPECT_LT(depthLabels.front().second, depthLabels.back().second);
    EXPECT_LE(depthLabels.back().second, 10);
}
