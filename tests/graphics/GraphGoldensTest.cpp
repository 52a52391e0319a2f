// Representative graphs of sessions measured by the instrument simulator over its ground (a
// buried pipe and a resistive block), against reviewed pictures.
#include <gtest/gtest.h>

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
        Settings().realScaling = 0;
        Settings().showGrid = 0;
        Settings().showScaleMarks = 0;
        ASSERT_TRUE(surface.Create(320, 240, 32));
        ASSERT_TRUE(surface.Clear());
    }
    // The pipe should show as the largest values of a map or section.
    float LargestValue() const
    {
        float largest = -kNoDataValue;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                if (surface.GetValue(x, y) != kNoDataValue)
                    largest = std::max(largest, surface.GetValue(x, y));
        return largest;
    }

    ValueSurface surface;
    const PixelRect whole{0, 0, 320, 240};
};

} // namespace

TEST_F(GraphGoldens, MapShowsThePipeAcrossTheProfiles)
{
    auto data = SimulatedSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawMap(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    // The pipe lies a sixth of the way along the 38 m profiles, at x 6.3 m.
    for (int y : {0, 120, 239}) {
        const float overPipe = surface.GetValue(int(6.33 / 38 * 320), y);
        const float aside = surface.GetValue(319, y);
        EXPECT_GT(overPipe, aside + 1000.0f) << y;
    }
    EXPECT_EQ(CompareWithGolden(surface, "survey_map"), "");
}

TEST_F(GraphGoldens, MapWithAxesAndGrid)
{
    Settings().showGrid = 1;
    Settings().showScaleMarks = 1;
    Settings().realScaling = 1;
    Settings().pixelSize = 4;
    auto data = SimulatedSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawMap(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_map_axes", kFontPixels), "");
}

TEST_F(GraphGoldens, SectionShowsThePipeAtItsDepth)
{
    Settings().showScaleMarks = 1;
    auto data = SimulatedSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawSection(*data, Settings(), surface, painter.Context(), whole, 0, 0), GraphOutcome::Painted);
    EXPECT_GT(LargestValue(), 3000.0f);
    EXPECT_EQ(CompareWithGolden(surface, "survey_section", kFontPixels), "");
}

TEST_F(GraphGoldens, SoundingCurveOverThePipe)
{
    Settings().showScaleMarks = 1;
    Settings().showGrid = 1;
    auto data = SimulatedSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    ASSERT_EQ(DrawSoundingCurve(*data, Settings(), surface, whole, 0, 12), GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_sounding"), "");
}

TEST_F(GraphGoldens, ProfileCurveWithAxes)
{
    Settings().showScaleMarks = 1;
    auto data = SimulatedSurvey(Settings(), 40, 1, 1.0f, 0.0f, 30);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_profile_curve", kFontPixels), "");
}

TEST_F(GraphGoldens, ProgressGridOfAHalfWalkedMap)
{
    auto data = SimulatedSurvey(Settings(), 20, 8, 1.0f, 1.0f, 50);
    for (int k = 0; k < 50; ++k)
        data->NextPosition();
    ASSERT_TRUE(data->PaintToBitmap(&surface, 0, 0, 320, 240));
    EXPECT_EQ(CompareWithGolden(surface, "survey_progress"), "");
}

TEST_F(GraphGoldens, TrackMapAndSection)
{
    auto data = SimulatedTrack(Settings(), 600, 1.0);
    SurfacePainter painter(surface);
    ASSERT_EQ(PaintTrackMap(*data, Settings(), surface, painter.Context(), whole, kPipeFrequency),
              GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "track_map"), "");
    ASSERT_TRUE(surface.Clear());
    ASSERT_EQ(PaintTrackSection(*data, Settings(), surface, painter.Context(), whole), GraphOutcome::Painted);
    EXPECT_GT(LargestValue(), 2000.0f);
    EXPECT_EQ(CompareWithGolden(surface, "track_section"), "");
}

TEST_F(GraphGoldens, TrackView)
{
    auto data = SimulatedTrack(Settings(), 120, 2.0);
    for (int k = 0; k < 60; ++k)
        data->NextPosition();
    ASSERT_TRUE(data->PaintToBitmap(&surface, 0, 0, 320, 240));
    EXPECT_EQ(CompareWithGolden(surface, "track_view"), "");
}
