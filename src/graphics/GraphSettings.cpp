#include "graphics/GraphSettings.h"

#include <algorithm>

#include "conversion/ReadingConversion.h"
#include "graphics/DibSurface.h"
#include "settings/CSettings.h"

namespace {

GraphStyle StyleFrom(const CSettings& settings, bool manualRange)
{
    GraphStyle style;
    style.pixelSize = settings.pixelSize < 1 ? 1 : settings.pixelSize;
    style.realScaling = settings.realScaling != 0;
    style.manualRange = manualRange;
    style.showGrid = settings.showGrid != 0;
    style.showScaleMarks = settings.showScaleMarks != 0;
    style.axisColour = settings.axisColour;
    return style;
}

} // namespace

GraphStyle MapStyle(const CSettings& settings)
{
    return StyleFrom(settings, settings.manualMapRange != 0);
}

GraphStyle SectionStyle(const CSettings& settings)
{
    return StyleFrom(settings, settings.manualSectionRange != 0);
}

InvertedSectionStyle InvertedStyle(const CSettings& settings)
{
    InvertedSectionStyle style;
    style.valueKind = settings.apparentValueKind;
    style.chart = settings.sectionChart;
    style.axes = settings.showScaleMarks != 0 || settings.showGrid != 0;
    style.grid = settings.showGrid != 0;
    style.axisColour = settings.axisColour;
    return style;
}

bool UsableRect(const PixelRect& rect)
{
    return rect.Width() >= 1 && rect.Height() >= 1 && rect.Width() <= DibSurface::kMaxSide &&
           rect.Height() <= DibSurface::kMaxSide;
}

std::vector<int> UsedByDepth(const ConversionSettings& conversion, const CalibrationSet& calibration)
{
    std::vector<int> used;
    for (int i = 0; i < kFrequencyCount; ++i)
        if (conversion.usedFrequencies[static_cast<size_t>(i)])
            used.push_back(i);
    std::stable_sort(used.begin(), used.end(), [&](int a, int b) {
        return FrequencyDepth(conversion, calibration, a) < FrequencyDepth(conversion, calibration, b);
    });
    return used;
}
