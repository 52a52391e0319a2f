#include "graphics/ValueSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "graphics/BresenhamLine.h"
#include "graphics/NoDataValue.h"

namespace {

int Shifted(int coordinate, int64_t shift)
{
    return static_cast<int>(std::clamp<int64_t>(coordinate + shift, INT32_MIN, INT32_MAX));
}

} // namespace

bool ValueSurface::Create(int width, int height, int bitsPerPixel)
{
    values_.reset();
    const bool created = DibSurface::Create(width, height, bitsPerPixel);
    if (created) {
        const size_t count = IndexOf(0, Height());
        values_.reset(new (std::nothrow) float[count]);
        if (values_)
            std::fill(values_.get(), values_.get() + count, kNoDataValue);
    }
    return created;
}

bool ValueSurface::Clear()
{
    if (values_ && Bits() != nullptr)
        std::fill(values_.get(), values_.get() + IndexOf(0, Height()), kNoDataValue);
    return DibSurface::Clear();
}

float ValueSurface::SetValue(int x, int y, float value)
{
    if (!values_ || !Contains(x, y))
        return kNoDataValue;
    values_[IndexOf(x, y)] = value;
    NoteChange();
    return value;
}

float ValueSurface::GetValue(int x, int y) const
{
    if (!values_ || !Contains(x, y))
        return kNoDataValue;
    return values_[IndexOf(x, y)];
}

bool ValueSurface::FillBlock(const PixelRect& block, Colour colour, float value)
{
    if (Bits() == nullptr || !values_)
        return false;
    const int left = std::max(block.left, 0);
    const int right = std::min(block.right, Width());
    const int top = std::max(block.top, 0);
    const int bottom = std::min(block.bottom, Height());
    if (left >= right || top >= bottom)
        return true;
    const uint32_t pixel = ToPixel(colour);
    for (int y = top; y < bottom; ++y) {
        std::fill(Bits() + IndexOf(left, y), Bits() + IndexOf(right, y), pixel);
        std::fill(values_.get() + IndexOf(left, y), values_.get() + IndexOf(right, y), value);
    }
    NoteChange();
    return true;
}

bool ValueSurface::ValueLine(int x0, int y0, int x1, int y1, float va, float vb)
{
    if (Bits() == nullptr || !values_ || va == kNoDataValue || vb == kNoDataValue)
        return false;
    if (std::max(x0, x1) < 0 || std::min(x0, x1) >= Width() || std::max(y0, y1) < 0 ||
        std::min(y0, y1) >= Height())
        return true;
    const int64_t major = std::max(std::llabs(static_cast<int64_t>(x1) - x0),
                                   std::llabs(static_cast<int64_t>(y1) - y0));
    const float increment = major != 0 ? (vb - va) / static_cast<float>(major) : 0.0f;
    float value = va;
    WalkBresenham(x0, y0, x1, y1, [&](int64_t x, int64_t y, int64_t step) {
        if (step > 0)
            value += increment;
        if (x >= 0 && y >= 0 && x < Width() && y < Height())
            SetValue(static_cast<int>(x), static_cast<int>(y), value);
    });
    return true;
}

bool ValueSurface::ThickValueLine(int x0, int y0, int x1, int y1, float va, float vb, int halfWidth)
{
    if (halfWidth < 1 || Bits() == nullptr || !values_ || va == kNoDataValue || vb == kNoDataValue)
        return false;
    const bool flat = std::llabs(static_cast<int64_t>(x1) - x0) > std::llabs(static_cast<int64_t>(y1) - y0);
    // Only shifts that bring the line onto the surface draw anything; the rest are skipped
    // (they would succeed without effect), which also keeps coordinates within int.
    const int64_t a = flat ? y0 : x0;
    const int64_t b = flat ? y1 : x1;
    const int64_t size = flat ? Height() : Width();
    const int64_t first = std::max<int64_t>(-halfWidth, -std::max(a, b));
    const int64_t last = std::min<int64_t>(halfWidth, size - 1 - std::min(a, b));
    for (int64_t shift = first; shift <= last; ++shift) {
        const bool drawn = flat ? ValueLine(x0, Shifted(y0, shift), x1, Shifted(y1, shift), va, vb)
                                : ValueLine(Shifted(x0, shift), y0, Shifted(x1, shift), y1, va, vb);
        if (!drawn)
            return false;
    }
    return true;
}
