#include "graphics/RadiusGridder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "graphics/NoDataValue.h"

bool RadiusGridder::Regrid(int nxIn, int nyIn, const float* xs, const float* ys, const float* values,
                           int nxOut, int nyOut, float* out)
{
    if (xs == nullptr || ys == nullptr || values == nullptr || nxIn < 1 || nyIn < 1)
        return false;
    const long long count = static_cast<long long>(nxIn) * nyIn;
    if (count > 0x7FFFFFFF)
        return false;
    const size_t n = static_cast<size_t>(count);
    std::unique_ptr<float[]> points(new (std::nothrow) float[3 * n]);
    if (!points)
        return false;
    float* px = points.get();
    float* py = px + n;
    float* pv = py + n;
    size_t k = 0;
    for (int row = 0; row < nyIn; ++row) {
        for (int column = 0; column < nxIn; ++column, ++k) {
            px[k] = xs[column];
            py[k] = ys[row];
            pv[k] = values[k];
        }
    }
    return GridScattered(static_cast<int>(n), px, py, pv, nxOut, nyOut, out);
}

bool RadiusGridder::GridScattered(int n, const float* x, const float* y, const float* v, int nx, int ny,
                                  float* out)
{
    if (x == nullptr || y == nullptr || v == nullptr || out == nullptr)
        return false;
    if (nx < 2 || ny < 2 || n < 4)
        return false;

    auto placed = [&](int k) { return std::isfinite(x[k]) && std::isfinite(y[k]); };
    int taken = 0;
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int k = 0; k < n; ++k) {
        if (!placed(k))
            continue;
        if (taken++ == 0) {
            minX = maxX = x[k];
            minY = maxY = y[k];
        } else {
            minX = std::min(minX, x[k]);
            maxX = std::max(maxX, x[k]);
            minY = std::min(minY, y[k]);
            maxY = std::max(maxY, y[k]);
        }
    }
    if (taken < 4 || minX == maxX || minY == maxY)
        return false;

    const float cell = std::min((maxX - minX) / static_cast<float>(nx - 1),
                                (maxY - minY) / static_cast<float>(ny - 1));
    const float reach = static_cast<float>(radius) * cell;
    // Extents so far apart (or so large) that a cell has no usable size.
    if (!(cell > 0.0f) || !std::isfinite(cell))
        return false;

    // The grid is worked in bands of rows small enough to stay in the cache, each summed in
    // buffers of its own; within a band the points still come in their order, so every cell
    // sums exactly as point by point over the whole grid.
    const size_t width = static_cast<size_t>(nx);
    const long long bandRows = std::max(1, 65536 / nx);
    const size_t bandCells = width * static_cast<size_t>(std::min(static_cast<long long>(ny), bandRows));
    std::unique_ptr<float[]> sums(new (std::nothrow) float[bandCells]);
    std::unique_ptr<float[]> weights(new (std::nothrow) float[bandCells]);
    if (!sums || !weights)
        return false;

    // The cone's weight by city-block distance in cells; the table covers ordinary radii, and
    // larger ones (settings allow anything) fall back to working each weight out.
    const long long span = static_cast<long long>(radius) - 1; // largest |dr| + |dc|
    auto weightAt = [&](long long steps) { return 1.0f - static_cast<float>(steps) * cell / reach; };
    constexpr long long kTableLimit = 4096;
    const bool tabled = span < kTableLimit;
    std::unique_ptr<float[]> table;
    if (tabled && span >= 0) {
        table.reset(new (std::nothrow) float[static_cast<size_t>(span) + 1]);
        if (!table)
            return false;
        for (long long k = 0; k <= span; ++k)
            table[k] = weightAt(k);
    }

    // Where each point sits, in cells; points too far out to reach the grid are dropped.
    struct Seat {
        long long c0, r0;
        float value;
    };
    std::unique_ptr<Seat[]> seats(new (std::nothrow) Seat[static_cast<size_t>(n)]);
    if (!seats)
        return false;
    const double limit = static_cast<double>(radius) + std::max(nx, ny);
    size_t seated = 0;
    for (int k = 0; k < n && span >= 0; ++k) {
        if (!placed(k))
            continue;
        const float fc = (x[k] - minX) / cell + 0.000001f;
        const float fr = (y[k] - minY) / cell + 0.000001f;
        if (fc < limit && fr < limit)
            seats[seated++] = {static_cast<long long>(fc), static_cast<long long>(fr), v[k]};
    }

    // Nothing can fail from here on: the output may be touched.
    for (long long bandTop = 0; bandTop < ny; bandTop += bandRows) {
        const long long bandBottom = std::min(static_cast<long long>(ny), bandTop + bandRows) - 1;
        const size_t bandSize = static_cast<size_t>(bandBottom - bandTop + 1) * width;
        std::fill(sums.get(), sums.get() + bandSize, 0.0f);
        std::fill(weights.get(), weights.get() + bandSize, 0.0f);
        for (size_t k = 0; k < seated; ++k) {
            const long long c0 = seats[k].c0;
            const long long r0 = seats[k].r0;
            const float value = seats[k].value;
            const long long rFirst = std::max(bandTop, r0 - span);
            const long long rLast = std::min(bandBottom, r0 + span);
            for (long long r = rFirst; r <= rLast; ++r) {
                const long long dr = r < r0 ? r0 - r : r - r0;
                const long long rest = span - dr;
                const long long cFirst = std::max(0LL, c0 - rest);
                const long long cLast = std::min(static_cast<long long>(nx) - 1, c0 + rest);
                float* outRow = sums.get() + static_cast<size_t>(r - bandTop) * width;
                float* weightRow = weights.get() + static_cast<size_t>(r - bandTop) * width;
                if (tabled) {
                    // Split at the point's column so that both halves walk the table one way.
                    const float* cone = table.get() + dr;
                    for (long long c = cFirst; c <= std::min(c0, cLast); ++c) {
                        const float w = cone[c0 - c];
                        outRow[c] += value * w;
                        weightRow[c] += w;
                    }
                    for (long long c = std::max(c0 + 1, cFirst); c <= cLast; ++c) {
                        const float w = cone[c - c0];
                        outRow[c] += value * w;
                        weightRow[c] += w;
                    }
                } else {
                    for (long long c = cFirst; c <= cLast; ++c) {
                        const float w = weightAt(dr + (c < c0 ? c0 - c : c - c0));
                        outRow[c] += value * w;
                        weightRow[c] += w;
                    }
                }
            }
        }
        float* bandOut = out + static_cast<size_t>(bandTop) * width;
        for (size_t i = 0; i < bandSize; ++i)
            bandOut[i] = weights[i] != 0.0f ? sums[i] / weights[i] : kNoDataValue;
    }
    return true;
}
