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
        Settings().realScaling = Settings().showGrid = Settings().showScaleMarks = 0;
        Settings().pointsToShow = Settings().filterProfileCurve = 0;
        Settings().pixelSize = 1;
        Settings().usedFrequencies.fill(1);
    }
    void OnlyFrequencies(std::initializer_list<int> used)
    {
        Settings().usedFrequencies.fill(0);
        for (int i : used)
            Settings().usedFrequencies[size_t(i)] = 1;
    }
    // Readings at the given positions in metres east and north of 1° N 1° E.
    std::unique_ptr<TrackDataSet> Walk(const std::vector<std::pair<double, double>>& metres)
    {
        SessionImage image;
        image.track = true;
        for (size_t k = 0; k < metres.size(); ++k) {
            const auto [east, north] = metres[k];
            image.records.push_back(GroundRecord(east, north, uint32_t(k)));
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
    int Valued() const
    {
        int count = 0;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                count += surface.GetValue(x, y) != n ? 1 : 0;
        return count;
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
        int valued; // pixels that carry a value
    };
    using O = GraphOutcome;
    const Case cases[] = {
        // Survey sounding curves need two distinct used frequencies.
        {"sounding one freq", [&] { OnlyFrequencies({3}); return DrawSoundingCurve(*GroundSurvey(Settings(), 10, 1, 1, 0, 5), Settings(), surface, rect, 0, 2); }, O::NotPainted, 0},
        // Survey profile curves.
        {"profile one station", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 1), Settings(), surface, dc, rect, 0, 0, 7); }, O::NotPainted, 0},
        {"profile unmeasured", [&] { return DrawProfileCurve(*GroundSurvey(Settings(), 20, 1, 1, 0, 5), Settings(), surface, dc, rect, 0, 10, 7); }, O::NotPainted, 0},
        // Survey sections and maps.
        {"section one freq", [&] { OnlyFrequencies({5}); return DrawSection(*GroundSurvey(Settings(), 30, 1, 1, 0, 30), Settings(), surface, dc, rect, 0, 0); }, O::NotPainted, 0},
        {"map 1.5 profiles", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 15), Settings(), surface, dc, rect, 0, 0, 2); }, O::NotPainted, 0},
        {"map cell clipped", [&] { Settings().pixelSize = 10; return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0, 7); }, O::Painted, 6},
        {"map huge rect", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 1 << 30}, 0, 0, 7); }, O::NotPainted, 0},
        {"section inverted", [&] { return DrawSection(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 100, -5}, 0, 0); }, O::NotPainted, 0},
        {"map real no steps", [&] { Settings().realScaling = 1; return DrawMap(*GroundSurvey(Settings(), 10, 3, 0, 0, 30), Settings(), surface, dc, rect, 0, 0, 7); }, O::NotPainted, 0},
        // Track graphs: four measured readings spread over an area for a map.
        {"track 3 readings", [&] { return PaintTrackMap(*Walk({{0, 0}, {10, 0}, {10, 10}}), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track one latitude", [&] { return PaintTrackMap(*Walk({{0, 5}, {10, 5}, {20, 5}, {30, 5}, {40, 5}}), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track section 1 reading", [&] { return PaintTrackSection(*Walk({{0, 0}}), Settings(), surface, dc, rect); }, O::NotPainted, 0},
        {"track profile 1 reading", [&] { return PaintTrackProfileCurve(*Walk({{60, 0}}), Settings(), surface, dc, rect, 0); }, O::NotPainted, 0},
        {"track map 1x1", [&] { return PaintTrackMap(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}, 7); }, O::TooSmall, 0},
        {"track section 1x1", [&] { return PaintTrackSection(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}); }, O::Painted, 1},
        // Tables.
        {"table thin rect", [&] { return DrawMapTable(ValueTable{2, 2, xs, xs, flat}, style, gridder, grey, surface, dc, PixelRect{5, 5, 5, 9}); }, O::TooSmall, 0},
        {"table run under a pixel", [&] { return DrawSectionTable(ValueTable{2, 2, xs, xs, flat}, 1000, 1.0f, false, style, gridder, grey, surface, dc, PixelRect{0, 0, 100, 40}); }, O::TooSmall, 0},
        {"table real no extent", [&] { style.realScaling = true; return DrawMapTable(ValueTable{2, 2, same, same, flat}, style, gridder, grey, surface, dc, PixelRect{0, 0, 40, 40}); }, O::NotPainted, 0},
        {"table flat 1x1", [&] {
             style.pixelSize = 10;
             const GraphOutcome outcome = DrawMapTable(ValueTable{2, 2, xs, xs, flat}, style, gridder, grey, surface, dc, PixelRect{3, 3, 4, 4});
             EXPECT_EQ(grey.GetRange(), std::make_pair(-100.0f, 100.0f)); // an empty range is refused
             EXPECT_EQ(surface.GetValue(3, 3), 5.0f);
             return outcome;
         }, O::Painted, 1},
        {"cells no memory", [&] { return Outcome(PaintCells(none, ones.data(), 2, 2, 1, rect, false, red)); }, O::NotPainted, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Defaults();
        style = GraphStyle{};
        grey = TwoStops(kWhite, -100.0f, 100.0f);
        ASSERT_TRUE(surface.Clear());
        EXPECT_EQ(c.paint(), c.expected);
        EXPECT_EQ(Valued(), c.valued);
    }
}

TEST_F(Graphs, SurveyProfileCurveTakesTheRunsShareAndTheLatestStations)
{
    auto data = GroundSurvey(Settings(), 20, 2, 1.0f, 1.0f, 25); // profile 1: stations 19..15 measured
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 1, 17, 7), GraphOutcome::Painted);
    // Five stations of twenty on an odd profile: a quarter of 196 pixels, hugging the right edge.
    EXPECT_EQ(CurveColumns(), std::make_pair(198 - 49, 198));

    Settings().pointsToShow = 3;
    data = GroundSurvey(Settings(), 20, 1, 1.0f, 0.0f, 10);
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, dc, rect, 0, 9, 7), GraphOutcome::Painted);
    EXPECT_EQ(CurveColumns(), std::make_pair(2, 198));
    bool latestAtLeft = false; // station 7, the first of the last three
    for (int y = 0; y < 100; ++y)
        latestAtLeft |= surface.GetValue(2, y) == Converted(*data, 7, 7) && surface.GetPixel(2, y) == kCurveColour;
    EXPECT_TRUE(latestAtLeft);
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
}

TEST_F(Graphs, SurveyProgressGrids)
{
    Settings().colourA = 0xA;
    auto data = GroundSurvey(Settings(), 400, 1, 1.0f, 0.0f, 6);
    ASSERT_TRUE(data->PaintProgress(&dc, 0, 0, 150, 60));
    // A crowded profile: one fill per pixel column (x = 1: station 2), then the current cell.
    ASSERT_EQ(dc.fills.size(), 150u);
    EXPECT_EQ(dc.fills[0].rect, (PixelRect{1, 51, 2, 59}));

    data = GroundSurvey(Settings(), 4, 2, 1.0f, 1.0f, 5);
    data->StoreRecord(0, MeasurementRecord{}); // station 0 of profile 0 not measured
    for (int k = 0; k < 5; ++k)
        data->NextPosition(); // (1, 2)
    RecordingContext small;
    ASSERT_TRUE(data->PaintProgress(&small, 0, 0, 40, 62));
    // Two profiles of four cells, rows 10 pixels high below a 2-pixel remainder.
    ASSERT_EQ(small.fills.size(), 8u);
    EXPECT_EQ(small.fills[3].rect, (PixelRect{0, 53, 9, 61})); // profile 0, station 0: cleared
    EXPECT_EQ(small.fills[3].colour, 0xAu);

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

TEST_F(Graphs, TrackViewDrawsReadingsLiveLinksAndTheCurrentReading)
{
    Settings().colourA = 0xA;
    Settings().colourC = 0xC;
    auto data = Walk({{0, 0}, {10, 0}, {10, 10}, {10, 10}});
    // With a live fix the track ends there, and the cursor past the end marks it.
    data->SetCurrentFix(GpsFix{1.0, 1.0 + 5 / kMetresPerDegree, 0});
    for (int k = 0; k < 4; ++k)
        data->NextPosition();
    RecordingContext live, empty;
    EXPECT_TRUE(data->PaintProgress(&live, 0, 0, 104, 104));
    EXPECT_EQ(live.ellipses.back().box, (PixelRect{50, 100, 54, 104}));
    EXPECT_EQ(live.ellipses.back().brush, 0xCu);

    EXPECT_FALSE(Walk({})->PaintProgress(&empty, 0, 0, 104, 104));
    EXPECT_TRUE(empty.ellipses.empty());
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
}

TEST_F(Graphs, PagesStartAtTheFirstUsedFrequencyFromTheAreaSetting)
{
    const struct {
        std::vector<int> used; // indices
        int32_t setting;
        int32_t number;
    } cases[] = {
        {{0, 5}, 1, 1}, {{3, 7}, 5, 8}, {{3, 7}, 9, 4}, // wraps past 14
        {{13}, 14, 14}, {{2}, 0, 3},    {{2}, 99, 3},   // outside 1..14: still a walk
        {{}, 9, 9},                                     // none used: the setting
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
    for (GraphKind kind : {GraphKind::ProfileCurve, GraphKind::SoundingCurve}) { // the goldens paint the rest
        SCOPED_TRACE(static_cast<int>(kind));
        ASSERT_TRUE(surface.Clear());
        EXPECT_EQ(paint(*track, kind, 4, {0, 0, 200, 100}, {2, 5, 10}), GraphRefusal::None);
        EXPECT_GT(Valued(), 0); // for the tap-to-read label
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
    for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve})
        EXPECT_EQ(paint(empty, kind, 4), GraphRefusal::TooFewReadings) << static_cast<int>(kind);
}
