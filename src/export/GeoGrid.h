#pragma once
#include <string>
#include <vector>

// A north-up grid of float cells, one band per frequency, with the frame it lies in.
struct GeoGrid {
    int nx = 0;
    int ny = 0;
    double west = 0;  // outer edges of the top-left cell
    double north = 0;
    double cellWidth = 0;
    double cellHeight = 0;
    std::string crsWkt; // empty: plain metres of the survey's own grid
    std::vector<std::string> bandNames;
    std::vector<float> cells; // band after band, each ny rows of nx cells from the top row
};
