#pragma once
#include "graphics/PixelRect.h"
#include "graphics/ValueSurface.h"
#include "survey/MeasurementRecord.h"

class CSettings;

// The sounding curve of one record: value (growing rightward) against the pseudo-depth of
// each used frequency (growing downward), with value and depth scales along the top and
// left edges when scale marks are on. False with no used frequency, or when every used
// frequency has the same value and the same depth.
bool DrawRecordSoundingCurve(const CSettings& settings, const MeasurementRecord& record, ValueSurface& surface,
                             const PixelRect& rect);
