#pragma once
#include <vector>

#include "graphics/PixelRect.h"
#include "graphics/TableGraphs.h"

// Where the track map puts its cells: the scattered positions as the radius gridder gets
// them (north flipped into row 0; stretched to fill both axes unless real scaling), the
// cell counts and the part of the rectangle the cells cover.
struct TrackMapLayout {
    std::vector<float> x, y;
    int nx = 0;
    int ny = 0;
    PixelRect area;
    // With real scaling, the frame of the grid in the units of the positions: the west edge
    // of column 0, the north edge of row 0 and the side of a (square) cell.
    float west = 0;
    float north = 0;
    float cell = 0;
};

// Lays out the map of points at (east[k], north[k]) in rect with square blocks of pixelSize
// pixels. Painted when laid out; NotPainted when the points are fewer than 4 or lie on one
// line, TooSmall when they leave fewer than 2 × 2 cells, OutOfMemory without working lists.
GraphOutcome LayOutTrackMap(const std::vector<float>& east, const std::vector<float>& north, const PixelRect& rect,
                            int pixelSize, bool realScaling, TrackMapLayout& layout);
