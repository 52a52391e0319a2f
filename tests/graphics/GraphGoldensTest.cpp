// Representative graphs of sessions measured by the instrument simulator over its ground (a
// buried pipe and a resistive block), against reviewed pictures.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GoldenImage.h"
#include "graphics/FontRuntime.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/TrackGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SimulatedGround.h"

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using testing_support::SimulatedSurvey;
using testing_support::SimulatedTrack;

// Labels may render a little differently from machine to machine.
constexpr int kFontPixels = 600;
// Frequency index 7 senses the ground down to about 4 m, just below the pipe's axis.
constexpr int kPipeFrequency = 7;

class GraphGoldens : public testing_support::SettingsTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(EnsureFontRuntime());
        InstallSurfacePainters();
    }
    void SetUp() override
    {
        SettingsTest::SetUp();
        ASSERT_TRUE(surface.Create(320, 240, 32));
    }
    void Defaults()
    {
        Settings().realScaling = 0;
        Settings().pixelSize = 1;
    }
    ValueSurface surface;
    const PixelRect whole{0, 0, 320, 240};
};

} // namespace

TEST_F(GraphGoldens, SimulatedSessions)
{
    struct Case {
        const char* golden;
        int fontPixels;
        bool grid, marks;
        std::function<bool()> paint;
        float largestAbove; // the pipe's values in a section; 0: not checked
    };
    constexpr auto P = GraphOutcome::Painted;
    const Case cases[] = {
        {"survey_map", 0, false, false, [&] {
             SurfacePainter p(surface);
             auto data = SimulatedSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
             return DrawMap(*data, Settings(), surface, p.Context(), whole, 0, 0, kPipeFrequency) == P;
         }, 0.0f},
        {"survey_map_axes", kFontPixels, true, true, [&] {
             SurfacePainter p(surface);
             Settings().realScaling = 1;
             Settings().pixelSize = 4;
             auto data = SimulatedSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
             return DrawMap(*data, Settings(), surface, p.Context(), whole, 0, 0, kPipeFrequency) == P;
         }, 0.0f},
        {"survey_section", kFontPixels, false, true, [&] {
             SurfacePainter p(surface);
             return DrawSection(*SimulatedSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30), Settings(), surface, p.Context(),
                                whole, 0, 0) == P;
         }, 3000.0f},
        {"survey_sounding", 0, true, true, [&] {
             return DrawSoundingCurve(*SimulatedSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30), Settings(), surface, whole, 0,
                                      12) == P;
         }, 0.0f},
        {"survey_profile_curve", kFontPixels, false, true, [&] {
             SurfacePainter p(surface);
             return DrawProfileCurve(*SimulatedSurvey(Settings(), 40, 1, 1.0f, 0.0f, 30), Settings(), surface,
                                     p.Context(), whole, 0, 0, kPipeFrequency) == P;
         }, 0.0f},
        {"survey_progress", 0, false, false, [&] {
             auto data = SimulatedSurvey(Settings(), 20, 8, 1.0f, 1.0f, 50);
             for (int k = 0; k < 50; ++k)
                 data->NextPosition();
             return data->PaintToBitmap(&surface, 0, 0, 320, 240);
         }, 0.0f},
        {"track_map", 0, false, false, [&] {
             SurfacePainter p(surface);
             return PaintTrackMap(*SimulatedTrack(Settings(), 600, 1.0), Settings(), surface, p.Context(), whole,
                                  kPipeFrequency) == P;
         }, 0.0f},
        {"track_section", 0, false, false, [&] {
             SurfacePainter p(surface);
             return PaintTrackSection(*SimulatedTrack(Settings(), 600, 1.0), Settings(), surface, p.Context(), whole) == P;
         }, 2000.0f},
        {"track_view", 0, false, false, [&] {
             auto data = SimulatedTrack(Settings(), 120, 2.0);
             for (int k = 0; k < 60; ++k)
                 data->NextPosition();
             return data->PaintToBitmap(&surface, 0, 0, 320, 240);
         }, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Defaults();
        Settings().showGrid = c.grid;
        Settings().showScaleMarks = c.marks;
        ASSERT_TRUE(surface.Clear());
        ASSERT_TRUE(c.paint());
        if (c.largestAbove > 0.0f) {
            float largest = -kNoDataValue;
            for (int y = 0; y < surface.Height(); ++y)
                for (int x = 0; x < surface.Width(); ++x)
                    if (surface.GetValue(x, y) != kNoDataValue)
                        largest = std::max(largest, surface.GetValue(x, y));
            EXPECT_GT(largest, c.largestAbove);
        }
        if (std::string(c.golden) == "survey_map") {
            // The pipe lies a sixth of the way along the 38 m profiles, at x 6.3 m.
            for (int y : {0, 120, 239})
                EXPECT_GT(surface.GetValue(int(6.33 / 38 * 320), y), surface.GetValue(319, y) + 1000.0f) << y;
        }
        EXPECT_EQ(CompareWithGolden(surface, c.golden, c.fontPixels), "");
    }
}
