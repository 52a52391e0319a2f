#pragma once
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"

class TrackDataSet;

// The GPS track drawn over the track map painted in mapRect (DrawTrack): every position
// placed as the map lays it out, so each reading lies in the cell its value is painted in
// and the live position, wherever it is, moves nothing. Positions off the map are drawn
// off it; the caller clips. With no map to lay out (fewer than 4 measured readings with a
// position, or all on one line) the track is drawn as the track view draws it. Rebuilds
// the track first. False without readings.
bool PaintTrackOverlay(TrackDataSet& data, DrawContext& dc, const PixelRect& mapRect);
