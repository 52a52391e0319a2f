#pragma once

// Turns tabulated values into a regular nx × ny grid of floats, row-major, row 0 at the
// smallest y. Grids and tables are owned by the caller; the gridders keep no state between calls.
class GridInterpolator {
public:
    GridInterpolator() = default;
    GridInterpolator(const GridInterpolator&) = delete;
    GridInterpolator& operator=(const GridInterpolator&) = delete;
    virtual ~GridInterpolator() = default;

    // Resamples the table values[nyIn × nxIn] with column coordinates xs[nxIn] and row
    // coordinates ys[nyIn] onto out[nyOut × nxOut].
    virtual bool Regrid(int nxIn, int nyIn, const float* xs, const float* ys, const float* values,
                        int nxOut, int nyOut, float* out) = 0;

    // 5 × 5 box mean of the interior, in place. A no-data cell in column 0 of a window's
    // bottom row stops the pass; one in the middle row ends that window row.
    // False only for a missing grid, a bad size or when the working rows cannot be allocated.
    virtual bool Smooth(int nx, int ny, float* grid);
};
