#include "GriddingReference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "graphics/NoDataValue.h"

namespace reference {

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
