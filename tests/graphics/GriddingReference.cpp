#include "GriddingReference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "graphics/NoDataValue.h"

namespace reference {

void Smooth(int nx, int ny, std::vector<float>& grid)
{
    if (ny < 5)
        return;
    const std::vector<float> copy = grid;
    auto at = [&](int r, int c) { return copy[static_cast<size_t>(r) * nx + c]; };
    for (int r = 4; r < ny; ++r) {
        if (at(r, 0) == kNoDataValue)
            return;
        if (nx <= 4)
            continue;
        for (int c = 4; c < nx; ++c) {
            if (at(r - 2, c) == kNoDataValue)
                break;
            float sum = 0.0f;
            for (int rr = r - 4; rr <= r; ++rr)
                for (int cc = c - 4; cc <= c; ++cc)
                    sum += at(rr, cc);
            grid[static_cast<size_t>(r - 2) * nx + (c - 2)] = 0.04f * sum;
        }
    }
}

void Bilinear(int nxIn, int nyIn, const float* xs, const float* ys, const float* values, int nxOut, int nyOut,
              std::vector<float>& out)
{
    out.assign(static_cast<size_t>(nxOut) * nyOut, 0.0f);
    const float dx = (xs[nxIn - 1] - xs[0]) / static_cast<float>(nxOut - 1);
    const float dy = (ys[nyIn - 1] - ys[0]) / static_cast<float>(nyOut - 1);
    float y = ys[0];
    int i = 0;
    for (int r = 0; r < nyOut; ++r) {
        float x = xs[0];
        int j = 0;
        for (int c = 0; c < nxOut; ++c) {
            const float a = values[i * nxIn + j];
            const float b = values[i * nxIn + j + 1];
            const float cc = values[(i + 1) * nxIn + j];
            const float d = values[(i + 1) * nxIn + j + 1];
            float p = a;
            float q = cc;
            if (xs[j + 1] != xs[j]) {
                const float inverse = 1.0f / (xs[j + 1] - xs[j]);
                p = (a * (xs[j + 1] - x) + b * (x - xs[j])) * inverse;
                q = (cc * (xs[j + 1] - x) + d * (x - xs[j])) * inverse;
            }
            out[static_cast<size_t>(r) * nxOut + c] =
                ys[i + 1] != ys[i] ? ((y - ys[i]) * q + (ys[i + 1] - y) * p) / (ys[i + 1] - ys[i]) : (p + q) * 0.5f;
            x += dx;
            while (j + 2 < nxIn && x > xs[j + 1])
                ++j;
        }
        y += dy;
        while (i + 2 < nyIn && y > ys[i + 1])
            ++i;
    }
    Smooth(nxOut, nyOut, out);
}

void SmoothProfile(std::vector<float>& values)
{
    const int n = static_cast<int>(values.size());
    if (n < 9)
        return;
    const std::vector<float> original = values;
    for (int i = 4; i <= n - 5; ++i) {
        float sum = 0.0f;
        for (int k = i - 4; k <= i + 4; ++k)
            sum += original[k];
        values[i] = sum / 9.0f;
    }
}

void Radius(int radius, const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& v,
            int nx, int ny, std::vector<float>& out)
{
    const float minX = *std::min_element(x.begin(), x.end());
    const float maxX = *std::max_element(x.begin(), x.end());
    const float minY = *std::min_element(y.begin(), y.end());
    const float maxY = *std::max_element(y.begin(), y.end());
    const float cell = std::min((maxX - minX) / static_cast<float>(nx - 1), (maxY - minY) / static_cast<float>(ny - 1));
    const float reach = static_cast<float>(radius) * cell;
    out.assign(static_cast<size_t>(nx) * ny, 0.0f);
    std::vector<float> weight(out.size(), 0.0f);
    for (size_t k = 0; k < x.size(); ++k) {
        const int c0 = static_cast<int>((x[k] - minX) / cell + 0.000001f);
        const int r0 = static_cast<int>((y[k] - minY) / cell + 0.000001f);
        for (int r = 0; r < ny; ++r) {
            for (int c = 0; c < nx; ++c) {
                const int dr = r - r0;
                const int dc = c - c0;
                if (std::abs(dr) + std::abs(dc) >= radius)
                    continue;
                const float d = static_cast<float>(std::abs(dc) + std::abs(dr)) * cell;
                const float w = 1.0f - d / reach;
                out[static_cast<size_t>(r) * nx + c] += v[k] * w;
                weight[static_cast<size_t>(r) * nx + c] += w;
            }
        }
    }
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = weight[i] != 0.0f ? out[i] / weight[i] : kNoDataValue;
}

} // namespace reference
