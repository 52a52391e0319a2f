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
    // Extents so far apart (or so large) that a cell has no usable size.
    if (!(cell > 0.0f) || !std::isfinite(cell))
        return false;
    return GridInFrame(n, x, y, v, {minX, minY, cell}, nx, ny, out);
}

bool RadiusGridder::GridInFrame(int n, const float* x, const float* y, const float* v, const ScatterFrame& frame,
                                int nx, int ny, float* out)
{
    const float minX = frame.left, minY = frame.bottom, cell = frame.cell;
    if (x == nullptr || y == nullptr || v == nullptr || out == nullptr || n < 0 || nx < 1 || ny < 1 ||
        !(cell > 0.0f) || !std::isfinite(cell))
        return false;
    auto placed = [&](int k) { return std::isfinite(x[k]) && std::isfinite(y[k]); };

    // Where each point sits, in cells; points too far out to reach the grid are dropped.
    struct Seat {
        long long c0, r0;
        float value;
    };
    const long long span = static_cast<long long>(radius) - 1; // largest |dr| + |dc| reached
    std::unique_ptr<Seat[]> seats(new (std::nothrow) Seat[static_cast<size_t>(n)]);
    std::unique_ptr<double[]> sumKinks(new (std::nothrow) double[static_cast<size_t>(nx)]);
    std::unique_ptr<long long[]> weightKinks(new (std::nothrow) long long[static_cast<size_t>(nx)]);
    if (!seats || !sumKinks || !weightKinks)
        return false;
    const double limit = static_cast<double>(radius) + std::max(nx, ny);
    size_t seated = 0;
    for (int k = 0; k < n && span >= 0; ++k) {
        if (!placed(k))
            continue;
        const float fc = CellCoordinate(x[k], minX, cell);
        const float fr = CellCoordinate(y[k], minY, cell);
        if (fc >= 0.0f && fr >= 0.0f && fc < limit && fr < limit)
            seats[seated++] = {static_cast<long long>(fc), static_cast<long long>(fr), v[k]};
    }
    std::sort(seats.get(), seats.get() + seated, [](const Seat& a, const Seat& b) { return a.r0 < b.r0; });

    // A point's cone weight 1 − (|dr| + |dc|) / radius is, along one row, radius⁻¹ times a
    // triangle t(c) = rest + 1 − |c − c0| (rest = span − |dr|) that reaches 0 just past the
    // diamond. A triangle is three kinks of its second difference, so a row is the kinks of
    // every point reaching it, summed up twice. The common factor cancels in the mean, and
    // the weights, whole numbers now, are summed exactly: a cell no point reaches stays 0.
    // Kinks left of the grid go into the running value and slope the row starts with.
    size_t first = 0;
    for (long long r = 0; r < ny; ++r) {
        std::fill(sumKinks.get(), sumKinks.get() + nx, 0.0);
        std::fill(weightKinks.get(), weightKinks.get() + nx, 0LL);
        double sumSlope = 0, sumValue = 0;
        long long weightSlope = 0, weightValue = 0;
        auto kink = [&](long long at, long long m, float value) {
            if (at >= nx)
                return;
            if (at < 0) {
                weightSlope += m;
                weightValue += m * -at;
                sumSlope += static_cast<double>(m) * value;
                sumValue += static_cast<double>(m) * value * static_cast<double>(-at);
                return;
            }
            weightKinks[at] += m;
            sumKinks[at] += static_cast<double>(m) * value;
        };
        while (first < seated && seats[first].r0 < r - span)
            ++first;
        for (size_t k = first; k < seated && seats[k].r0 <= r + span; ++k) {
            const Seat& seat = seats[k];
            const long long rest = span - (seat.r0 > r ? seat.r0 - r : r - seat.r0);
            if (seat.c0 - rest >= nx)
                continue;
            kink(seat.c0 - rest, 1, seat.value);
            kink(seat.c0 + 1, -2, seat.value);
            kink(seat.c0 + rest + 2, 1, seat.value);
        }
        float* row = out + static_cast<size_t>(r) * static_cast<size_t>(nx);
        for (long long c = 0; c < nx; ++c) {
            weightSlope += weightKinks[c];
            weightValue += weightSlope;
            sumSlope += sumKinks[c];
            sumValue += sumSlope;
            row[c] = weightValue > 0 ? static_cast<float>(sumValue / static_cast<double>(weightValue)) : kNoDataValue;
        }
    }
    return true;
}
