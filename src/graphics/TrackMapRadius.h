#pragma once
#include <cstdint>

// The track map's radius counts cells of a map this many pixels wide, the hand-held's, so
// that it covers the same share of the map in a window of any size.
inline constexpr int kRadiusMapWidth = 240;

// The radius of the track map painted `mapWidth` pixels wide, in cells of its grid: at
// least 1, except that a radius below 1 stays as it is (the gridder paints nothing).
int32_t TrackMapRadiusCells(int32_t radius, int mapWidth);
