#include <gtest/gtest.h>

#include <memory>

#include "FillRecorder.h"
#include "GraphFixture.h"
#include "graphics/NoDataValue.h"
#include "graphics/TrackGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

using testing_support::GroundRecord;
using testing_support::GroundTrack;

namespace {

constexpr double kMetresPerDegree = 6371000.0 * 3.14159265358979323846 / 180.0;

class TrackGraphs : public GraphTest {
protected:
    // Readings at the given positions in metres east and north of the equator meridian 0.
    std::unique_ptr<TrackDataSet> Walk(const std::vector<std::pair<double, double>>& metres, bool emptyFirst = false)
    {
        SessionImage image;
        image.track = true;
        for (size_t k = 0; k < metres.size(); ++k) {
            const auto [east, north] = metres[k];
            const bool empty = k == 0 && emptyFirst;
            image.records.push_back(empty ? MeasurementRecord{} : GroundRecord(east, north, uint32_t(k)));
            image.fixes.push_back(GpsFix{1.0 + north / kMetresPerDegree, 1.0 + east / kMetresPerDegree, 0});
        }
        auto data = TrackDataSet::LoadTrackBody(image, Settings());
        Settings().usedFrequencies.fill(1);
        return data;
    }
    // Lowest and highest pixel row that carries a value.
    std::pair<int, int> ValuedRows() const
    {
        int low = surface.Height(), high = -1;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                if (surface.GetValue(x, y) != kNoDataValue) {
                    low = std::min(low, y);
                    high = std::max(high, y);
                }
        return {low, high};
    }
};

} // namespace

TEST_F(TrackGraphs, MapNeedsFourMeasuredReadingsSpreadOverAnArea)
{
    auto data = Walk({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::NotPainted);
    data = Walk({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true); // the first record is empty
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::NotPainted);
    data = Walk({{0, 5}, {10, 5}, {20, 5}, {30, 5}, {40, 5}}); // all on one latitude
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::NotPainted);
    data = Walk({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 14), GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_GT(Valued(), 0);
}

TEST_F(TrackGraphs, MapPutsNorthAtTheTop)
{
    // Two readings far from the pipe in the south, two over it in the north.
    auto data_ = Walk({{40, 0}, {50, 0}, {12, 30}, {24, 30}});
    data_->ScatteredGridder().radius = 3;
    ASSERT_EQ(PaintTrackMap(*data_, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    float top = -kNoDataValue, bottom = -kNoDataValue;
    for (int x = 0; x < 200; ++x) {
        if (surface.GetValue(x, 0) != kNoDataValue)
            top = std::max(top, surface.GetValue(x, 0));
        if (surface.GetValue(x, 99) != kNoDataValue)
            bottom = std::max(bottom, surface.GetValue(x, 99));
    }
    EXPECT_GT(top, bottom + 1000.0f);
}

TEST_F(TrackGraphs, RealScalingShrinksTheMapFromTheBottom)
{
    Settings().realScaling = 1;
    auto data = Walk({{0, 0}, {100, 0}, {100, 20}, {0, 20}, {50, 10}});
    ASSERT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    // 100 m × 20 m in 200 × 100 pixels: full width, 40 rows anchored at the top.
    EXPECT_EQ(ValuedRows().first, 0);
    EXPECT_LE(ValuedRows().second, 39);
}

TEST_F(TrackGraphs, SectionKeepsEmptyRecordsAndStandingStill)
{
    auto data = Walk({{0, 0}, {0, 0}, {5, 0}}, true);
    ASSERT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::Painted);
    // The empty first record counts as zeros at the left edge; readings 0 and 1 stand 0.01 m
    // apart, so the left column shows them.
    EXPECT_NEAR(surface.GetValue(0, 50), 0.0f, 300.0f);
    EXPECT_GT(surface.GetValue(199, 50), 500.0f);
    EXPECT_EQ(Valued(), 200 * 100);

    Settings().usedFrequencies.fill(0);
    Settings().usedFrequencies[3] = 1;
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::NotPainted);
    data = Walk({{0, 0}});
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::NotPainted);
}

TEST_F(TrackGraphs, RealScalingCentresTheSection)
{
    Settings().realScaling = 1;
    Settings().pixelSize = 3;
    auto data = Walk({{0, 0}, {1, 0}, {2, 0}});
    ASSERT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::Painted);
    // 2 m of track against 9 m of depth: a narrow block in the middle.
    const auto [left, right] = ValuedSpanInRow(50);
    EXPECT_GT(left, 60);
    EXPECT_LT(right, 140);
    EXPECT_NEAR(left + right, 199, 4);
}

TEST_F(TrackGraphs, ProfileCurveShowsTheLatestReadings)
{
    Settings().pointsToShow = 5;
    std::vector<std::pair<double, double>> positions;
    for (int k = 0; k < 12; ++k)
        positions.push_back({2.0 * k, 0});
    auto data = Walk(positions);
    ASSERT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    const ConversionSettings conversion = ConversionSettingsFrom(Settings());
    const float reading7 = ConvertReadingFiltered(conversion, Settings().currentCalibration, data->Record(7), 7);
    EXPECT_TRUE(ColumnHolds(2, reading7));

    Settings().showScaleMarks = 1;
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    // The distance axis covers the 8 m between readings 7 and 11: labels 5 … at most 8.
    EXPECT_TRUE(dc.HasText("5"));
    EXPECT_FALSE(dc.HasText("10"));
}

TEST_F(TrackGraphs, ProfileCurveOfEqualValuesAndGuards)
{
    // Far from the pipe the ground reads the same everywhere: a line at mid-height.
    auto data = Walk({{60, 0}, {70, 0}, {80, 0}});
    ASSERT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 0), GraphOutcome::Painted);
    EXPECT_FLOAT_EQ(surface.GetValue(100, 50), float(testing_support::GroundQuadrature(60, 0, 0)));
    EXPECT_EQ(surface.GetPixel(100, 50), 0x00C80000u);
    data = Walk({{60, 0}});
    EXPECT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 0), GraphOutcome::NotPainted);
    EXPECT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 20), GraphOutcome::NotPainted);
}

TEST_F(TrackGraphs, LatestSoundingCurveNeedsAMeasuredReading)
{
    auto data = Walk({{0, 0}, {5, 0}}, true);
    EXPECT_EQ(PaintLatestSoundingCurve(*data, Settings(), surface, rect, 0), GraphOutcome::NotPainted);
    EXPECT_EQ(PaintLatestSoundingCurve(*data, Settings(), surface, rect, 2), GraphOutcome::NotPainted);
    EXPECT_EQ(Valued(), 0);
    EXPECT_EQ(PaintLatestSoundingCurve(*data, Settings(), surface, rect, 1), GraphOutcome::Painted);
}

TEST_F(TrackGraphs, TrackViewDrawsReadingsLiveLinksAndTheCurrentReading)
{
    Settings().colourA = 0xA;
    Settings().colourC = 0xC;
    auto data = Walk({{0, 0}, {10, 0}, {10, 10}, {10, 10}});
    FillRecorder recorder;
    EXPECT_TRUE(data->PaintProgress(&recorder, 0, 0, 104, 104));
    // 10 m × 10 m in 100 pixels: east right, north up. The repeated reading is skipped.
    ASSERT_EQ(recorder.ellipses.size(), 5u); // 3 readings, the live position, the cursor
    EXPECT_EQ(recorder.ellipses[0].box, (PixelRect{0, 100, 4, 104}));
    EXPECT_EQ(recorder.ellipses[2].box, (PixelRect{100, 0, 104, 4}));
    // Cursor 0 after opening: a dashed line from reading 1 to the live position (the last reading).
    ASSERT_EQ(recorder.lines.size(), 3u);
    EXPECT_EQ(recorder.lines[2].style, PenStyle::Dash);
    EXPECT_EQ(recorder.lines[2].x0, 102);
    EXPECT_EQ(recorder.ellipses.back().box, (PixelRect{0, 100, 4, 104}));
    EXPECT_EQ(recorder.ellipses.back().brush, 0xCu);

    // With a live fix the track ends there, and the cursor past the end marks it.
    data->SetCurrentFix(GpsFix{1.0, 1.0 + 5 / kMetresPerDegree, 0});
    for (int k = 0; k < 4; ++k)
        data->NextPosition();
    FillRecorder live;
    EXPECT_TRUE(data->PaintProgress(&live, 0, 0, 104, 104));
    EXPECT_EQ(live.ellipses.back().box, (PixelRect{50, 100, 54, 104}));
    EXPECT_EQ(live.ellipses.back().brush, 0xCu);

    data = Walk({});
    FillRecorder none;
    EXPECT_FALSE(data->PaintProgress(&none, 0, 0, 104, 104));
    EXPECT_TRUE(none.ellipses.empty());

    data = Walk({{0, 0}}); // a single reading sits at the left edge
    FillRecorder single;
    EXPECT_TRUE(data->PaintProgress(&single, 0, 0, 104, 104));
    ASSERT_FALSE(single.ellipses.empty());
    EXPECT_EQ(single.ellipses[0].box.left, 0);
}

TEST_F(TrackGraphs, HundredThousandReadingsPaint)
{
    auto data = GroundTrack(Settings(), 100000, 0.2);
    Settings().pixelSize = 2;
    data->ScatteredGridder().radius = 5;
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::Painted);
    EXPECT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_EQ(PaintLatestSoundingCurve(*data, Settings(), surface, rect, 99999), GraphOutcome::Painted);
    FillRecorder recorder;
    EXPECT_TRUE(data->PaintProgress(&recorder, 0, 0, 200, 100));
    // Readings on the pixel of the one before are not drawn again.
    EXPECT_LT(recorder.ellipses.size(), 100000u);
}

TEST_F(TrackGraphs, DegenerateRectanglesAndPixelSizes)
{
    auto data = GroundTrack(Settings(), 200);
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, PixelRect{3, 3, 4, 4}, 7), GraphOutcome::TooSmall);
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, PixelRect{3, 3, 4, 4}), GraphOutcome::Painted);
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 50}, 7), GraphOutcome::NotPainted);
    Settings().pixelSize = 10;
    ASSERT_TRUE(surface.Clear());
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, PixelRect{5, 5, 8, 7}), GraphOutcome::Painted);
    // One 10 × 10 cell, clipped to the rectangle.
    EXPECT_EQ(Valued(), 6);
    EXPECT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, PixelRect{5, 5, 6, 6}, 7), GraphOutcome::Painted);
}
