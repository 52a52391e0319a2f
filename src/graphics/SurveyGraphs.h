#pragma once
#include <cstdint>

#include "graphics/DrawContext.h"
#include "graphics/GraphDispatch.h"
#include "graphics/PixelRect.h"
#include "graphics/TableGraphs.h"
#include "graphics/ValueSurface.h"

class CSettings;
class SurveyDataSet;

// The graphs of the main measurement page, painted from the raw records at each call.
// p and s are the page's current profile and station, f a frequency index 0..13. dc draws
// axis labels and must draw into the surface. Maps and sections fit the settings' chart
// ranges to the data unless the manual-range settings are on. UI thread only.

// The sounding curve of the record at (p, s); not painted when that station is not measured.
GraphOutcome DrawSoundingCurve(const SurveyDataSet& data, const CSettings& settings, ValueSurface& surface,
                               const PixelRect& rect, uint32_t p, uint32_t s);

// Frequency f along the run of measured stations through (p, s), as far as
// "Number of measurements to show" allows.
GraphOutcome DrawProfileCurve(const SurveyDataSet& data, const CSettings& settings, ValueSurface& surface,
                              DrawContext& dc, const PixelRect& rect, uint32_t p, uint32_t s, int f);

// Stations of the run through (p, s) against the pseudo-depths of the used frequencies.
GraphOutcome DrawSection(SurveyDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                         const PixelRect& rect, uint32_t p, uint32_t s);

// Frequency f over the block of complete profiles below p, with p itself as a last,
// partial row while it is being walked.
GraphOutcome DrawMap(SurveyDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                     const PixelRect& rect, uint32_t p, uint32_t s, int f);

// The inverted grounds under the stations of profile p, station 0 at the left; stations
// without a result are left blank.
GraphOutcome DrawInvertedProfile(const SurveyDataSet& data, const CSettings& settings, const InvertedResults& results,
                                 ValueSurface& surface, DrawContext& dc, const PixelRect& rect, uint32_t p,
                                 DepthScale& depth);
