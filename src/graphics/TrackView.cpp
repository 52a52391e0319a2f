#include "graphics/TrackView.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

namespace {

int Nearest(double v)
{
    constexpr double kLimit = 1 << 20;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::floor(std::clamp(v, -kLimit, kLimit) + 0.5));
}

PixelRect Circle(const PixelPoint& at)
{
    return PixelRect{at.x - 2, at.y - 2, at.x + 2, at.y + 2};
}

} // namespace

void DrawTrack(const TrackDataSet& data, DrawContext& dc, const std::function<PixelPoint(const TrackPoint&)>& place)
{
    const size_t n = data.RecordCount();
    const std::vector<TrackPoint>& track = data.Track();
    if (track.size() != n + 1)
        return;
    const CSettings& settings = data.Settings();
    dc.SetPen(PenStyle::Solid, 1, settings.colourA);
    std::optional<PixelPoint> previous;
    for (size_t k = 0; k < n; ++k) {
        if (!track[k].positioned)
            continue;
        const PixelPoint at = place(track[k]);
        if (!previous) {
            dc.MoveTo(at.x, at.y);
            dc.Ellipse(Circle(at));
        } else if (!(at == *previous)) { // readings on the pixel of the one before add nothing
            dc.LineTo(at.x, at.y);
            dc.Ellipse(Circle(at));
        }
        previous = at;
    }

    const bool livePlaced = track[n].positioned;
    const PixelPoint live = place(track[n]);
    const size_t cursor = data.CurrentIndex();
    dc.SetPen(PenStyle::Dash, 1, settings.colourA);
    for (size_t k : {cursor - 1, cursor + 1}) { // the readings around the cursor (cursor - 1 wraps at 0)
        if (!livePlaced || k >= n || !track[k].positioned)
            continue;
        const PixelPoint from = place(track[k]);
        dc.MoveTo(from.x, from.y);
        dc.LineTo(live.x, live.y);
    }
    if (livePlaced) {
        dc.SetPen(PenStyle::Solid, 1, settings.colourA);
        dc.Ellipse(Circle(live));
    }

    const size_t current = cursor < n ? cursor : n;
    if (track[current].positioned) {
        dc.SetPen(PenStyle::Solid, 1, settings.colourC);
        dc.SetBrush(settings.colourC);
        dc.Ellipse(Circle(place(track[current])));
    }
    dc.SetBrush(0x00FFFFFF);
}

bool PaintTrackView(TrackDataSet& data, DrawContext& dc, const PixelRect& outer)
{
    const size_t n = data.RecordCount();
    if (n == 0)
        return false;
    const CSettings& settings = data.Settings();
    const PixelRect rect{outer.left + 2, outer.top + 2, outer.right - 2, outer.bottom - 2};
    data.ComputeTrack(data.HasLiveFix());
    const std::vector<TrackPoint>& track = data.Track();

    // The extent of what has a position: the readings that do, and the live position.
    bool any = false;
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (size_t k = 0; k <= n; ++k) {
        if (!track[k].positioned)
            continue;
        minX = any ? std::min(minX, track[k].east) : track[k].east;
        maxX = any ? std::max(maxX, track[k].east) : track[k].east;
        minY = any ? std::min(minY, track[k].north) : track[k].north;
        maxY = any ? std::max(maxY, track[k].north) : track[k].north;
        any = true;
    }
    if (!any)
        return true; // nothing to place yet
    if (minX == maxX)
        maxX += 1;
    if (minY == maxY)
        maxY += 1;
    double sx = rect.Width() / (static_cast<double>(maxX) - minX);
    double sy = rect.Height() / (static_cast<double>(maxY) - minY);
    if (settings.realScaling)
        sx = sy = std::min(sx, sy);
    DrawTrack(data, dc, [&](const TrackPoint& p) {
        return PixelPoint{Nearest((p.east - minX) * sx + rect.left), Nearest((maxY - p.north) * sy + rect.top)};
    });
    return true;
}
