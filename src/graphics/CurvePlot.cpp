#include "graphics/CurvePlot.h"

#include <cmath>

#include "graphics/GraphSettings.h"

void PlotCurve(ValueSurface& surface, const std::vector<CurvePoint>& points)
{
    for (size_t k = 0; k < points.size(); ++k) {
        const CurvePoint& to = points[k];
        if (k == 0) {
            surface.SetPixel(to.x, to.y, kCurveColour);
            surface.SetValue(to.x, to.y, to.value);
            continue;
        }
        const CurvePoint& from = points[k - 1];
        surface.DrawLine(from.x, from.y, to.x, to.y, kCurveColour);
        surface.ThickValueLine(from.x, from.y, to.x, to.y, from.value, to.value, 2);
    }
}

int PixelCoordinate(double position)
{
    // Far outside any surface either way; lines are walked pixel by pixel, so keep them short.
    constexpr double kLimit = 1 << 15;
    if (std::isnan(position))
        return 0;
    return static_cast<int>(std::trunc(std::fmax(-kLimit, std::fmin(kLimit, position))));
}
