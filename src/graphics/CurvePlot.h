#pragma once
#include <vector>

#include "graphics/ValueSurface.h"

struct CurvePoint {
    int x = 0;
    int y = 0;
    float value = 0;
};

// A curve in the curve colour: the first point is a pixel with its value, every further
// point a line from the one before with a thick value line (half-width 2) under it, so a
// tap near the curve reads an interpolated value.
void PlotCurve(ValueSurface& surface, const std::vector<CurvePoint>& points);

// Pixel coordinate of a computed position, kept where integer conversion is defined.
int PixelCoordinate(double position);
