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
    // Every mean reads unsmoothed values. A window ending at row r writes row r − 2 and
    // needs rows r − 4 .. r as they were, so the last five original rows are kept in a
    // ring instead of a copy of the whole grid; one more row holds the column sums.
    std::unique_ptr<float[]> buffer(new (std::nothrow) float[6 * width]);
    if (!buffer)
        return false;
    float* columnSums = buffer.get() + 5 * width;
    auto original = [&](size_t row) { return buffer.get() + (row % 5) * width; };
    for (size_t row = 0; row < 4; ++row)
        std::copy(grid + row * width, grid + (row + 1) * width, original(row));

    for (size_t r = 4; r < static_cast<size_t>(ny); ++r) {
        std::copy(grid + r * width, grid + (r + 1) * width, original(r));
        const float* bottom = original(r);
        if (bottom[0] == kNoDataValue)
            return true;
        if (nx <= 4)
            continue;

        const float* middle = original(r - 2);
        size_t end = 4;
        while (end < width && middle[end] != kNoDataValue)
            ++end;
        if (end == 4)
            continue;

        // Sums of five rows per column, then of five columns per cell: no running
        // subtraction, so a no-data (huge) value spoils only the windows that contain it.
        const float* row0 = original(r - 4);
        const float* row1 = original(r - 3);
        const float* row3 = original(r - 1);
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
