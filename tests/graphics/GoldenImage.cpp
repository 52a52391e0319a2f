#include "GoldenImage.h"

#include <QImage>
#include <cstdlib>

#include "graphics/SurfacePng.h"

std::string CompareWithGolden(const DibSurface& surface, const std::string& name, int fontPixels)
{
    const std::string path = std::string(LUR_GOLDEN_DIR) + "/" + name + ".png";
    if (const char* regenerate = std::getenv("LUR_REGENERATE_GOLDEN"); regenerate && std::string(regenerate) == "1") {
        std::string error;
        return SaveSurfacePng(surface, path, &error) ? std::string() : error;
    }
    const QImage golden = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    if (golden.isNull())
        return "missing golden " + path;
    if (golden.width() != surface.Width() || golden.height() != surface.Height())
        return "size differs from " + path;
    int differing = 0;
    for (int y = 0; y < surface.Height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(golden.constScanLine(y));
        for (int x = 0; x < surface.Width(); ++x)
            differing += (row[x] & 0x00FFFFFFu) != (surface.Bits()[y * surface.Width() + x] & 0x00FFFFFFu) ? 1 : 0;
    }
    if (differing > fontPixels)
        return std::to_string(differing) + " pixels differ from " + path;
    return {};
}
