#pragma once
#include <memory>

#include "graphics/DibSurface.h"
#include "graphics/DrawContext.h"

// A drawing context over a surface's own memory: the memory device context of a surface.
// Painting code in the core opens one through the maker the program installs (the Qt one
// lives in lurgraphics); without a maker no context can be made. The surface must outlive
// the context and must not be re-created while it exists.
class SurfaceContext {
public:
    virtual ~SurfaceContext() = default;
    virtual DrawContext& Context() = 0;
};

using SurfaceContextMaker = std::unique_ptr<SurfaceContext> (*)(DibSurface& surface);

// Process-wide; set once at start-up from the main thread.
void SetSurfaceContextMaker(SurfaceContextMaker maker);

// Null without a maker, or when the surface has no memory.
std::unique_ptr<SurfaceContext> OpenSurfaceContext(DibSurface& surface);
