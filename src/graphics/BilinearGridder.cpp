#include "graphics/BilinearGridder.h"

#include <cstddef>
#include <memory>
#include <new>

namespace {

// Where one output column falls in the table; identical for every output row.
struct ColumnBracket {
    int j;            // left table column
    float toRight;    // xs[j + 1] − x
    float fromLeft;   // x − xs[j]
    float inverse;    // 1 / (xs[j + 1] − xs[j])
    bool empty;       // xs[j + 1] = xs[j]: take the left column as it is
};

} // namespace

bool BilinearGridder::Regrid(int nxIn, int nyIn, const float* xs, const float* ys,
                             const float* values, int nxOut, int nyOut, float* out)
{
    if (xs == nullptr || ys == nullptr || values == nullptr || out == nullptr)
        return false;
    if (nxIn < 2 || nyIn < 2 || nxOut < 1 || nyOut < 1)
        return false;

    const float dx = nxOut > 1 ? (xs[nxIn - 1] - xs[0]) / static_cast<float>(nxOut - 1) : 0.0f;
    const float dy = nyOut > 1 ? (ys[nyIn - 1] - ys[0]) / static_cast<float>(nyOut - 1) : 0.0f;

    // The column positions and brackets repeat on every row: work them out once.
    std::unique_ptr<ColumnBracket[]> columns(new (std::nothrow) ColumnBracket[nxOut]);
    if (!columns)
        return false;
    float x = xs[0];
    int j = 0;
    for (int c = 0; c < nxOut; ++c) {
        const float width = xs[j + 1] - xs[j];
        const bool empty = width == 0.0f;
        columns[c] = {j, xs[j + 1] - x, x - xs[j], empty ? 0.0f : 1.0f / width, empty};
        x += dx;
        while (j + 2 < nxIn && x > xs[j + 1])
            ++j;
    }

    const size_t inWidth = static_cast<size_t>(nxIn);
    float y = ys[0];
    int i = 0;
    for (int r = 0; r < nyOut; ++r) {
        const float* lower = values + static_cast<size_t>(i) * inWidth;
        const float* upper = lower + inWidth;
        const float height = ys[i + 1] - ys[i];
        const float fromBelow = y - ys[i];
        const float toAbove = ys[i + 1] - y;
        float* target = out + static_cast<size_t>(r) * static_cast<size_t>(nxOut);
        for (int c = 0; c < nxOut; ++c) {
            const ColumnBracket& b = columns[c];
            float p = lower[b.j];
            float q = upper[b.j];
            if (!b.empty) {
                p = (p * b.toRight + lower[b.j + 1] * b.fromLeft) * b.inverse;
                q = (q * b.toRight + upper[b.j + 1] * b.fromLeft) * b.inverse;
            }
            target[c] = height != 0.0f ? (fromBelow * q + toAbove * p) / height : (p + q) * 0.5f;
        }
        y += dy;
        while (i + 2 < nyIn && y > ys[i + 1])
            ++i;
    }
    return Smooth(nxOut, nyOut, out);
}
