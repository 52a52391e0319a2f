// Representative graphs of sessions measured by the instrument simulator over its ground (a
// buried pipe and a resistive block), against reviewed pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>

#include "GoldenImage.h"
#include "graphics/FontRuntime.h"
#include "graphics/GraphDispatch.h"
#include "graphics/SurfacePainter.h"
#include "graphics/SurfacePng.h"
#include "support/SettingsFixture.h"
#include "support/SimulatedGround.h"
#include "support/TempDir.h"

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
    };
    const Case cases[] = {
        {"survey_map", 0, false, false, 1, 20, 12, 240, 2, 0, GraphKind::Map, {}},
        {"survey_map_axes", kFontPixels, true, true, 4, 20, 12, 240, 2, 0, GraphKind::Map, {}},
        {"survey_section", kFontPixels, true, false, 1, 30, 1, 30, 1, 0, GraphKind::Section, {}},
        {"survey_sounding", 0, true, true, 1, 30, 1, 30, 1, 0, GraphKind::SoundingCurve, {0, 12, 0}},
        {"survey_profile_curve", kFontPixels, true, false, 1, 40, 1, 30, 1, 0, GraphKind::ProfileCurve, {}},
        {"survey_progress", 0, false, false, 1, 20, 8, 50, 1, 50, GraphKind::Progress, {}},
        {"track_map", 0, false, false, 1, 0, 0, 600, 1, 0, GraphKind::Map, {}},
        {"track_section", 0, false, false, 1, 0, 0, 600, 1, 0, GraphKind::Section, {}},
        {"track_map_axes", kFontPixels, true, true, 4, 0, 0, 600, 1, 0, GraphKind::Map, {}},
        {"track_profile_curve_axes", kFontPixels, true, true, 1, 0, 0, 600, 1, 0, GraphKind::ProfileCurve, {}},
        {"track_view", 0, false, false, 1, 0, 0, 120, 2, 60, GraphKind::Progress, {}},
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
        EXPECT_EQ(CompareWithGolden(surface, c.golden, c.fontPixels), "");
    }
}

// Goldens are only written on request, so the PNG writer needs a check of its own.
TEST_F(GraphGoldens, PngKeepsThePixelsAndFailuresAreReported)
{
    ASSERT_TRUE(surface.Clear());
    surface.SetPixel(0, 0, 0x000000FF);
    surface.SetPixel(319, 239, 0x00123456);
    testing_support::TempDir dir;
    const std::string path = dir.File("graph.png");
    std::string error;
    ASSERT_TRUE(SaveSurfacePng(surface, path, &error)) << error;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path)));
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(319, 239), 0xFF563412u);
    EXPECT_FALSE(image.hasAlphaChannel());
    EXPECT_FALSE(SaveSurfacePng(surface, "/nonexistent-directory/graph.png", &error));
    EXPECT_FALSE(error.empty());
    DibSurface empty;
    SurfacePainter painter(empty);
    EXPECT_FALSE(painter.IsActive());
    painter.Context().FillRect(PixelRect{0, 0, 10, 10}, 0);
    EXPECT_EQ(empty.Bits(), nullptr);
}
