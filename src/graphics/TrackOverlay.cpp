#include "graphics/TrackOverlay.h"

#include "graphics/TrackMapLayout.h"
#include "graphics/TrackMapPoints.h"
#include "graphics/TrackView.h"
#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

bool PaintTrackOverlay(TrackDataSet& data, DrawContext& dc, const PixelRect& mapRect)
{
    if (data.RecordCount() == 0)
        return false;
    data.ComputeTrack(data.HasLiveFix());
    const CSettings& settings = data.Settings();
    TrackMapPoints points;
    TrackMapLayout layout;
    if (!CollectTrackMapPoints(data, points) ||
        LayOutTrackMap(points.east, points.north, mapRect, settings.pixelSize, settings.realScaling != 0, layout) !=
            GraphOutcome::Painted)
        return PaintTrackView(data, dc, mapRect);
    DrawTrack(data, dc, [&layout](const TrackPoint& p) { return TrackMapPixel(layout, p.east, p.north); });
    return true;
}
