#pragma once
#include "graphics/GridInterpolator.h"

// Bilinear resampling of a table with ascending coordinates, followed by Smooth. Positions
// beyond the table are extrapolated from its last interval.
class BilinearGridder : public GridInterpolator {
public:
    // False when the table has fewer than 2 × 2 entries, the output has no cells, or an
    // argument is missing. A single output column (row) lies at xs[0] (ys[0]).
    bool Regrid(int nxIn, int nyIn, const float* xs, const float* ys, const float* values,
                int nxOut, int nyOut, float* out) override;
};
