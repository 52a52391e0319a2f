#include "graphics/TrackMapLayout.h"

#include <algorithm>
#include <new>

namespace {

int Nearest(float v)
{
    return static_cast<int>(v + 0.5f);
}

} // namespace

GraphOutcome LayOutTrackMap(const std::vector<float>& east, const std::vector<float>& north, const PixelRect& rect,
                            int pixelSize, bool realScaling, TrackMapLayout& layout)
{
    const size_t m = east.size();
    if (m < 4 || north.size() != m)
        return GraphOutcome::NotPainted;
    try {
        layout.x = east;
        layout.y = north;
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const auto [xLow, xHigh] = std::minmax_element(east.begin(), east.end());
    const auto [yLow, yHigh] = std::minmax_element(north.begin(), north.end());
    const float minX = *xLow, maxX = *xHigh, minY = *yLow, maxY = *yHigh;
    if (minX == maxX || minY == maxY)
        return GraphOutcome::NotPainted;
    const float flip = maxY + minY;
    for (float& y : layout.y) // north into row 0, at the top
        y = flip - y;

    const int ps = std::max(pixelSize, 1);
    PixelRect area = rect;
    const float sx = (maxX - minX) / static_cast<float>(area.Width());
    const float sy = (maxY - minY) / static_cast<float>(area.Height());
    if (!realScaling) {
        // Stretch the narrower extent so the data fill both axes of the square cells.
        if (sx <= sy) {
            for (float& x : layout.x)
                x *= sy / sx;
        } else {
            for (float& y : layout.y)
                y *= sx / sy;
        }
    } else if (sx <= sy) {
        area.right = area.left + std::min(Nearest((maxX - minX) / sy), area.Width());
    } else {
        area.bottom = area.top + std::min(Nearest((maxY - minY) / sx), area.Height());
    }
    layout.area = area;
    layout.nx = (area.Width() + ps - 1) / ps;
    layout.ny = (area.Height() + ps - 1) / ps;
    if (layout.nx < 2 || layout.ny < 2)
        return GraphOutcome::TooSmall;
    // The cell the radius gridder works out from the same extents.
    const auto [gxLow, gxHigh] = std::minmax_element(layout.x.begin(), layout.x.end());
    const auto [gyLow, gyHigh] = std::minmax_element(layout.y.begin(), layout.y.end());
    layout.cell = std::min((*gxHigh - *gxLow) / static_cast<float>(layout.nx - 1),
                           (*gyHigh - *gyLow) / static_cast<float>(layout.ny - 1));
    layout.west = *gxLow;
    layout.north = flip - *gyLow;
    return GraphOutcome::Painted;
}
