#include "graphics/GridInterpolator.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

#include "graphics/NoDataValue.h"

bool GridInterpolator::Smooth(int nx, int ny, float* grid)
{
    if (grid == nullptr || nx < 1 || ny < 1)
        return false;
    if (ny < 5)
        return true;

    const size_t width = static_cast<size_t>(nx);
    const size_t cells = width * static_cast<size_t>(ny);
    // The copy plus one row of column sums, taken once per call.
    std::unique_ptr<float[]> copy(new (std::nothrow) float[cells + width]);
    if (!copy)
        return false;
    std::copy(grid, grid + cells, copy.get());
    float* columnSums = copy.get() + cells;

    for (size_t r = 4; r < static_cast<size_t>(ny); ++r) {
        const float* bottom = copy.get() + r * width;
        if (bottom[0] == kNoDataValue)
            return true;
        if (nx <= 4)
            continue;

        const float* middle = bottom - 2 * width;
        size_t end = 4;
        while (end < width && middle[end] != kNoDataValue)
            ++end;
        if (end == 4)
            continue;

        // Sums of five rows per column, then of five columns per cell: no running
        // subtraction, so a no-data (huge) value spoils only the windows that contain it.
        const float* row0 = bottom - 4 * width;
        const float* row1 = bottom - 3 * width;
        const float* row3 = bottom - width;
        for (size_t c = 0; c < end; ++c)
            columnSums[c] = row0[c] + row1[c] + middle[c] + row3[c] + bottom[c];
        float* target = grid + (r - 2) * width - 2;
        for (size_t c = 4; c < end; ++c) {
            const float sum = columnSums[c - 4] + columnSums[c - 3] + columnSums[c - 2] +
                              columnSums[c - 1] + columnSums[c];
            target[c] = 0.04f * sum;
        }
    }
    return true;
}
