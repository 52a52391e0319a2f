// The inverted section against a slow reading of its definition: the nearest station's layer
// at each pixel's depth, coloured on a log scale, faded below the depth of investigation,
// blank where a station has no result; and the page's dispatcher placing stations and
// readings where the other graphs do.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "RecordingContext.h"
#include "graphics/GraphDispatch.h"
#include "graphics/GraphSettings.h"
#include "graphics/InvertedSection.h"
#include "graphics/NoDataValue.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

namespace {

constexpr Colour kWhite = 0x00FFFFFF;

InversionResult Layered(std::vector<double> sigma, std::vector<double> thickness, double doi)
{
    InversionResult result;
    result.model = {std::move(sigma), std::move(thickness)};
    result.doi = doi;
    return result;
}

ColorChart Chart()
{
    ColorChart chart;
    for (Colour c : {0x00FF0000u, 0x0000FF00u, 0x000000FFu})
        chart.AddStop(c);
    return chart;
}

struct Expected {
    bool blank = true;
    double value = 0;
    bool faded = false;
    double depth = 0;
    size_t station = 0;
};

// What the pixel (px, py) shows, found the slow way: the nearest station by distance, the
// layer holding the pixel's depth.
Expected Slow(const std::vector<InvertedColumn>& columns, const DepthScale& depth, int valueKind, int px, int py)
{
    const size_t n = columns.size();
    const double x0 = columns[0].x - (columns[1].x - columns[0].x) / 2;
    const double x1 = columns[n - 1].x + (columns[n - 1].x - columns[n - 2].x) / 2;
    const double x = x0 + (px - depth.area.left + 0.5) * (x1 - x0) / depth.area.Width();
    size_t nearest = 0;
    for (size_t k = 1; k < n; ++k)
        if (std::fabs(columns[k].x - x) <= std::fabs(columns[nearest].x - x))
            nearest = k;
    Expected e;
    e.station = nearest;
    const InversionResult* r = columns[nearest].result;
    if (!r || r->refusal != StationRefusal::None)
        return e;
    e.blank = false;
    e.depth = depth.DepthAt(py);
    e.value = InvertedValue(r->model.ConductivityAt(e.depth), valueKind);
    e.faded = e.depth > r->doi;
    return e;
}

class InvertedSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surface.Create(240, 140, 32));
        ASSERT_TRUE(surface.Clear());
        results = {Layered({0.02, 0.2, 0.05}, {1.0, 2.0}, 5.0), Layered({0.03, 0.15, 0.04}, {1.5, 1.0}, 4.2),
                   Layered({0.5}, {}, 1.0), Layered({0.01, 0.1}, {0.7}, 3.1)};
        results[2].refusal = StationRefusal::Saturated;
        // Stations 1 m apart: the third refused, the fourth not inverted yet.
        columns = {{0, &results[0]}, {1, &results[1]}, {2, &results[2]}, {3, nullptr}, {4, &results[3]}};
    }
    // Every pixel of the stations' area against Slow; the pixels faded and blank.
    void ExpectEveryPixel(const InvertedSectionStyle& style, const DepthScale& depth, int& faded, int& blank)
    {
        // The chart's range: the log10 of the smallest and largest value above the depths of investigation.
        float low = INFINITY, high = -INFINITY;
        for (const InvertedColumn& c : columns) {
            if (!c.result || c.result->refusal != StationRefusal::None)
                continue;
            for (size_t j = 0; j < c.result->model.Layers(); ++j) {
                if (j > 0 && c.result->model.Top(j) >= c.result->doi)
                    break;
                const float v = float(std::log10(InvertedValue(c.result->model.conductivity[j], style.valueKind)));
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
        ColorChart chart = style.chart;
        chart.SetRange(low, high);
        faded = blank = 0;
        for (int y = depth.area.top; y < depth.area.bottom; ++y)
            for (int x = depth.area.left; x < depth.area.right; ++x) {
                const Expected e = Slow(columns, depth, style.valueKind, x, y);
                SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y << " station " << e.station);
                if (e.blank) {
                    ++blank;
                    ASSERT_EQ(surface.GetValue(x, y), kNoDataValue);
                    ASSERT_EQ(surface.GetPixel(x, y), kWhite);
                    continue;
                }
                ASSERT_FLOAT_EQ(surface.GetValue(x, y), float(e.value)) << "depth " << e.depth;
                const Colour colour = chart.ColorAt(float(std::log10(e.value)));
                ASSERT_EQ(surface.GetPixel(x, y), e.faded ? FadedBelowInvestigation(colour) : colour);
                faded += e.faded;
            }
    }

    ValueSurface surface;
    RecordingContext dc;
    std::vector<InversionResult> results;
    std::vector<InvertedColumn> columns;
};

TEST_F(InvertedSectionTest, EachPixelIsTheNearestStationsLayerAtItsDepthOnALogScale)
{
    for (int valueKind : {1, 0}) {
        for (bool axes : {false, true}) {
            SCOPED_TRACE(testing::Message() << "kind " << valueKind << (axes ? " with scales" : ""));
            ASSERT_TRUE(surface.Clear());
            dc.texts.clear();
            InvertedSectionStyle style;
            style.valueKind = valueKind;
            style.chart = Chart();
            style.axes = axes;
            DepthScale depth;
            ASSERT_EQ(DrawInvertedSection(columns, style, surface, dc, PixelRect{0, 0, 240, 140}, depth),
                      GraphOutcome::Painted);
            // The depth reaches whole metres a quarter below the deepest depth of investigation.
            EXPECT_FLOAT_EQ(depth.metresPerPixel * float(depth.area.Height()), std::ceil(5.0f * 1.25f));
            EXPECT_EQ(depth.area.left, axes ? 22 : 0);
            EXPECT_EQ(depth.area.bottom, axes ? 120 : 140);
            int faded = 0, blank = 0;
            ExpectEveryPixel(style, depth, faded, blank);
            EXPECT_GT(faded, 0);
            // The refused station and the one not inverted yet: a fifth of the width each.
            EXPECT_NEAR(blank, 2 * depth.area.Width() / 5 * depth.area.Height(), 2 * depth.area.Height());

            // The colour bar beside them rises from the smallest value to the largest, labelled so.
            const int bar = depth.area.right + 6;
            const float top = surface.GetValue(bar, depth.area.top), bottom = surface.GetValue(bar, depth.area.bottom - 1);
            const double largest = valueKind == 0 ? 1 / 0.01 : 200.0, smallest = valueKind == 0 ? 1 / 0.2 : 10.0;
            EXPECT_NEAR(top, largest, 0.02 * largest);
            EXPECT_NEAR(bottom, smallest, 0.02 * smallest);
            ASSERT_GE(dc.texts.size(), 3u);
            char label[32];
            std::snprintf(label, sizeof label, "%.3g", largest);
            EXPECT_EQ(dc.texts[0].text, label);
            EXPECT_EQ(dc.texts[0].y, depth.area.top);
            // With scales, the depth labels count metres down from the surface.
            bool depthLabel = false;
            for (const RecordingContext::Text& t : dc.texts)
                depthLabel |= t.x < depth.area.left && t.text == "4";
            EXPECT_EQ(depthLabel, axes);
        }
    }
}

TEST_F(InvertedSectionTest, NothingIsPaintedWithoutAnInvertedStation)
{
    DepthScale depth;
    InvertedSectionStyle style;
    const std::vector<InvertedColumn> none = {{0, nullptr}, {1, &results[2]}};
    EXPECT_EQ(DrawInvertedSection(none, style, surface, dc, PixelRect{0, 0, 240, 140}, depth), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawInvertedSection({}, style, surface, dc, PixelRect{0, 0, 240, 140}, depth), GraphOutcome::NotPainted);
    EXPECT_EQ(DrawInvertedSection(columns, style, surface, dc, PixelRect{0, 0, 30, 140}, depth), GraphOutcome::TooSmall);
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            ASSERT_EQ(surface.GetValue(x, y), kNoDataValue);
    // A single station spans the width.
    EXPECT_EQ(DrawInvertedSection({{0, &results[0]}}, style, surface, dc, PixelRect{0, 0, 240, 140}, depth),
              GraphOutcome::Painted);
    EXPECT_NE(surface.GetValue(depth.area.left, 0), kNoDataValue);
    EXPECT_NE(surface.GetValue(depth.area.right - 1, 0), kNoDataValue);
}

// A ground the same under every station still spreads over the colour chart: its one value in
// the chart's middle, not off its end; values below 1 (a resistive ground in мСм/м) included.
TEST_F(InvertedSectionTest, AUniformGroundIsPaintedInTheChartsMiddle)
{
    for (double sigma : {0.05, 0.0005}) {
        SCOPED_TRACE(sigma);
        std::vector<InversionResult> uniform(3, Layered({sigma}, {}, 4.0));
        const std::vector<InvertedColumn> flat = {{0, &uniform[0]}, {1, &uniform[1]}, {2, &uniform[2]}};
        InvertedSectionStyle style;
        style.chart = Chart();
        style.valueKind = 1;
        DepthScale depth;
        ASSERT_EQ(DrawInvertedSection(flat, style, surface, dc, PixelRect{0, 0, 240, 140}, depth),
                  GraphOutcome::Painted);
        EXPECT_EQ(0x0000FF00u, surface.GetPixel(depth.area.left + 10, depth.area.top + 5));
        EXPECT_FLOAT_EQ(float(1000 * sigma), surface.GetValue(depth.area.left + 10, depth.area.top + 5));
    }
}

// Through the page's dispatcher: a survey's stations at their places along the profile, a
// track's readings along the distance walked, each with its own slot's result.
class InvertedSectionGraphs : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        ASSERT_TRUE(surface.Create(300, 150, 32));
        ASSERT_TRUE(surface.Clear());
        Settings().showScaleMarks = Settings().showGrid = 0;
        Settings().apparentValueKind = 1;
    }
    // Each slot's own ground: its first layer's conductivity tells the slot.
    const InversionResult* Ground(size_t slot)
    {
        if (!grounds.contains(slot))
            grounds[slot] = Layered({0.001 * double(slot + 1), 0.2}, {1.0}, 3.0);
        return &grounds.at(slot);
    }

    ValueSurface surface;
    RecordingContext dc;
    std::map<size_t, InversionResult> grounds;
};

TEST_F(InvertedSectionGraphs, StationsAndReadingsStandWhereTheOtherGraphsPutThem)
{
    // A map of 6 × 3 stations 2 m apart, the first two profiles and one station measured.
    const auto survey = testing_support::GroundSurvey(Settings(), 6, 3, 2.0f, 1.0f, 13);
    InvertedResults results = [&](size_t slot) { return slot == 7 ? nullptr : Ground(slot); };
    DepthScale depth;
    GraphRequest request{GraphKind::InvertedSection, {1, 0, 0}, 0, PixelRect{0, 0, 300, 150}, &results, &depth};
    ASSERT_EQ(PaintGraph(*survey, Settings(), request, surface, dc), GraphRefusal::None);
    // Profile 1 is walked backwards: station s is record 11 − s; record 7 (station 4) has no result.
    const int columnWidth = depth.area.Width() / 6;
    for (uint32_t s = 0; s < 6; ++s) {
        const int x = depth.area.left + columnWidth * int(s) + columnWidth / 2;
        const float expected = s == 4 ? kNoDataValue : float(1000 * 0.001 * double(11 - s + 1));
        EXPECT_FLOAT_EQ(surface.GetValue(x, depth.area.top), expected) << "station " << s;
    }
    // Profile 2 holds one reading, at station 0: its column spans the profile's first sixth.
    ASSERT_TRUE(surface.Clear());
    request.position.profile = 2;
    ASSERT_EQ(PaintGraph(*survey, Settings(), request, surface, dc), GraphRefusal::None);
    EXPECT_FLOAT_EQ(surface.GetValue(depth.area.left + 1, depth.area.top), 13.0f);
    EXPECT_EQ(surface.GetValue(depth.area.left + 2 * columnWidth, depth.area.top), kNoDataValue);
    // Without results there is nothing to paint.
    InvertedResults nothing = [](size_t) -> const InversionResult* { return nullptr; };
    request.inverted = &nothing;
    EXPECT_EQ(PaintGraph(*survey, Settings(), request, surface, dc), GraphRefusal::TooFewReadings);

    // A track's readings along the distance walked: the first at the left, the last at the right.
    const auto track = testing_support::GroundTrack(Settings(), 40);
    ASSERT_TRUE(surface.Clear());
    request.inverted = &results;
    ASSERT_EQ(PaintGraph(*track, Settings(), request, surface, dc), GraphRefusal::None);
    EXPECT_FLOAT_EQ(surface.GetValue(depth.area.left, depth.area.top), 1.0f);
    EXPECT_FLOAT_EQ(surface.GetValue(depth.area.right - 1, depth.area.top), 40.0f);
}

} // namespace
