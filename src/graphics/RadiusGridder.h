#pragma once
#include <cstdint>

#include "graphics/GridInterpolator.h"

// Grids scattered points by averaging them over a city-block diamond of `radius` cells,
// weighted by a cone falling linearly from 1 at the point's cell. Cells are square.
class RadiusGridder : public GridInterpolator {
public:
    // Treats every table entry as a point (xs[column], ys[row]); no smoothing follows.
    bool Regrid(int nxIn, int nyIn, const float* xs, const float* ys, const float* values,
                int nxOut, int nyOut, float* out) override;

    // Writes out[ny × nx]; cells no point reaches get the no-data value. False (output
    // untouched) with fewer than 4 points of finite position, fewer than 2 × 2 cells, or
    // points that span no area. Points with a non-finite position are left out.
    virtual bool GridScattered(int n, const float* x, const float* y, const float* v, int nx, int ny,
                               float* out);

    // The frame of a grid: the lower-left corner of cell (0, 0) and the side of a cell.
    struct ScatterFrame {
        float left = 0;
        float bottom = 0;
        float cell = 1;
    };
    // As GridScattered, over the grid of that frame: a point counts from the cell it lies in;
    // points left of or below the frame are left out. False only for missing arguments, no
    // cells or a cell that is not a positive size.
    bool GridInFrame(int n, const float* x, const float* y, const float* v, const ScatterFrame& frame, int nx, int ny,
                     float* out);

    // Where v lies, in cells from origin: a point counts from the cell of the whole part
    // (nudged up so that a point on a cell's edge counts from that cell).
    static float CellCoordinate(float v, float origin, float cell) { return (v - origin) / cell + 0.000001f; }

    int32_t radius = 50; // in grid cells
};
