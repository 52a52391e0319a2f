#pragma once
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"

class SurveyDataSet;

// The station-progress grid: the band of six profiles holding the current one, a cell per
// station in the settings' colours for not measured (colourA), measured (colourB) and the
// current station (colourC). Always true.
bool PaintStationProgress(const SurveyDataSet& data, DrawContext& dc, const PixelRect& rect);
