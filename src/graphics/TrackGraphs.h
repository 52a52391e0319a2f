#pragma once
#include <cstddef>

#include "graphics/DrawContext.h"
#include "graphics/GraphDispatch.h"
#include "graphics/PixelRect.h"
#include "graphics/TableGraphs.h"
#include "graphics/ValueSurface.h"

class CSettings;
class TrackDataSet;

// The graphs of the track measurement page, recomputed from the records and fixes at each
// call (the track is rebuilt first, its positions corrected for the GPS lag and antenna
// offset of the settings). Readings without a position are left out wherever a graph
// places readings. f is a frequency index 0..13; dc draws axis labels into the surface.
// UI thread only.

// Frequency f gridded over the positions of the measured readings, north up, each reading
// reaching as far as the radius of the data set's scattered gridder, which counts cells of
// a map kRadiusMapWidth pixels wide (TrackMapRadius.h). Not painted with fewer than 4
// measured readings, readings on one line, or too few cells to grid.
GraphOutcome PaintTrackMap(TrackDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                           const PixelRect& rect, int f);

// The positioned readings against the pseudo-depths of the used frequencies along the
// distance walked. Not painted with fewer than 2 of them.
GraphOutcome PaintTrackSection(TrackDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                               const PixelRect& rect);

// Frequency f of the latest "Number of measurements to show" readings (all when 0) spread
// evenly over the width; the distance axis covers the track the positioned ones among them
// were taken along.
GraphOutcome PaintTrackProfileCurve(TrackDataSet& data, const CSettings& settings, ValueSurface& surface,
                                    DrawContext& dc, const PixelRect& rect, int f);

// The sounding curve of reading k; not painted when there is no such measured reading.
GraphOutcome PaintLatestSoundingCurve(const TrackDataSet& data, const CSettings& settings, ValueSurface& surface,
                                      const PixelRect& rect, size_t k);

// The inverted grounds under the positioned readings along the distance walked; readings
// without a result are left blank.
GraphOutcome PaintTrackInvertedSection(TrackDataSet& data, const CSettings& settings, const InvertedResults& results,
                                       ValueSurface& surface, DrawContext& dc, const PixelRect& rect,
                                       DepthScale& depth);
