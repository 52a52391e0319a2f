// Representative graphs of sessions measured by the instrument simulator over its ground (a
// buried pipe and a resistive block), against reviewed pictures.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GoldenImage.h"
#include "graphics/FontRuntime.h"
#include "graphics/GraphDispatch.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
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
    ValueSurface surface;
    const PixelRect whole{0, 0, 320, 240};
};

} // namespace

// Through the pages' dispatcher, as the measurement pages paint them.
TEST_F(GraphGoldens, SimulatedSessions)
{
    struct Case {
        const char* golden;
        int fontPixels;
        bool marks, grid;
        int pixelSize;                      // 4: with real scaling too
        int xSize, ySize, measured, xStep; // a survey; xSize 0: a track of `measured` readings xStep m apart
        int walked;                         // positions walked on from the start
        GraphKind kind;
        GraphPosition position;
        float largestAbove; // the pipe's values; 0: not checked
    };
    const Case cases[] = {
        {"survey_map", 0, false, false, 1, 20, 12, 240, 2, 0, GraphKind::Map, {}, 0.0f},
        {"survey_map_axes", kFontPixels, true, true, 4, 20, 12, 240, 2, 0, GraphKind::Map, {}, 0.0f},
        {"survey_section", kFontPixels, true, false, 1, 30, 1, 30, 1, 0, GraphKind::Section, {}, 3000.0f},
        {"survey_sounding", 0, true, true, 1, 30, 1, 30, 1, 0, GraphKind::SoundingCurve, {0, 12, 0}, 0.0f},
        {"survey_profile_curve", kFontPixels, true, false, 1, 40, 1, 30, 1, 0, GraphKind::ProfileCurve, {}, 0.0f},
        {"survey_progress", 0, false, false, 1, 20, 8, 50, 1, 50, GraphKind::Progress, {}, 0.0f},
        {"track_map", 0, false, false, 1, 0, 0, 600, 1, 0, GraphKind::Map, {}, 0.0f},
        {"track_section", 0, false, false, 1, 0, 0, 600, 1, 0, GraphKind::Section, {}, 2000.0f},
        {"track_view", 0, false, false, 1, 0, 0, 120, 2, 60, GraphKind::Progress, {}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Settings().showScaleMarks = c.marks;
        Settings().showGrid = c.grid;
        Settings().pixelSize = c.pixelSize;
        Settings().realScaling = c.pixelSize > 1;
        std::unique_ptr<DataSet> data;
        if (c.xSize > 0)
            data = SimulatedSurvey(Settings(), c.xSize, c.ySize, float(c.xStep), float(c.ySize > 1 ? c.xStep : 0), size_t(c.measured));
        else
            data = SimulatedTrack(Settings(), size_t(c.measured), double(c.xStep));
        for (int k = 0; k < c.walked; ++k)
            data->NextPosition();
        ASSERT_TRUE(surface.Clear());
        {
            SurfacePainter painter(surface);
            ASSERT_EQ(PaintGraph(*data, Settings(), GraphRequest{c.kind, c.position, kPipeFrequency, whole}, surface,
                                 painter.Context()),
                      GraphRefusal::None);
        }
        float largest = -kNoDataValue; // views carry no values
        for (int k = 0; k < surface.Width() * surface.Height() && c.kind != GraphKind::Progress; ++k)
            if (const float v = surface.GetValue(k % surface.Width(), k / surface.Width()); v != kNoDataValue)
                largest = std::max(largest, v);
        EXPECT_TRUE(c.kind == GraphKind::Progress || largest > c.largestAbove) << largest;
        if (c.golden == std::string("survey_map")) {
            // The pipe lies a sixth of the way along the 38 m profiles, at x 6.3 m.
            for (int y : {0, 120, 239})
                EXPECT_GT(surface.GetValue(int(6.33 / 38 * 320), y), surface.GetValue(319, y) + 1000.0f) << y;
        }
        EXPECT_EQ(CompareWithGolden(surface, c.golden, c.fontPixels), "");
    }
}
