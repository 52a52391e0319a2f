// Representative graphs of deterministic sessions over a synthetic ground (a buried pipe)
// against reviewed pictures.
#include <gtest/gtest.h>

#include "GoldenImage.h"
#include "graphics/FontRuntime.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/TrackGraphs.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using testing_support::GroundSurvey;
using testing_support::GroundTrack;

// Labels may render a little differently from machine to machine.
constexpr int kFontPixels = 600;
// Frequency index 7 lies at 4 m, the depth of the pipe.
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

TEST_F(GraphGoldens, MapShowsThePipeAsADiagonalBand)
{
    auto data = GroundSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawMap(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    // Over the pipe at the first profile (x = 12 m: station 6) the value is far above the background.
    const float overPipe = surface.GetValue(6 * 320 / 19, 239);
    const float aside = surface.GetValue(319, 239);
    EXPECT_GT(overPipe, aside + 1000.0f);
    EXPECT_EQ(CompareWithGolden(surface, "survey_map"), "");
}

TEST_F(GraphGoldens, MapWithAxesAndGrid)
{
    Settings().showGrid = 1;
    Settings().showScaleMarks = 1;
    Settings().realScaling = 1;
    Settings().pixelSize = 4;
    auto data = GroundSurvey(Settings(), 20, 12, 2.0f, 2.0f, 240);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawMap(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_map_axes", kFontPixels), "");
}

TEST_F(GraphGoldens, SectionShowsThePipeAtItsDepth)
{
    Settings().showScaleMarks = 1;
    auto data = GroundSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawSection(*data, Settings(), surface, painter.Context(), whole, 0, 0), GraphOutcome::Painted);
    EXPECT_GT(LargestValue(), 3000.0f);
    EXPECT_EQ(CompareWithGolden(surface, "survey_section", kFontPixels), "");
}

TEST_F(GraphGoldens, SoundingCurveOverThePipe)
{
    Settings().showScaleMarks = 1;
    Settings().showGrid = 1;
    auto data = GroundSurvey(Settings(), 30, 1, 1.0f, 0.0f, 30);
    ASSERT_EQ(DrawSoundingCurve(*data, Settings(), surface, whole, 0, 12), GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_sounding"), "");
}

TEST_F(GraphGoldens, ProfileCurveWithAxes)
{
    Settings().showScaleMarks = 1;
    auto data = GroundSurvey(Settings(), 40, 1, 1.0f, 0.0f, 30);
    SurfacePainter painter(surface);
    ASSERT_EQ(DrawProfileCurve(*data, Settings(), surface, painter.Context(), whole, 0, 0, kPipeFrequency),
              GraphOutcome::Painted);
    EXPECT_EQ(CompareWithGolden(surface, "survey_profile_curve", kFontPixels), "");
}

TEST_F(GraphGoldens, ProgressGridOfAHalfWalkedMap)
{
    auto data = GroundSurvey(Settings(), 20, 8, 1.0f, 1.0f, 50);
    for (int k = 0; k < 50; ++k)
        data->NextPosition();
    ASSERT_TRUE(data->PaintToBitmap(&surface, 0, 0, 320, 240));
    EXPECT_EQ(CompareWithGolden(surface, "survey_progress"), "");
}

TEST_F(GraphGoldens, TrackMapAndSection)
{
    auto data = GroundTrack(Settings(), 600);
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
    auto data = GroundTrack(Settings(), 120, 2.0);
    for (int k = 0; k < 60; ++k)
        data->NextPosition();
    ASSERT_TRUE(data->PaintToBitmap(&surface, 0, 0, 320, 240));
    EXPECT_EQ(CompareWithGolden(surface, "track_view"), "");
}
