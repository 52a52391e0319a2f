#include "graphics/SurfacePainter.h"

namespace {

QImage ImageOver(DibSurface& surface)
{
    if (surface.Bits() == nullptr)
        return QImage(1, 1, QImage::Format_RGB32);
    return QImage(reinterpret_cast<uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                  surface.BytesPerLine(), QImage::Format_RGB32);
}

std::unique_ptr<SurfaceContext> MakeSurfacePainter(DibSurface& surface)
{
    return std::make_unique<SurfacePainter>(surface);
}

} // namespace

SurfacePainter::SurfacePainter(DibSurface& surface)
    : active_(surface.Bits() != nullptr), image_(ImageOver(surface)), painter_(&image_), context_(painter_)
{
}

void InstallSurfacePainters()
{
    SetSurfaceContextMaker(MakeSurfacePainter);
}
