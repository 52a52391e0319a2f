#include "graphics/TrackMapRadius.h"

#include <algorithm>
#include <cmath>
#include <limits>

int32_t TrackMapRadiusCells(int32_t radius, int mapWidth)
{
    if (radius < 1)
        return radius;
    // Cells of either map are blocks of the same pixel size, so widths scale cells alike.
    const double cells = std::round(static_cast<double>(radius) * mapWidth / kRadiusMapWidth);
    return static_cast<int32_t>(std::clamp(cells, 1.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
}
