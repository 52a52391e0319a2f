#pragma once
#include <QImage>
#include <QPainter>

#include "graphics/DibSurface.h"
#include "graphics/PainterContext.h"
#include "graphics/SurfaceContext.h"

// A drawing context over a surface's own memory (the memory device context of the surface).
// The surface must outlive it and must not be re-created while it exists.
class SurfacePainter : public SurfaceContext {
public:
    explicit SurfacePainter(DibSurface& surface);
    SurfacePainter(const SurfacePainter&) = delete;
    SurfacePainter& operator=(const SurfacePainter&) = delete;

    // False when the surface has no memory; the context then draws into a scratch pixel.
    bool IsActive() const { return active_; }
    DrawContext& Context() override { return context_; }

private:
    bool active_;
    QImage image_;
    QPainter painter_;
    PainterContext context_;
};

// Makes OpenSurfaceContext (and so PaintToBitmap) draw through SurfacePainter.
void InstallSurfacePainters();
