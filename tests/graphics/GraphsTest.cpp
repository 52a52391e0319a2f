// Survey, track and table graphs, their cell painting and the page dispatcher, on synthetic
// ground (a pipe in layered ground) with a known quadrature everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RecordingContext.h"
#include "graphics/CellGridPainter.h"
#include "graphics/GraphDispatch.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfaceContext.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/TableGraphs.h"
#include "graphics/TrackGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

using testing_support::GroundRecord;
using testing_support::GroundSurvey;
using testing_support::GroundTrack;

namespace {

constexpr double kMetresPerDegree = 6371000.0 * 3.14159265358979323846 / 180.0;
constexpr Colour kCurveColour = 0x00C80000;
constexpr Colour kWhite = 0x00FFFFFF;
constexpr float n = kNoDataValue;

ColorChart TwoStops(Colour top, float low, float high)
{
    ColorChart chart;
    chart.AddStop(0);
    chart.AddStop(top);
    chart.SetRange(low, high);
    return chart;
}

// A record whose quadrature value (after the shift by 7) is `value` on every frequency.
MeasurementRecord Flat(int value)
{
    MeasurementRecord r;
    for (int i = 0; i < kFrequencyCount; ++i)
        testing_support::PutChannel(r, i, value * 128, 0, 100000, 0);
    return r;
}

// Settings without scaling, grid, marks or filtering, and a cleared 200 x 100 surface.
class Graphs : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        Defaults();
        ASSERT_TRUE(surface.Create(200, 100, 32));
        ASSERT_TRUE(surface.Clear());
    }
    void Defaults()
    {
        Settings().realScaling = 0;
        Settings().showGrid = 0;
        Settings().showScaleMarks = 0;
        Settings().pixelSize = 1;
        Settings().pointsToShow = 0;
        Settings().filterProfileCurve = 0;
        Settings().usedFrequencies.fill(1);
    }
    void OnlyFrequencies(std::initializer_list<int> used)
    {
        Settings().usedFrequencies.fill(0);
        for (int i : used)
            Settings().usedFrequencies[size_t(i)] = 1;
    }
    // Readings at the given positions in metres east and north of 1° N 1° E.
    std::unique_ptr<TrackDataSet> Walk(const std::vector<std::pair<double, double>>& metres, bool emptyFirst = false)
    {
        SessionImage image;
        image.track = true;
        for (size_t k = 0; k < metres.size(); ++k) {
            const auto [east, north] = metres[k];
            image.records.push_back(k == 0 && emptyFirst ? MeasurementRecord{} : GroundRecord(east, north, uint32_t(k)));
            image.fixes.push_back(GpsFix{1.0 + north / kMetresPerDegree, 1.0 + east / kMetresPerDegree, 0});
        }
        auto data = TrackDataSet::LoadTrackBody(image, Settings());
        Settings().usedFrequencies.fill(1);
        return data;
    }
    float Converted(const DataSet& data, size_t k, int f)
    {
        return ConvertReadingFiltered(ConversionSettingsFrom(Settings()), Settings().currentCalibration,
                                      data.Record(k), f);
    }
    std::vector<int> ValuedColumns(int y) const
    {
        std::vector<int> columns;
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.GetValue(x, y) != n)
                columns.push_back(x);
        return columns;
    }
    std::vector<int> ValuedRows(int x) const
    {
        std::vector<int> rows;
        for (int y = 0; y < surface.Height(); ++y)
            if (surface.GetValue(x, y) != n)
                rows.push_back(y);
        return rows;
    }
    int Valued() const
    {
        int count = 0;
        for (int y = 0; y < surface.Height(); ++y)
            count += static_cast<int>(ValuedColumns(y).size());
        return count;
    }
    // Whether some pixel of column x carries `value` (and colour `colour`, unless kNoColour).
    bool ColumnHolds(int x, float value, Colour colour = kNoColour) const
    {
        for (int y = 0; y < surface.Height(); ++y)
            if (surface.GetValue(x, y) == value && (colour == kNoColour || surface.GetPixel(x, y) == colour))
                return true;
        return false;
    }
    // Leftmost and rightmost curve pixel.
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
    GraphOutcome Table(const ValueTable& table, const PixelRect& area, int stations = 0, float step = 0.0f,
                       bool odd = false)
    {
        return stations == 0 ? DrawMapTable(table, style, gridder, grey, surface, dc, area)
                             : DrawSectionTable(table, stations, step, odd, style, gridder, grey, surface, dc, area);
    }
    GraphOutcome Cells(const std::vector<float>& grid, int nx, int pixel, const PixelRect& area, bool up = false)
    {
        return Outcome(PaintCells(surface, grid.data(), nx, static_cast<int>(grid.size()) / nx, pixel, area, up, red));
    }
    static GraphOutcome Outcome(bool painted) { return painted ? GraphOutcome::Painted : GraphOutcome::NotPainted; }

    ValueSurface surface;
    RecordingContext dc;
    const PixelRect rect{0, 0, 200, 100};
    GraphStyle style;
    BilinearGridder gridder;
    ColorChart grey = TwoStops(kWhite, -100.0f, 100.0f);
    ColorChart red = TwoStops(0x000000FF, 0.0f, 10.0f); // red channel 25.5 × value
};

constexpr int kSome = -2; // some pixels carry values

} // namespace

// Every graph refuses what it cannot show, paints nothing then, and clips what it can.
TEST_F(Graphs, RefusalsAndDegenerateInput)
{
    const float xs[] = {0.0f, 10.0f}, same[] = {3.0f, 3.0f}, flat[] = {5.0f, 5.0f, 5.0f, 5.0f};
    const std::vector<float> ones(4, 1.0f);
    ValueSurface none;
    struct Case {
        const char* what;
        std::function<GraphOutcome()> paint;
        GraphOutcome expected;
        int valued; // -1: not checked
    };
    using O = GraphOutcome;
    const Case cases[] = {
        // Survey sounding curves: a measured station and two distinct used frequencies.
        {"sounding unmeasured", [&] { return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 7); }, O::NotPainted, 0},
        {"sounding past end", [&] { return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 400); }, O::NotPainted, 0},
        {"sounding one freq", [&] { OnlyFrequencies({3}); return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 2); }, O::NotPainted, 0},
        {"sounding no freq", [&] { OnlyFrequencies({}); return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 2); }, O::NotPainted, 0},
        {"sounding two freqs", [&] { OnlyFrequencies({3, 9}); return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 2); }, O::Painted, kSome},
        // Survey profile curves.
        {"profile one station", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 1), Settings(), surface, dc, rect, 0, 0, 7); }, O::NotPainted, 0},
        {"profile f14", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 5), Settings(), surface, dc, rect, 0, 0, 14); }, O::NotPainted, 0},
        {"profile f-1", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 5), Settings(), surface, dc, rect, 0, 0, -1); }, O::NotPainted, 0},
        {"profile unmeasured", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 5), Settings(), surface, dc, rect, 0, 10, 7); }, O::NotPainted, 0},
        {"profile empty rect", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 5), Settings(), surface, dc, PixelRect{5, 5, 5, 50}, 0, 0, 7); }, O::NotPainted, 0},
        // Survey sections and maps.
        {"section one station", [&] { return DrawSection(*GroundSurvey(Settings(), 30, 1, 1, 0, 1), Settings(), surface, dc, rect, 0, 0); }, O::NotPainted, 0},
        {"section one freq", [&] { OnlyFrequencies({5}); return DrawSection(*GroundSurvey(Settings(), 30, 1, 1, 0, 30), Settings(), surface, dc, rect, 0, 0); }, O::NotPainted, 0},
        {"map unused freq", [&] { OnlyFrequencies({1, 2, 3}); return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, rect, 0, 0, 7); }, O::NotPainted, 0},
        {"map f14", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, rect, 0, 0, 14); }, O::NotPainted, 0},
        {"map used freq", [&] { OnlyFrequencies({1, 2, 3}); return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, rect, 0, 0, 2); }, O::Painted, kSome},
        {"map 1.5 profiles", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 15), Settings(), surface, dc, rect, 0, 0, 2); }, O::NotPainted, 0},
        {"map unmeasured", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 0), Settings(), surface, dc, rect, 0, 0, 2); }, O::NotPainted, 0},
        {"map 1x1", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{5, 5, 6, 6}, 0, 0, 7); }, O::Painted, 1},
        {"section cell clipped", [&] { Settings().pixelSize = 10; return DrawSection(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0); }, O::Painted, 6},
        {"map cell clipped", [&] { Settings().pixelSize = 10; return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0, 7); }, O::Painted, 6},
        {"map huge rect", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 1 << 30}, 0, 0, 7); }, O::NotPainted, 0},
        {"section inverted", [&] { return DrawSection(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 100, -5}, 0, 0); }, O::NotPainted, 0},
        {"map real no steps", [&] { Settings().realScaling = 1; return DrawMap(*GroundSurvey(Settings(), 10, 3, 0, 0, 30), Settings(), surface, dc, rect, 0, 0, 7); }, O::NotPainted, 0},
        {"section real no steps", [&] { Settings().realScaling = 1; return DrawSection(*GroundSurvey(Settings(), 10, 3, 0, 0, 30), Settings(), surface, dc, rect, 0, 0); }, O::NotPainted, 0},
        // Track graphs: four measured readings spread over an area for a map.
        {"track 3 readings", [&] { return PaintTrackMap(*Walk({{0, 0}, {10, 0}, {10, 10}}), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track first empty", [&] { return PaintTrackMap(*Walk({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track one latitude", [&] { return PaintTrackMap(*Walk({{0, 5}, {10, 5}, {20, 5}, {30, 5}, {40, 5}}), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track map f14", [&] { return PaintTrackMap(*Walk({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), Settings(), surface, dc, rect, 14); }, O::NotPainted, 0},
        {"track map", [&] { return PaintTrackMap(*Walk({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), Settings(), surface, dc, rect, 7); }, O::Painted, kSome},
        {"track section one freq", [&] { auto data = Walk({{0, 0}, {0, 0}, {5, 0}}, true); OnlyFrequencies({3}); return PaintTrackSection(*data, Settings(), surface, dc, rect); }, O::NotPainted, 0},
        {"track section 1 reading", [&] { return PaintTrackSection(*Walk({{0, 0}}), Settings(), surface, dc, rect); }, O::NotPainted, 0},
        {"track profile 1 reading", [&] { return PaintTrackProfileCurve(*Walk({{60, 0}}), Settings(), surface, dc, rect, 0); }, O::NotPainted, 0},
        {"track profile f20", [&] { return PaintTrackProfileCurve(*Walk({{60, 0}}), Settings(), surface, dc, rect, 20); }, O::NotPainted, 0},
        {"track sounding empty", [&] { return PaintLatestSoundingCurve(*Walk({{0, 0}, {5, 0}}, true), Settings(), surface, rect, 0); }, O::NotPainted, 0},
        {"track sounding past end", [&] { return PaintLatestSoundingCurve(*Walk({{0, 0}, {5, 0}}, true), Settings(), surface, rect, 2); }, O::NotPainted, 0},
        {"track sounding", [&] { return PaintLatestSoundingCurve(*Walk({{0, 0}, {5, 0}}, true), Settings(), surface, rect, 1); }, O::Painted, kSome},
        {"track map 1x1", [&] { return PaintTrackMap(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}, 7); }, O::TooSmall, 0},
        {"track section 1x1", [&] { return PaintTrackSection(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}); }, O::Painted, 1},
        {"track map huge", [&] { return PaintTrackMap(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 50}, 7); }, O::NotPainted, 0},
        {"track section clipped", [&] { Settings().pixelSize = 10; return PaintTrackSection(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{5, 5, 8, 7}); }, O::Painted, 6},
        {"track profile 1x1", [&] { Settings().pixelSize = 10; return PaintTrackProfileCurve(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{5, 5, 6, 6}, 7); }, O::Painted, -1},
        // Tables.
        {"table one column", [&] { return Table(ValueTable{1, 2, xs, xs, flat}, PixelRect{0, 0, 40, 40}); }, O::NotPainted, 0},
        {"table thin rect", [&] { return Table(ValueTable{2, 2, xs, xs, flat}, PixelRect{5, 5, 5, 9}); }, O::TooSmall, 0},
        {"table run under a pixel", [&] { return Table(ValueTable{2, 2, xs, xs, flat}, PixelRect{0, 0, 100, 40}, 1000, 1.0f); }, O::TooSmall, 0},
        {"table real no extent", [&] { style.realScaling = true; return Table(ValueTable{2, 2, same, same, flat}, PixelRect{0, 0, 40, 40}); }, O::NotPainted, 0},
        {"section real no depth", [&] { style.realScaling = true; return Table(ValueTable{2, 2, xs, same, flat}, PixelRect{0, 0, 40, 40}, 2, 0.0f); }, O::NotPainted, 0},
        {"table flat 1x1", [&] {
             style.pixelSize = 10;
             const GraphOutcome outcome = Table(ValueTable{2, 2, xs, xs, flat}, PixelRect{3, 3, 4, 4});
             EXPECT_EQ(grey.GetRange(), std::make_pair(-100.0f, 100.0f)); // an empty range is refused
             EXPECT_EQ(surface.GetValue(3, 3), 5.0f);
             return outcome;
         }, O::Painted, 1},
        // Cells: nothing without a grid, columns, a pixel size or memory; clipped otherwise.
        {"cells no grid", [&] { return Outcome(PaintCells(surface, nullptr, 2, 2, 1, rect, false, red)); }, O::NotPainted, 0},
        {"cells no columns", [&] { return Outcome(PaintCells(surface, ones.data(), 0, 2, 1, rect, false, red)); }, O::NotPainted, 0},
        {"cells pixel 0", [&] { return Cells(ones, 2, 0, rect); }, O::NotPainted, 0},
        {"cells no memory", [&] { return Outcome(PaintCells(none, ones.data(), 2, 2, 1, rect, false, red)); }, O::NotPainted, 0},
        {"cells huge pixel", [&] {
             const GraphOutcome outcome = Cells(ones, 2, 10, PixelRect{0, 0, 1, 1});
             EXPECT_EQ(surface.GetValue(0, 0), 1.0f);
             return outcome;
         }, O::Painted, 1},
        {"cells off the surface", [&] {
             const GraphOutcome outcome = Cells(ones, 2, 4, PixelRect{-5, 96, 20, 130});
             EXPECT_EQ(surface.GetValue(0, 99), 1.0f);
             return outcome;
         }, O::Painted, 3 * 4},
        {"cells inverted", [&] { return Cells(ones, 2, 1, PixelRect{5, 5, 2, 2}); }, O::Painted, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Defaults();
        style = GraphStyle{};
        grey = TwoStops(kWhite, -100.0f, 100.0f);
        ASSERT_TRUE(surface.Clear());
        EXPECT_EQ(c.paint(), c.expected);
        if (c.valued == kSome) {
            EXPECT_GT(Valued(), 0);
        } else if (c.valued >= 0) {
            EXPECT_EQ(Valued(), c.valued);
        }
    }
}

TEST_F(Graphs, SurveySoundingCurveRunsFromShallowTopToDeepBottom)
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
    EXPECT_EQ(surface.GetPixel(198, 0), 0u); // the arrowheads of both scales
    EXPECT_EQ(surface.GetPixel(0, 98), 0u);
    EXPECT_NEAR(surface.GetValue(0, 99), 10.0f, 1e-4f); // the depth scale runs to the deepest, 10 m
    EXPECT_NEAR(surface.GetValue(0, 6), 1.0f, 1e-3f);
}

TEST_F(Graphs, SurveyProfileCurveTakesTheRunsShareAndTheLatestStations)
{
    auto data = GroundSurvey(Settings(), 20, 2, 1.0f, 1.0f, 25); // profile 1: stations 19..15 measured
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_EQ(CurveColumns(), std::make_pair(2, 198)); // a complete profile: the whole usable width
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 1, 17, 7), GraphOutcome::Painted);
    // Five stations of twenty on an odd profile: a quarter of 196 pixels, hugging the right edge.
    EXPECT_EQ(CurveColumns(), std::make_pair(198 - 49, 198));

    Settings().pointsToShow = 3;
    data = GroundSurvey(Settings(), 20, 1, 1.0f, 0.0f, 10);
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 9, 7), GraphOutcome::Painted);
    EXPECT_EQ(CurveColumns(), std::make_pair(2, 198));
    EXPECT_TRUE(ColumnHolds(2, Converted(*data, 7, 7), kCurveColour));
}

TEST_F(Graphs, ProfileCurvesOfEqualValuesAreHorizontalLinesAtMidHeight)
{
    auto data = GroundSurvey(Settings(), 8, 1, 1.0f, 0.0f, 0);
    for (uint32_t s = 0; s < 8; ++s)
        data->StoreRecord(s, Flat(300));
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 0, 2), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetPixel(100, 50), kCurveColour);
    EXPECT_EQ(surface.GetValue(100, 50), 300.0f);

    // Far from the pipe the ground reads the same everywhere.
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(PaintTrackProfileCurve(*Walk({{60, 0}, {70, 0}, {80, 0}}), Settings(), surface, dc, rect, 0),
              GraphOutcome::Painted);
    EXPECT_FLOAT_EQ(surface.GetValue(100, 50), float(testing_support::GroundQuadrature(60, 0, 0)));
    EXPECT_EQ(surface.GetPixel(100, 50), kCurveColour);
}

TEST_F(Graphs, SurveySectionPutsTheDeepFrequencyAtTheBottom)
{
    auto data = GroundSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    OnlyFrequencies({0, 13});
    ASSERT_EQ(DrawSection(*data, Settings(), surface, dc, rect, 0, 0), GraphOutcome::Painted);
    // Far from the pipe (station 29) the layered ground shows: deep frequency 0 reads more.
    EXPECT_GT(surface.GetValue(199, 99), surface.GetValue(199, 0));
    EXPECT_NEAR(surface.GetValue(199, 99), testing_support::GroundQuadrature(29, 0, 0), 2.0);
    EXPECT_EQ(Valued(), 200 * 100);
}

TEST_F(Graphs, SurveyMapPartialLastProfileRepeatsTheProfileBelow)
{
    auto data = GroundSurvey(Settings(), 10, 3, 2.0f, 2.0f, 25); // profile 2: stations 0..4
    // Three rows of one pixel each: too few to smooth, so the table shows through.
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, PixelRect{0, 0, 91, 3}, 2, 4, 7), GraphOutcome::Painted);
    // Station 6 lies over the pipe, which moves between profiles: not yet measured on
    // profile 2 it repeats profile 1; station 4 was measured on both and differs.
    EXPECT_EQ(surface.GetValue(60, 0), surface.GetValue(60, 1));
    EXPECT_NE(surface.GetValue(40, 0), surface.GetValue(40, 1));
    EXPECT_EQ(surface.GetValue(0, 2), Converted(*data, 0, 7));
}

TEST_F(Graphs, SurveyMapRange)
{
    auto data = GroundSurvey(Settings(), 10, 3, 1.0f, 1.0f, 30);
    Settings().manualMapRange = 1;
    ASSERT_TRUE(Settings().mapChart.SetRange(0.0f, 1.0f));
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_EQ(Settings().mapChart.GetRange(), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(surface.GetPixel(10, 10), Settings().mapChart.Stops().back()); // all above the range
    Settings().manualMapRange = 0;
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_GT(Settings().mapChart.GetRange().first, 500.0f);

    // All values equal: the chart keeps a range (an empty one is refused) and the map paints.
    for (size_t k = 0; k < 30; ++k)
        data->StoreRecord(k, Flat(77));
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, rect, 0, 0, 7), GraphOutcome::Painted);
    EXPECT_NEAR(surface.GetValue(50, 50), 77.0f, 1e-4f);
    EXPECT_NEAR(Settings().mapChart.GetRange().first, 77.0f, 1e-4f); // smoothing leaves rounding noise
}

TEST_F(Graphs, SurveyProgressGrids)
{
    Settings().colourA = 0xA;
    Settings().colourB = 0xB;
    Settings().colourC = 0xC;
    auto data = GroundSurvey(Settings(), 400, 1, 1.0f, 0.0f, 6);
    ASSERT_TRUE(data->PaintProgress(&dc, 0, 0, 150, 60));
    // A crowded profile of six 10-pixel rows: one fill per pixel column, then the current cell.
    ASSERT_EQ(dc.fills.size(), 150u);
    EXPECT_EQ(dc.fills[0].rect, (PixelRect{1, 51, 2, 59})); // x = 1: station 2
    EXPECT_EQ(dc.fills[0].colour, 0xBu);
    EXPECT_EQ(dc.fills[2].rect.left, 3); // x = 3: station 8
    EXPECT_EQ(dc.fills[2].colour, 0xAu);
    EXPECT_EQ(dc.fills.back().rect, (PixelRect{0, 51, 1, 59})); // station 0, the current one
    EXPECT_EQ(dc.fills.back().colour, 0xCu);

    data = GroundSurvey(Settings(), 4, 2, 1.0f, 1.0f, 5);
    data->StoreRecord(0, MeasurementRecord{}); // station 0 of profile 0 not measured
    for (int k = 0; k < 5; ++k)
        data->NextPosition(); // (1, 2)
    RecordingContext small;
    ASSERT_TRUE(data->PaintProgress(&small, 0, 0, 40, 62));
    // Two profiles of four cells, rows 10 pixels high below a 2-pixel remainder.
    ASSERT_EQ(small.fills.size(), 8u);
    EXPECT_EQ(small.fills[0].rect, (PixelRect{0, 43, 9, 51})); // profile 1, station 0
    EXPECT_EQ(small.fills[0].colour, 0xAu);
    EXPECT_EQ(small.fills[2].rect, (PixelRect{30, 43, 39, 51})); // profile 1, station 3: measured
    EXPECT_EQ(small.fills[2].colour, 0xBu);
    EXPECT_EQ(small.fills[3].rect, (PixelRect{0, 53, 9, 61})); // profile 0, station 0: cleared
    EXPECT_EQ(small.fills[3].colour, 0xAu);
    EXPECT_EQ(small.fills[4].colour, 0xBu);
    EXPECT_EQ(small.fills.back().rect, (PixelRect{20, 43, 29, 51}));
    EXPECT_EQ(small.fills.back().colour, 0xCu);

    SetSurfaceContextMaker(nullptr);
    EXPECT_FALSE(data->PaintToBitmap(&surface, 0, 0, 40, 60));
    EXPECT_FALSE(data->PaintToBitmap(nullptr, 0, 0, 40, 60));
    static size_t fills = 0;
    struct Recorded : SurfaceContext {
        ~Recorded() override { fills = context.fills.size(); }
        DrawContext& Context() override { return context; }
        RecordingContext context;
    };
    SetSurfaceContextMaker([](DibSurface&) -> std::unique_ptr<SurfaceContext> { return std::make_unique<Recorded>(); });
    EXPECT_TRUE(data->PaintToBitmap(&surface, 0, 0, 40, 60));
    EXPECT_EQ(fills, 8u); // the progress grid went through the context
    SetSurfaceContextMaker(nullptr);
}

TEST_F(Graphs, SurveyAxesLabelDistancesAndDepths)
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
    std::vector<std::pair<int, int>> depthLabels; // (y, depth) of the labels at x = 8
    for (const auto& text : dc.texts)
        if (text.x == 8)
            depthLabels.push_back({text.y, std::stoi(text.text)});
    ASSERT_EQ(depthLabels.size(), 8u); // 9 m over 300 pixels: every metre, none at the ends
    std::sort(depthLabels.begin(), depthLabels.end());
    EXPECT_LT(depthLabels.front().second, depthLabels.back().second); // growing downward
    EXPECT_LE(depthLabels.back().second, 10);
}

TEST_F(Graphs, TrackMapPutsNorthAtTheTopAndRealScalingShrinksIt)
{
    // Two readings far from the pipe in the south, two over it in the north.
    auto data = Walk({{40, 0}, {50, 0}, {12, 30}, {24, 30}});
    data->ScatteredGridder().radius = 3;
    ASSERT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    float top = -n, bottom = -n;
    for (int x = 0; x < 200; ++x) {
        top = std::max(top, surface.GetValue(x, 0) != n ? surface.GetValue(x, 0) : -n);
        bottom = std::max(bottom, surface.GetValue(x, 99) != n ? surface.GetValue(x, 99) : -n);
    }
    EXPECT_GT(top, bottom + 1000.0f);

    Settings().realScaling = 1;
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(PaintTrackMap(*Walk({{0, 0}, {100, 0}, {100, 20}, {0, 20}, {50, 10}}), Settings(), surface, dc, rect, 7),
              GraphOutcome::Painted);
    // 100 m × 20 m in 200 × 100 pixels: 40 rows anchored at the top.
    int low = 100, high = -1;
    for (int x = 0; x < 200; ++x)
        if (const std::vector<int> rows = ValuedRows(x); !rows.empty()) {
            low = std::min(low, rows.front());
            high = std::max(high, rows.back());
        }
    EXPECT_EQ(low, 0);
    EXPECT_LE(high, 39);
}

TEST_F(Graphs, TrackSections)
{
    ASSERT_EQ(PaintTrackSection(*Walk({{0, 0}, {0, 0}, {5, 0}}, true), Settings(), surface, dc, rect),
              GraphOutcome::Painted);
    // The empty first record counts as zeros at the left edge; readings 0 and 1 stand 0.01 m
    // apart, so the left column shows them.
    EXPECT_NEAR(surface.GetValue(0, 50), 0.0f, 300.0f);
    EXPECT_GT(surface.GetValue(199, 50), 500.0f);
    EXPECT_EQ(Valued(), 200 * 100);

    Settings().realScaling = 1;
    Settings().pixelSize = 3;
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(PaintTrackSection(*Walk({{0, 0}, {1, 0}, {2, 0}}), Settings(), surface, dc, rect), GraphOutcome::Painted);
    // 2 m of track against 9 m of depth: a narrow block in the middle.
    const std::vector<int> columns = ValuedColumns(50);
    ASSERT_FALSE(columns.empty());
    EXPECT_GT(columns.front(), 60);
    EXPECT_LT(columns.back(), 140);
    EXPECT_NEAR(columns.front() + columns.back(), 199, 4);
}

TEST_F(Graphs, TrackProfileCurveShowsTheLatestReadings)
{
    Settings().pointsToShow = 5;
    std::vector<std::pair<double, double>> positions;
    for (int k = 0; k < 12; ++k)
        positions.push_back({2.0 * k, 0});
    auto data = Walk(positions);
    ASSERT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_TRUE(ColumnHolds(2, Converted(*data, 7, 7)));
    Settings().showScaleMarks = 1;
    ASSERT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    // The distance axis covers the 8 m between readings 7 and 11: labels 5 … at most 8.
    EXPECT_TRUE(dc.HasText("5"));
    EXPECT_FALSE(dc.HasText("10"));
}

TEST_F(Graphs, TrackViewDrawsReadingsLiveLinksAndTheCurrentReading)
{
    Settings().colourA = 0xA;
    Settings().colourC = 0xC;
    auto data = Walk({{0, 0}, {10, 0}, {10, 10}, {10, 10}});
    EXPECT_TRUE(data->PaintProgress(&dc, 0, 0, 104, 104));
    // 10 m × 10 m in 100 pixels: east right, north up. The repeated reading is skipped.
    ASSERT_EQ(dc.ellipses.size(), 5u); // 3 readings, the live position, the cursor
    EXPECT_EQ(dc.ellipses[0].box, (PixelRect{0, 100, 4, 104}));
    EXPECT_EQ(dc.ellipses[2].box, (PixelRect{100, 0, 104, 4}));
    // Cursor 0 after opening: a dashed line from reading 1 to the live position (the last reading).
    ASSERT_EQ(dc.lines.size(), 3u);
    EXPECT_EQ(dc.lines[2].style, PenStyle::Dash);
    EXPECT_EQ(dc.lines[2].x0, 102);
    EXPECT_EQ(dc.ellipses.back().box, (PixelRect{0, 100, 4, 104}));
    EXPECT_EQ(dc.ellipses.back().brush, 0xCu);

    // With a live fix the track ends there, and the cursor past the end marks it.
    data->SetCurrentFix(GpsFix{1.0, 1.0 + 5 / kMetresPerDegree, 0});
    for (int k = 0; k < 4; ++k)
        data->NextPosition();
    RecordingContext live, empty, single;
    EXPECT_TRUE(data->PaintProgress(&live, 0, 0, 104, 104));
    EXPECT_EQ(live.ellipses.back().box, (PixelRect{50, 100, 54, 104}));
    EXPECT_EQ(live.ellipses.back().brush, 0xCu);

    EXPECT_FALSE(Walk({})->PaintProgress(&empty, 0, 0, 104, 104));
    EXPECT_TRUE(empty.ellipses.empty());
    EXPECT_TRUE(Walk({{0, 0}})->PaintProgress(&single, 0, 0, 104, 104));
    ASSERT_FALSE(single.ellipses.empty());
    EXPECT_EQ(single.ellipses[0].box.left, 0); // a single reading sits at the left edge
}

TEST_F(Graphs, HundredThousandTrackReadingsPaint)
{
    auto data = GroundTrack(Settings(), 100000, 0.2);
    Settings().pixelSize = 2;
    data->ScatteredGridder().radius = 5;
    EXPECT_EQ(PaintTrackMap(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_EQ(PaintTrackSection(*data, Settings(), surface, dc, rect), GraphOutcome::Painted);
    EXPECT_EQ(PaintTrackProfileCurve(*data, Settings(), surface, dc, rect, 7), GraphOutcome::Painted);
    EXPECT_EQ(PaintLatestSoundingCurve(*data, Settings(), surface, rect, 99999), GraphOutcome::Painted);
    RecordingContext view;
    EXPECT_TRUE(data->PaintProgress(&view, 0, 0, 200, 100));
    EXPECT_LT(view.ellipses.size(), 100000u); // readings on the pixel of the one before are not drawn again
}

TEST_F(Graphs, TableSectionCellsFollowTheTableShallowestOnTop)
{
    const float xs[] = {0.0f, 10.0f, 20.0f}, ys[] = {1.0f, 5.0f};
    const float values[] = {1, 2, 3, 4, 5, 6}; // shallow row 1 2 3, deep row 4 5 6
    style.pixelSize = 10;
    ASSERT_EQ(Table(ValueTable{3, 2, xs, ys, values}, PixelRect{0, 0, 30, 20}, 3, 10.0f), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(5, 5), 1.0f);
    EXPECT_EQ(surface.GetValue(25, 5), 3.0f);
    EXPECT_EQ(surface.GetValue(15, 15), 5.0f);
    EXPECT_EQ(surface.GetValue(30, 5), n);
    EXPECT_EQ(surface.GetValue(5, 20), n);
    EXPECT_EQ(grey.GetRange(), std::make_pair(1.0f, 6.0f));
    EXPECT_EQ(surface.GetPixel(5, 5), 0u);        // the low end of the fitted chart
    EXPECT_EQ(surface.GetPixel(25, 15), kWhite); // the high end
    EXPECT_TRUE(dc.texts.empty());               // no axes unless asked
}

TEST_F(Graphs, TableSectionOfARunTakesItsShareOfTheProfile)
{
    const float xs[] = {0, 1, 2, 3, 4}, ys[] = {1.0f, 2.0f};
    const std::vector<float> values(10, 7.0f);
    style.manualRange = true;
    // Five of twenty stations on 100 pixels: (100 × 5 + 10) / 20 = 25 pixels.
    ASSERT_EQ(Table(ValueTable{5, 2, xs, ys, values.data()}, PixelRect{10, 0, 110, 40}, 20, 1.0f), GraphOutcome::Painted);
    const std::vector<int> left = ValuedColumns(10);
    ASSERT_EQ(left.size(), 25u);
    EXPECT_EQ(left.front(), 10);
    EXPECT_EQ(grey.GetRange(), std::make_pair(-100.0f, 100.0f)); // manual range kept
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(Table(ValueTable{5, 2, xs, ys, values.data()}, PixelRect{10, 0, 110, 40}, 20, 1.0f, true),
              GraphOutcome::Painted);
    const std::vector<int> right = ValuedColumns(10);
    ASSERT_EQ(right.size(), 25u);
    EXPECT_EQ(right.back(), 109); // hugs the right edge on an odd profile
}

TEST_F(Graphs, TableRealScalingKeepsProportionsCentred)
{
    const float xs[] = {0.0f, 10.0f, 20.0f}, ys[] = {0.0f, 10.0f}, deep[] = {0.0f, 40.0f};
    const std::vector<float> values(6, 1.0f);
    style.realScaling = true;
    // 20 m across 100 pixels, 10 m deep on 80: the length decides, 5 pixels a metre → 50 high.
    ASSERT_EQ(Table(ValueTable{3, 2, xs, ys, values.data()}, PixelRect{0, 0, 100, 80}, 3, 10.0f), GraphOutcome::Painted);
    const std::vector<int> rows = ValuedRows(50);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.front(), 15);
    EXPECT_EQ(ValuedColumns(40).size(), 100u);
    // 40 m deep on 80: the depth decides, 2 pixels a metre → 40 wide.
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(Table(ValueTable{3, 2, xs, deep, values.data()}, PixelRect{0, 0, 100, 80}, 3, 10.0f), GraphOutcome::Painted);
    const std::vector<int> columns = ValuedColumns(40);
    ASSERT_EQ(columns.size(), 40u);
    EXPECT_EQ(columns.front(), 30);

    // A map of 40 m across 100 pixels and 10 m over 80: the width decides, 25 pixels high.
    const float wide[] = {0.0f, 40.0f};
    style.showGrid = true;
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(Table(ValueTable{2, 2, wide, ys, values.data()}, PixelRect{0, 0, 100, 80}), GraphOutcome::Painted);
    const std::vector<int> mapRows = ValuedRows(20);
    ASSERT_EQ(mapRows.size(), 25u);
    EXPECT_EQ(mapRows.front(), (80 - 25) / 2);
    EXPECT_FALSE(dc.texts.empty());
}

TEST_F(Graphs, TableSectionAxesLabelDepthsDownward)
{
    const float xs[] = {0.0f, 50.0f}, ys[] = {0.0f, 5.0f};
    const std::vector<float> values(4, 1.0f);
    style.showScaleMarks = true;
    ASSERT_EQ(Table(ValueTable{2, 2, xs, ys, values.data()}, PixelRect{0, 0, 100, 100}, 2, 50.0f), GraphOutcome::Painted);
    // The horizontal axis first (0 .. 50 m on 100 pixels), then depths 5 at the bottom to 0 at the top.
    ASSERT_GE(dc.texts.size(), 4u);
    std::vector<std::string> last;
    for (auto t = dc.texts.end() - 4; t != dc.texts.end(); ++t)
        last.push_back(t->text);
    EXPECT_EQ(last, (std::vector<std::string>{"4", "3", "2", "1"}));
}

TEST_F(Graphs, TableMapPutsTheFirstProfileAtTheBottom)
{
    const float xs[] = {0.0f, 10.0f};
    const float values[] = {1.0f, 1.0f, 9.0f, 9.0f}; // first profile 1, second 9
    style.pixelSize = 20;
    ASSERT_EQ(Table(ValueTable{2, 2, xs, xs, values}, PixelRect{0, 0, 40, 40}), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(10, 10), 9.0f);
    EXPECT_EQ(surface.GetValue(10, 30), 1.0f);
    EXPECT_EQ(surface.GetValue(40, 10), n);
}

TEST_F(Graphs, GridValueRangeSkipsNoDataCells)
{
    const std::vector<float> grid = {n, 3.0f, -2.0f, n, 7.5f}, empty = {n, n};
    float low = 0, high = 0;
    ASSERT_TRUE(GridValueRange(grid.data(), grid.size(), low, high));
    EXPECT_EQ(low, -2.0f);
    EXPECT_EQ(high, 7.5f);
    EXPECT_FALSE(GridValueRange(empty.data(), empty.size(), low, high));
    EXPECT_FALSE(GridValueRange(nullptr, 4, low, high));
}

TEST_F(Graphs, CellBlocksCarryColourAndValueAndAreClippedToTheArea)
{
    ASSERT_EQ(Cells({0.0f, 10.0f, n, 5.0f, 10.0f, 10.0f}, 3, 3, PixelRect{1, 1, 9, 6}), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetPixel(1, 1), 0u); // cell (0, 0): pixels 1..3 × 1..3
    EXPECT_EQ(surface.GetPixel(3, 3), 0u);
    EXPECT_EQ(surface.GetValue(3, 3), 0.0f);
    EXPECT_EQ(surface.GetPixel(4, 1), 0x000000FFu); // cell (0, 1): pixels 4..6 × 1..3, red
    EXPECT_EQ(surface.GetValue(6, 3), 10.0f);
    EXPECT_EQ(surface.GetPixel(7, 1), kWhite); // cell (0, 2) is no-data: untouched
    EXPECT_EQ(surface.GetValue(7, 1), n);
    // Row 1 starts at y 4 and is cut at the area's bottom (6): rows 4 and 5 only.
    EXPECT_EQ(surface.GetPixel(1, 4), 0x00000080u); // 5 → 127.5 → 128
    EXPECT_EQ(surface.GetValue(1, 5), 5.0f);
    EXPECT_EQ(surface.GetValue(1, 6), n);
    EXPECT_EQ(surface.GetValue(8, 4), 10.0f); // cell (1, 2) cut to one column
    EXPECT_EQ(surface.GetValue(9, 4), n);
    EXPECT_EQ(surface.GetValue(0, 1), n); // nothing left of the area

    // One-pixel cells skip no-data and stop at the surface's edge.
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(Cells({1.0f, n, 3.0f, 4.0f, 5.0f, 6.0f}, 3, 1, PixelRect{198, 99, 220, 120}), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(198, 99), 1.0f);
    EXPECT_EQ(surface.GetPixel(198, 99), 0x0000001Au); // 1 → 25.5 → 26
    EXPECT_EQ(surface.GetPixel(199, 99), kWhite);
    EXPECT_EQ(Valued(), 1);

    // Row 0 can be the bottom row.
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(Cells({1.0f, 2.0f}, 1, 2, rect, true), GraphOutcome::Painted);
    EXPECT_EQ(surface.GetValue(1, 1), 2.0f);
    EXPECT_EQ(surface.GetValue(1, 3), 1.0f);
    EXPECT_EQ(Valued(), 8);
}

TEST_F(Graphs, PagesStartAtTheFirstUsedFrequencyFromTheAreaSetting)
{
    const struct {
        std::vector<int> used; // indices
        int32_t setting;
        int32_t number;
    } cases[] = {
        {{0, 5}, 1, 1}, {{5}, 1, 6},  {{3, 7}, 5, 8},  {{3, 7}, 9, 4}, // wraps past 14
        {{13}, 14, 14}, {{2}, 0, 3},  {{2}, 99, 3},                    // outside 1..14: still a walk
        {{}, 9, 9},     {{}, 0, 0},                                    // none used: the setting
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        Settings().usedFrequencies.fill(0);
        for (int f : c.used)
            Settings().usedFrequencies[static_cast<size_t>(f)] = 1;
        Settings().mapFrequencyNumber = c.setting;
        EXPECT_EQ(PageFrequencyNumber(Settings()), c.number);
    }
}

TEST_F(Graphs, DispatchPaintsEachGraphOrNamesTheRealRefusal)
{
    auto survey = GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
    auto track = GroundTrack(Settings(), 300);
    track->ScatteredGridder().radius = 8;
    auto paint = [&](DataSet& data, GraphKind kind, int f, PixelRect area = {0, 0, 200, 100},
                     GraphPosition position = {}) {
        return PaintGraph(data, Settings(), GraphRequest{kind, position, f, area}, surface, dc);
    };
    for (DataSet* data : {static_cast<DataSet*>(survey.get()), static_cast<DataSet*>(track.get())}) {
        for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve,
                               GraphKind::Progress}) {
            SCOPED_TRACE(static_cast<int>(kind));
            ASSERT_TRUE(surface.Clear());
            EXPECT_EQ(paint(*data, kind, 4, {0, 0, 200, 100}, {2, 5, 10}), GraphRefusal::None);
            if (kind != GraphKind::Progress) {
                EXPECT_GT(ValuedColumns(50).size() + ValuedColumns(20).size(), 0u); // for the tap-to-read label
            }
        }
    }

    Settings().usedFrequencies[0] = 0;
    const GraphPosition walked{2, 5, 0};
    EXPECT_EQ(paint(*survey, GraphKind::Map, 4, {0, 0, 200, 100}, walked), GraphRefusal::None);
    EXPECT_EQ(paint(*survey, GraphKind::Map, 0, {0, 0, 200, 100}, walked), GraphRefusal::FrequencyNotUsed);
    EXPECT_EQ(paint(*track, GraphKind::ProfileCurve, 14), GraphRefusal::FrequencyNotUsed);
    EXPECT_EQ(paint(*survey, GraphKind::Section, 0, {0, 0, 0, 100}), GraphRefusal::BadRectangle);
    EXPECT_EQ(paint(*track, GraphKind::Map, 4), GraphRefusal::None);
    Settings().pixelSize = 150; // a single cell row cannot be gridded
    EXPECT_EQ(paint(*track, GraphKind::Map, 4), GraphRefusal::TooSmall);

    Settings().workType = kWorkMap;
    SurveyDataSet empty(Settings());
    for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve}) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(paint(empty, kind, 4), GraphRefusal::TooFewReadings);
    }
}
