#pragma once
#include <functional>
#include <string>
#include <vector>

#include "export/ExportFailure.h"

// Where a north-up grid of float cells lies.
struct GridFrame {
    int nx = 0;
    int ny = 0;
    double west = 0;  // outer edges of the top-left cell
    double north = 0;
    double cellWidth = 0;
    double cellHeight = 0;
    std::string crsWkt;  // empty: plain metres of the survey's own grid
    std::string crsName; // as the operator reads it: "WGS 84 / UTM zone 37N"
};

// Writes band `band` into cells[ny × nx] from the top row, kNoDataValue where empty; false
// with the reason.
using BandFiller = std::function<bool(size_t band, float* cells, ExportError& error)>;

// A grid with one band per frequency, computed band by band as it is written, so that only
// one band is ever held.
struct GeoGrid {
    GridFrame frame;
    std::vector<std::string> bandNames;
    BandFiller fill;
};
