#pragma once
#include <cstddef>
#include <vector>

class TrackDataSet;

// The readings the track map grids: the measured ones with a position, in reading order,
// at their positions in the data set's track as last computed.
struct TrackMapPoints {
    std::vector<size_t> readings;
    std::vector<float> east, north;
};

// False (points incomplete) when memory runs out.
bool CollectTrackMapPoints(const TrackDataSet& data, TrackMapPoints& points);
