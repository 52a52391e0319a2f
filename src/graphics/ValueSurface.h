#pragma once
#include <memory>

#include "graphics/DibSurface.h"
#include "graphics/PixelRect.h"

// A DibSurface with a parallel layer of one float per pixel (same top-down layout): the value
// each pixel shows, kNoDataValue where none. Owns both; UI thread only.
class ValueSurface : public DibSurface {
public:
    // A failed value allocation leaves the layer absent and still reports the pixel result.
    bool Create(int width, int height, int bitsPerPixel) override;
    bool Clear() override;

    // Returns the value, or kNoDataValue when (x, y) is outside or there is no layer.
    float SetValue(int x, int y, float value);
    float GetValue(int x, int y) const;
    bool HasValues() const { return values_ != nullptr; }
    // The value layer, laid out like Bits(); null when absent.
    float* Values() { return values_.get(); }

    // Sets every pixel of the block (clipped to the surface) to colour and value; counts as
    // one change. False without pixels or layer.
    bool FillBlock(const PixelRect& block, Colour colour, float value);

    // Values along the Bresenham line of DrawLine, running linearly from va to vb.
    bool ValueLine(int x0, int y0, int x1, int y1, float va, float vb);
    // 2 × halfWidth + 1 value lines side by side, shifted across the line's main direction.
    bool ThickValueLine(int x0, int y0, int x1, int y1, float va, float vb, int halfWidth);

private:
    std::unique_ptr<float[]> values_;
};
