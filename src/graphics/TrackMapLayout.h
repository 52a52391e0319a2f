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
    int pixelSize = 1; // the side of a cell's block of pixels
    PixelRect area;
    // A position (east, north) becomes x = east × stretchX, y = (flip − north) × stretchY;
    // with real scaling nothing is stretched and x, y are in the units of the positions.
    float stretchX = 1;
    float stretchY = 1;
    float flip = 0;
    // The frame the radius gridder works out over x and y: the west edge of column 0, the
    // north edge of row 0 and the side of a (square) cell.
    float left = 0;
    float top = 0;
    float cell = 0;
};

// Lays out the map of points at (east[k], north[k]) in rect with square blocks of pixelSize
// pixels. Painted when laid out; NotPainted when the points are fewer than 4 or lie on one
// line, TooSmall when they leave fewer than 2 × 2 cells, OutOfMemory without working lists.
GraphOutcome LayOutTrackMap(const std::vector<float>& east, const std::vector<float>& north, const PixelRect& rect,
                            int pixelSize, bool realScaling, TrackMapLayout& layout);

// The pixel of the laid-out map at the position (east, north): within the block of the cell
// the radius gridder counts the position from, so a reading lies where its value is
// painted. Positions off the map give pixels outside its area (at most 2^20 pixels out).
PixelPoint TrackMapPixel(const TrackMapLayout& layout, float east, float north);
