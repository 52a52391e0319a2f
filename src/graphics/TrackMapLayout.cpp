#include "graphics/TrackMapLayout.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "graphics/RadiusGridder.h"

namespace {

int Nearest(float v)
{
    return static_cast<int>(v + 0.5f);
}

// A position as the gridder gets it: the layout and the pixels of positions share these,
// so both come to the same floats.
float LaidX(const TrackMapLayout& layout, float east)
{
    return east * layout.stretchX;
}

float LaidY(const TrackMapLayout& layout, float north)
{
    return (layout.flip - north) * layout.stretchY;
}

// Pixels from the area's edge to a point `cells` cells in.
int PixelOffset(float cells, int pixelSize)
{
    constexpr double kLimit = 1 << 20;
    const double pixels = std::floor(static_cast<double>(cells) * pixelSize);
    return std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, -kLimit, kLimit));
}

} // namespace

GraphOutcome LayOutTrackMap(const std::vector<float>& east, const std::vector<float>& north, const PixelRect& rect,
                            int pixelSize, bool realScaling, TrackMapLayout& layout)
{
    const size_t m = east.size();
    if (m < 4 || north.size() != m)
        return GraphOutcome::NotPainted;
    const auto [xLow, xHigh] = std::minmax_element(east.begin(), east.end());
    const auto [yLow, yHigh] = std::minmax_element(north.begin(), north.end());
    const float minX = *xLow, maxX = *xHigh, minY = *yLow, maxY = *yHigh;
    if (minX == maxX || minY == maxY)
        return GraphOutcome::NotPainted;
    layout.flip = maxY + minY; // north into row 0, at the top

    const int ps = std::max(pixelSize, 1);
    PixelRect area = rect;
    const float sx = (maxX - minX) / static_cast<float>(area.Width());
    const float sy = (maxY - minY) / static_cast<float>(area.Height());
    layout.stretchX = layout.stretchY = 1;
    if (!realScaling) {
        // Stretch the narrower extent so the data fill both axes of the square cells.
        if (sx <= sy)
            layout.stretchX = sy / sx;
        else
            layout.stretchY = sx / sy;
    } else if (sx <= sy) {
        area.right = area.left + std::min(Nearest((maxX - minX) / sy), area.Width());
    } else {
        area.bottom = area.top + std::min(Nearest((maxY - minY) / sx), area.Height());
    }
    layout.pixelSize = ps;
    layout.area = area;
    layout.nx = (area.Width() + ps - 1) / ps;
    layout.ny = (area.Height() + ps - 1) / ps;
    if (layout.nx < 2 || layout.ny < 2)
        return GraphOutcome::TooSmall;
    try {
        layout.x.resize(m);
        layout.y.resize(m);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    for (size_t k = 0; k < m; ++k) {
        layout.x[k] = LaidX(layout, east[k]);
        layout.y[k] = LaidY(layout, north[k]);
    }
    // The frame the radius gridder works out from the same extents.
    const auto [gxLow, gxHigh] = std::minmax_element(layout.x.begin(), layout.x.end());
    const auto [gyLow, gyHigh] = std::minmax_element(layout.y.begin(), layout.y.end());
    layout.cell = std::min((*gxHigh - *gxLow) / static_cast<float>(layout.nx - 1),
                           (*gyHigh - *gyLow) / static_cast<float>(layout.ny - 1));
    layout.left = *gxLow;
    layout.top = *gyLow;
    return GraphOutcome::Painted;
}

PixelPoint TrackMapPixel(const TrackMapLayout& layout, float east, float north)
{
    const float column = RadiusGridder::CellCoordinate(LaidX(layout, east), layout.left, layout.cell);
    const float row = RadiusGridder::CellCoordinate(LaidY(layout, north), layout.top, layout.cell);
    return {layout.area.left + PixelOffset(column, layout.pixelSize),
            layout.area.top + PixelOffset(row, layout.pixelSize)};
}
