#include "graphics/GraphSettings.h"

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

bool UsableRect(const PixelRect& rect)
{
    return rect.Width() >= 1 && rect.Height() >= 1 && rect.Width() <= DibSurface::kMaxSide &&
           rect.Height() <= DibSurface::kMaxSide;
}
