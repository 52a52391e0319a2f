#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "graphics/FontRuntime.h"
#include "graphics/SurfacePainter.h"
#include "graphics/SurfacePng.h"
#include "graphics/ValueSurface.h"
#include "support/TempDir.h"

// fontconfig keeps its caches until exit; LeakSanitizer reads this when the build uses it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

constexpr Colour kWhite = 0x00FFFFFF;

class Painter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureFontRuntime()); }
    void SetUp() override
    {
        ASSERT_TRUE(surface.Create(120, 60, 32));
        ASSERT_TRUE(surface.Clear());
    }

    int CountColour(const PixelRect& area, Colour colour) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += surface.GetPixel(x, y) == colour ? 1 : 0;
        return count;
    }

    ValueSurface surface;
};

} // namespace

TEST_F(Painter, TextStaysInsideItsMeasuredBox)
{
    SurfacePainter painter(surface);
    DrawContext& dc = painter.Context();
    const TextSize size = dc.TextExtent("12345");
    EXPECT_GT(size.width, dc.TextExtent("1").width);
    dc.SetTextColour(0x00C80000);
    dc.TextOut(10, 20, "12345");
    const PixelRect box{10, 20, 10 + size.width, 20 + size.height};
    EXPECT_GT(CountColour(box, 0x00C80000), 10);
    EXPECT_EQ(CountColour(PixelRect{0, 0, 120, 60}, 0x00C80000), CountColour(box, 0x00C80000));
    // Antialiasing is off: only the text colour and the background.
    EXPECT_EQ(CountColour(box, 0x00C80000) + CountColour(box, kWhite), size.width * size.height);
    dc.TextOut(40, 40, "Ошибка"); // UTF-8
    EXPECT_GT(CountColour(PixelRect{40, 40, 120, 60}, 0x00C80000), 10);
}

TEST_F(Painter, PngKeepsThePixelsAndFailuresAreReported)
{
    surface.SetPixel(0, 0, 0x000000FF);
    surface.SetPixel(119, 59, 0x00123456);
    testing_support::TempDir dir;
    const std::string path = dir.File("graph.png");
    std::string error;
    ASSERT_TRUE(SaveSurfacePng(surface, path, &error)) << error;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path)));
    ASSERT_EQ(image.size(), QSize(120, 60));
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(119, 59), 0xFF563412u);
    EXPECT_FALSE(image.hasAlphaChannel());

    EXPECT_FALSE(SaveSurfacePng(surface, "/nonexistent-directory/graph.png", &error));
    EXPECT_FALSE(error.empty());
    DibSurface empty;
    SurfacePainter painter(empty);
    EXPECT_FALSE(painter.IsActive());
    painter.Context().FillRect(PixelRect{0, 0, 10, 10}, 0);
    EXPECT_EQ(empty.Bits(), nullptr);
}
