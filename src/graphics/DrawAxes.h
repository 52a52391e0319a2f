#pragma once
#include <cstdint>
#include <vector>

#include "graphics/ColorChart.h"
#include "graphics/DibSurface.h"
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"

// One tick of an axis: k value units from the start, offset pixels along the axis.
struct AxisMark {
    int64_t k = 0;
    int offset = 0;
    bool major = false; // long and labelled
};

// Ticks for an axis of `length` pixels spanning `span` value units: a round step of about
// one label per 20 pixels, five minor ticks per step. None for an empty or unusable span.
std::vector<AxisMark> AxisMarks(int length, float span);

// Tick marks and labels along the bottom edge of rect for x0..x1 (none when x0 = x1) and
// along the left edge for y0..y1 (none when y0 = y1); with `grid` also grid lines in
// gridColour. Marks and grid lines are surface pixels; labels go through dc, which must
// draw into the same surface.
bool DrawAxes(bool grid, Colour gridColour, DibSurface& surface, DrawContext& dc, const PixelRect& rect,
              float x0, float x1, float y0, float y1);
