#pragma once
#include <functional>

#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"

class TrackDataSet;
struct TrackPoint;

// The GPS track as the track view and the map's overlay draw it: the readings' positions
// joined in order (colourA), dashed lines from the readings around the cursor to the live
// position, and the current reading (or the live position past the last reading) as a
// filled colourC circle. Readings without a position, and a live position not yet
// received, are not drawn. Draws the track as last computed, each point where `place`
// puts it.
void DrawTrack(const TrackDataSet& data, DrawContext& dc, const std::function<PixelPoint(const TrackPoint&)>& place);

// The GPS track view: the track in a frame of its own that holds every position, the
// live one included, east right and north up, 2 pixels inside rect. Rebuilds the track
// first. False without readings.
bool PaintTrackView(TrackDataSet& data, DrawContext& dc, const PixelRect& rect);
