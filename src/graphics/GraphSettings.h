#pragma once
#include <vector>

#include "conversion/ConversionSettings.h"
#include "graphics/InvertedSection.h"
#include "graphics/TableGraphs.h"
#include "survey/Calibration.h"

class CSettings;

// The display settings of the colour maps and of the sections.
GraphStyle MapStyle(const CSettings& settings);
GraphStyle SectionStyle(const CSettings& settings);
// The inverted section: the units' kind, the section chart's colours, the scales.
InvertedSectionStyle InvertedStyle(const CSettings& settings);

// Rectangles a renderer accepts: at least one pixel and no larger than a surface can be,
// so a bad rectangle cannot make a renderer allocate without bound.
bool UsableRect(const PixelRect& rect);

// The curve colour of sounding and profile curves (dark blue).
inline constexpr Colour kCurveColour = 0x00C80000;

// Used frequency indices by depth, shallowest first: the row order sections are gridded in.
std::vector<int> UsedByDepth(const ConversionSettings& conversion, const CalibrationSet& calibration);
