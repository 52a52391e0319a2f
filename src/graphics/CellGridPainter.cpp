#include "graphics/CellGridPainter.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "graphics/NoDataValue.h"

bool GridValueRange(const float* grid, size_t count, float& minimum, float& maximum)
{
    if (grid == nullptr)
        return false;
    size_t k = 0;
    while (k < count && grid[k] == kNoDataValue)
        ++k;
    if (k == count)
        return false;
    float low = grid[k];
    float high = grid[k];
    for (; k < count; ++k) {
        const float value = grid[k];
        low = value < low ? value : low; // no-data is the largest float: never the minimum
        high = value > high && value != kNoDataValue ? value : high;
    }
    minimum = low;
    maximum = high;
    return true;
}

bool PaintCells(ValueSurface& surface, const float* grid, int nx, int ny, int pixelSize, const PixelRect& area,
                bool rowZeroAtBottom, const ColorChart& chart)
{
    if (grid == nullptr || nx < 1 || ny < 1 || pixelSize < 1 || surface.Bits() == nullptr || !surface.HasValues())
        return false;
    // The pixels to paint: the area, within the surface, and no further than the cells reach.
    const long long size = pixelSize;
    const long long left = area.left;
    const long long top = area.top;
    const long long xEnd = std::min({static_cast<long long>(area.right), static_cast<long long>(surface.Width()),
                                     left + nx * size});
    const long long yEnd = std::min({static_cast<long long>(area.bottom), static_cast<long long>(surface.Height()),
                                     top + ny * size});
    const long long xBegin = std::max(left, 0LL);
    const long long yBegin = std::max(top, 0LL);
    if (xBegin >= xEnd || yBegin >= yEnd)
        return true;

    // Colours of one cell row, worked out once per row rather than once per pixel.
    const long long firstColumn = (xBegin - left) / size;
    const long long lastColumn = (xEnd - 1 - left) / size;
    std::unique_ptr<uint32_t[]> colours(new (std::nothrow) uint32_t[static_cast<size_t>(lastColumn - firstColumn + 1)]);
    if (!colours)
        return false;
    const size_t stride = static_cast<size_t>(surface.Width());
    long long colouredRow = -1;
    for (long long y = yBegin; y < yEnd; ++y) {
        const long long blockRow = (y - top) / size;
        const long long r = rowZeroAtBottom ? ny - 1 - blockRow : blockRow;
        const float* cells = grid + r * nx;
        if (r != colouredRow) {
            const size_t count = static_cast<size_t>(lastColumn - firstColumn + 1);
            chart.ColorsAt(cells + firstColumn, count, colours.get());
            for (size_t c = 0; c < count; ++c) // no-data cells are skipped below
                colours[c] = DibSurface::ToPixel(colours[c]);
            colouredRow = r;
        }
        uint32_t* pixels = surface.Bits() + static_cast<size_t>(y) * stride;
        float* values = surface.Values() + static_cast<size_t>(y) * stride;
        if (size == 1) { // one pixel per cell: no spans to fill
            for (long long c = firstColumn; c <= lastColumn; ++c) {
                if (cells[c] != kNoDataValue) {
                    pixels[left + c] = colours[c - firstColumn];
                    values[left + c] = cells[c];
                }
            }
            continue;
        }
        for (long long c = firstColumn; c <= lastColumn; ++c) {
            const float value = cells[c];
            if (value == kNoDataValue)
                continue;
            const long long x0 = std::max(left + c * size, xBegin);
            const long long x1 = std::min(left + (c + 1) * size, xEnd);
            std::fill(pixels + x0, pixels + x1, colours[c - firstColumn]);
            std::fill(values + x0, values + x1, value);
        }
    }
    surface.NoteChange();
    return true;
}
