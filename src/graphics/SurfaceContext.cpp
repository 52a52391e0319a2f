#include "graphics/SurfaceContext.h"

namespace {

SurfaceContextMaker gMaker = nullptr;

} // namespace

void SetSurfaceContextMaker(SurfaceContextMaker maker)
{
    gMaker = maker;
}

std::unique_ptr<SurfaceContext> OpenSurfaceContext(DibSurface& surface)
{
    if (gMaker == nullptr || surface.Bits() == nullptr)
        return nullptr;
    return gMaker(surface);
}
