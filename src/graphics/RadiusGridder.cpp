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

    const size_t width = static_cast<size_t>(nx);
    const size_t cells = width * static_cast<size_t>(ny);
    std::unique_ptr<float[]> weights(new (std::nothrow) float[cells]);
    if (!weights)
        return false;
    std::fill(out, out + cells, 0.0f);
    std::fill(weights.get(), weights.get() + cells, 0.0f);

    // A point further than this from the grid in cells reaches none of it.
    const double limit = static_cast<double>(radius) + std::max(nx, ny);
    const long long span = static_cast<long long>(radius) - 1; // largest |dr| + |dc|
    for (int k = 0; k < n && span >= 0; ++k) {
        if (!placed(k))
            continue;
        const float fc = (x[k] - minX) / cell + 0.000001f;
        const float fr = (y[k] - minY) / cell + 0.000001f;
        if (!(fc < limit) || !(fr < limit))
            continue;
        const long long c0 = static_cast<long long>(fc);
        const long long r0 = static_cast<long long>(fr);
        const float value = v[k];
        const long long rFirst = std::max(0LL, r0 - span);
        const long long rLast = std::min(static_cast<long long>(ny) - 1, r0 + span);
        for (long long r = rFirst; r <= rLast; ++r) {
            const long long dr = r < r0 ? r0 - r : r - r0;
            const long long rest = span - dr;
            const long long cFirst = std::max(0LL, c0 - rest);
            const long long cLast = std::min(static_cast<long long>(nx) - 1, c0 + rest);
            float* outRow = out + static_cast<size_t>(r) * width;
            float* weightRow = weights.get() + static_cast<size_t>(r) * width;
            for (long long c = cFirst; c <= cLast; ++c) {
                const long long dc = c < c0 ? c0 - c : c - c0;
                const float d = static_cast<float>(dc + dr) * cell;
                const float w = 1.0f - d / reach;
                outRow[c] += value * w;
                weightRow[c] += w;
            }
        }
    }

    for (size_t i = 0; i < cells; ++i)
        out[i] = weights[i] != 0.0f ? out[i] / weights[i] : kNoDataValue;
    return true;
}
