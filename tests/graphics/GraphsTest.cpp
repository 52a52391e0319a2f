// Survey, track and table graphs and the page dispatcher, on synthetic ground (a pipe in
// layered ground) with a known quadrature everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "RecordingContext.h"
#include "graphics/GraphDispatch.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/TableGraphs.h"
#include "graphics/TrackGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

using testing_support::GroundSurvey;
using testing_support::GroundTrack;

namespace {

constexpr Colour kWhite = 0x00FFFFFF;

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
    void OnlyFrequencies(const std::vector<int>& used)
    {
        Settings().usedFrequencies.fill(0);
        for (int i : used)
            Settings().usedFrequencies[size_t(i)] = 1;
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
                count += surface.GetValue(x, y) != kNoDataValue ? 1 : 0;
        return count;
    }

    ValueSurface surface;
    RecordingContext dc;
    const PixelRect rect{0, 0, 200, 100};
    GraphStyle style;
    BilinearGridder gridder;
    ColorChart grey = TwoStops(kWhite, -100.0f, 100.0f);
};

} // namespace

// Every graph refuses what it cannot show, paints nothing then, and clips what it can.
TEST_F(Graphs, RefusalsAndDegenerateInput)
{
    const float xs[] = {0.0f, 10.0f}, same[] = {3.0f, 3.0f}, flat[] = {5.0f, 5.0f, 5.0f, 5.0f};
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
        // Survey sections and maps.
        {"section one freq", [&] { OnlyFrequencies({5}); return DrawSection(*GroundSurvey(Settings(), 30, 1, 1, 0, 30), Settings(), surface, dc, rect, 0, 0); }, O::NotPainted, 0},
        {"map 1.5 profiles", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 15), Settings(), surface, dc, rect, 0, 0, 2); }, O::NotPainted, 0},
        {"map cell clipped", [&] { Settings().pixelSize = 10; return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{5, 5, 8, 7}, 0, 0, 7); }, O::Painted, 6},
        {"map huge rect", [&] { return DrawMap(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 1 << 30, 1 << 30}, 0, 0, 7); }, O::NotPainted, 0},
        {"section inverted", [&] { return DrawSection(*GroundSurvey(Settings(), 10, 3, 1, 1, 30), Settings(), surface, dc, PixelRect{0, 0, 100, -5}, 0, 0); }, O::NotPainted, 0},
        // Track graphs: four measured readings for a map (no area: see the radius gridder's refusals).
        {"track 3 readings", [&] { return PaintTrackMap(*GroundTrack(Settings(), 3), Settings(), surface, dc, rect, 7); }, O::NotPainted, 0},
        {"track profile 1 reading", [&] { return PaintTrackProfileCurve(*GroundTrack(Settings(), 1), Settings(), surface, dc, rect, 0); }, O::NotPainted, 0},
        {"track profile 2 readings", [&] { return PaintTrackProfileCurve(*GroundTrack(Settings(), 2), Settings(), surface, dc, rect, 0); }, O::Painted, 495},
        {"track 4 readings", [&] { return PaintTrackMap(*GroundTrack(Settings(), 4), Settings(), surface, dc, rect, 0); }, O::Painted, 4635},
        {"track map 1x1", [&] { return PaintTrackMap(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}, 7); }, O::TooSmall, 0},
        {"track section 1x1", [&] { return PaintTrackSection(*GroundTrack(Settings(), 200), Settings(), surface, dc, PixelRect{3, 3, 4, 4}); }, O::Painted, 1},
        // Tables.
        {"table thin rect", [&] { return DrawMapTable(ValueTable{2, 2, xs, xs, flat}, style, gridder, grey, surface, dc, PixelRect{5, 5, 5, 9}); }, O::TooSmall, 0},
        {"table real no extent", [&] { style.realScaling = true; return DrawMapTable(ValueTable{2, 2, same, same, flat}, style, gridder, grey, surface, dc, PixelRect{0, 0, 40, 40}); }, O::NotPainted, 0},
        {"table flat 1x1", [&] {
             style.pixelSize = 10;
             const GraphOutcome outcome = DrawMapTable(ValueTable{2, 2, xs, xs, flat}, style, gridder, grey, surface, dc, PixelRect{3, 3, 4, 4});
             EXPECT_EQ(grey.GetRange(), std::make_pair(-100.0f, 100.0f)); // an empty range is refused
             EXPECT_EQ(surface.GetValue(3, 3), 5.0f);
             return outcome;
         }, O::Painted, 1},
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
}

// The walk is scaled into the view wherever it leads from its start, the live position included.
TEST_F(Graphs, TrackViewHoldsTheWholeWalk)
{
    constexpr double kLatitude = 55.75, kLongitude = 37.6, kMetre = 1.0 / 111195.0;
    const auto fix = [&](double east, double north) {
        return GpsFix{kLatitude + north * kMetre, kLongitude + east * kMetre / std::cos(kLatitude * M_PI / 180), 0};
    };
    SessionImage image;
    image.track = true;
    for (const GpsFix& f : {fix(0, 0), fix(-20, 0), fix(-20, -20)}) {
        image.records.push_back(testing_support::GroundRecord(0, 0));
        image.fixes.push_back(f);
    }
    auto data = TrackDataSet::LoadTrackBody(image, Settings());
    ASSERT_TRUE(data->SetCurrentFix(fix(10, 10)));
    ASSERT_TRUE(data->PaintProgress(&dc, 0, 0, 104, 104));
    // Circles of radius 2 around the readings and the live position, in the frame 2 pixels inside.
    std::vector<int> xs, ys;
    for (const PixelRect& e : dc.ellipses) {
        xs.push_back((e.left + e.right) / 2);
        ys.push_back((e.top + e.bottom) / 2);
    }
    ASSERT_FALSE(xs.empty());
    const auto [left, right] = std::minmax_element(xs.begin(), xs.end());
    const auto [top, bottom] = std::minmax_element(ys.begin(), ys.end());
    EXPECT_EQ(std::tuple(*left, *right, *top, *bottom), std::tuple(2, 102, 2, 102));
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
        OnlyFrequencies(c.used);
        Settings().mapFrequencyNumber = c.setting;
        EXPECT_EQ(PageFrequencyNumber(Settings()), c.number);
    }
}

// Unused frequencies and a too small grid are refused through lurctl render (tests/app).
TEST_F(Graphs, DispatchNamesTheRealRefusal)
{
    auto paint = [&](DataSet& data, GraphKind kind, PixelRect area = {0, 0, 200, 100}) {
        return PaintGraph(data, Settings(), GraphRequest{kind, {}, 4, area}, surface, dc);
    };
    EXPECT_EQ(paint(*GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100), GraphKind::Section, {0, 0, 0, 100}),
              GraphRefusal::BadRectangle);
    Settings().workType = kWorkMap;
    SurveyDataSet empty(Settings());
    for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve})
        EXPECT_EQ(paint(empty, kind), GraphRefusal::TooFewReadings) << static_cast<int>(kind);
}

// Readings taken before the first fix (at 0° 0°) have no position: the map, the section and
// the track view show exactly what they show of the walk without them, instead of a frame
// stretched to the equator.
TEST_F(Graphs, ReadingsWithoutAPositionAreLeftOut)
{
    const auto walk = GroundTrack(Settings(), 80);
    SessionImage withBlind, without;
    withBlind.track = without.track = true;
    for (size_t k = 0; k < walk->RecordCount(); ++k) {
        const bool blind = k < 6; // no fix yet
        withBlind.records.push_back(walk->Record(k));
        withBlind.fixes.push_back(blind ? GpsFix{} : walk->FixAt(k));
        if (!blind) {
            without.records.push_back(walk->Record(k));
            without.fixes.push_back(walk->FixAt(k));
        }
    }
    Settings().showScaleMarks = 1;
    struct Picture {
        std::vector<float> values;
        std::vector<std::string> texts;
        std::vector<PixelRect> ellipses;
    };
    const auto paint = [&](const SessionImage& image, GraphKind kind) {
        auto data = TrackDataSet::LoadTrackBody(image, Settings());
        data->SetCursor(uint32_t(data->RecordCount()));
        ValueSurface painted;
        RecordingContext recorded;
        EXPECT_TRUE(painted.Create(200, 100, 32) && painted.Clear());
        EXPECT_EQ(PaintGraph(*data, Settings(), GraphRequest{kind, {}, 3, rect}, painted, recorded),
                  GraphRefusal::None);
        Picture p;
        for (int y = 0; y < painted.Height(); ++y)
            for (int x = 0; x < painted.Width(); ++x)
                p.values.push_back(painted.GetValue(x, y));
        for (const auto& t : recorded.texts)
            p.texts.push_back(t.text);
        p.ellipses = recorded.ellipses;
        return p;
    };
    for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::Progress}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const Picture a = paint(withBlind, kind), b = paint(without, kind);
        EXPECT_EQ(a.values, b.values);
        EXPECT_EQ(a.texts, b.texts);
        ASSERT_EQ(a.ellipses.size(), b.ellipses.size());
        for (size_t i = 0; i < a.ellipses.size(); ++i)
            EXPECT_EQ(std::tuple(a.ellipses[i].left, a.ellipses[i].top),
                      std::tuple(b.ellipses[i].left, b.ellipses[i].top));
        if (kind == GraphKind::Map) { // the axes span the walk's metres
            EXPECT_FALSE(a.texts.empty());
            for (const std::string& label : a.texts)
                EXPECT_LT(std::fabs(std::atof(label.c_str())), 200.0) << label;
        }
    }
}

// A long profile at true proportions keeps a readable height: at least 60 pixels where the
// graph has them, its proportions where they give more.
TEST(SectionLayout, ALongProfileAtTrueProportionsIsNoThinnerThanSixtyPixels)
{
    const float depths[] = {1.0f, 4.0f, 10.0f};
    GraphStyle style;
    style.realScaling = true;
    const auto height = [&](int stations, int pixelHeight) {
        std::vector<float> xs(static_cast<size_t>(stations)), values(static_cast<size_t>(stations) * 3, 1.0f);
        for (int k = 0; k < stations; ++k)
            xs[static_cast<size_t>(k)] = float(k);
        const ValueTable table{stations, 3, xs.data(), depths, values.data()};
        CellBlock block;
        EXPECT_TRUE(SectionCellBlock(table, stations, 1.0f, style, PixelRect{0, 0, 1280, pixelHeight}, block));
        return block.ny;
    };
    EXPECT_EQ(60, height(500, 700));  // 9 m of depth over 499 m: 23 pixels in proportion
    EXPECT_EQ(40, height(500, 40));   // the graph has no more than that
    EXPECT_EQ(235, height(50, 700));  // a short profile keeps its proportions: 9 x 1280 / 49
}
