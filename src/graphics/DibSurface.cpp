#include "graphics/DibSurface.h"

#include <algorithm>
#include <new>

#include "graphics/BresenhamLine.h"

DibSurface::~DibSurface()
{
    Release();
}

bool DibSurface::Create(int width, int height, int bitsPerPixel)
{
    Release();
    if (bitsPerPixel != 32 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    bits_.reset(new (std::nothrow) uint32_t[count]);
    if (!bits_)
        return false;
    std::fill(bits_.get(), bits_.get() + count, 0u);
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    return true;
}

bool DibSurface::Clear()
{
    if (!bits_)
        return false;
    std::fill(bits_.get(), bits_.get() + IndexOf(0, height_), 0x00FFFFFFu);
    NoteChange();
    return true;
}

bool DibSurface::Release()
{
    bits_.reset();
    width_ = 0;
    height_ = 0;
    bitsPerPixel_ = 0;
    changeCounter_ = 0;
    return true;
}

Colour DibSurface::SetPixel(int x, int y, Colour colour)
{
    if (!bits_ || !Contains(x, y))
        return kNoColour;
    bits_[IndexOf(x, y)] = ToPixel(colour);
    NoteChange();
    return colour;
}

Colour DibSurface::GetPixel(int x, int y) const
{
    if (!bits_ || !Contains(x, y))
        return kNoColour;
    return FromPixel(bits_[IndexOf(x, y)]);
}

bool DibSurface::DrawLine(int x0, int y0, int x1, int y1, Colour colour)
{
    if (!bits_ || colour == kNoColour)
        return false;
    // A line that misses the surface altogether needs no walk.
    if (std::max(x0, x1) >= 0 && std::min(x0, x1) < width_ && std::max(y0, y1) >= 0 &&
        std::min(y0, y1) < height_) {
        WalkBresenham(x0, y0, x1, y1, [&](int64_t x, int64_t y, int64_t) {
            if (x >= 0 && y >= 0 && x < width_ && y < height_)
                SetPixel(static_cast<int>(x), static_cast<int>(y), colour);
        });
    }
    NoteChange();
    return true;
}
