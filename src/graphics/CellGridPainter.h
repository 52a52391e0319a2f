#pragma once
#include <cstddef>

#include "graphics/ColorChart.h"
#include "graphics/PixelRect.h"
#include "graphics/ValueSurface.h"

// Smallest and largest cell that is not no-data; false when there is none.
bool GridValueRange(const float* grid, size_t count, float& minimum, float& maximum);

// Paints each cell of grid[ny × nx] that is not no-data as a pixelSize × pixelSize block in
// the chart's colour of its value, with the value in the value layer. Blocks start at
// (area.left, area.top); row 0 is the top block row, or the bottom one with rowZeroAtBottom.
// Pixels at or beyond area.right or area.bottom are skipped. False when nothing could be
// painted (no grid, no cells, a pixel size below 1, or a surface without memory).
bool PaintCells(ValueSurface& surface, const float* grid, int nx, int ny, int pixelSize, const PixelRect& area,
                bool rowZeroAtBottom, const ColorChart& chart);
