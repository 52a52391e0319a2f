#pragma once
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"

class TrackDataSet;

// The GPS track view: the readings' positions joined in order (colourA), dashed lines from
// the readings around the cursor to the live position, and the current reading (or the live
// position past the last reading) as a filled colourC circle; east right, north up.
// Readings without a position, and a live position not yet received, are not drawn.
// Rebuilds the track first. False without readings.
bool PaintTrackView(TrackDataSet& data, DrawContext& dc, const PixelRect& rect);
