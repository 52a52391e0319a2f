#include "graphics/TrackView.h"

#include <algorithm>
#include <cmath>

#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

namespace {

struct Pixel {
    int x = 0;
    int y = 0;
    bool operator==(const Pixel&) const = default;
};

int Nearest(double v)
{
    constexpr double kLimit = 1 << 20;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::floor(std::clamp(v, -kLimit, kLimit) + 0.5));
}

PixelRect Circle(const Pixel& at)
{
    return PixelRect{at.x - 2, at.y - 2, at.x + 2, at.y + 2};
}

} // namespace

bool PaintTrackView(TrackDataSet& data, DrawContext& dc, const PixelRect& outer)
{
    const size_t n = data.RecordCount();
    if (n == 0)
        return false;
    const CSettings& settings = data.Settings();
    const PixelRect rect{outer.left + 2, outer.top + 2, outer.right - 2, outer.bottom - 2};
    data.ComputeTrack(data.HasLiveFix());
    const std::vector<TrackPoint>& track = data.Track();

    float minX = 0, maxX = 0, minY = 0, maxY = 0; // entry 0 is the origin
    for (size_t k = 1; k <= n; ++k) {
        minX = std::min(minX, track[k].east);
        maxX = std::max(maxX, track[k].east);
        minY = std::min(minY, track[k].north);
        maxY = std::max(maxY, track[k].north);
    }
    if (minX == maxX)
        maxX += 1;
    if (minY == maxY)
        maxY += 1;
    double sx = rect.Width() / (static_cast<double>(maxX) - minX);
    double sy = rect.Height() / (static_cast<double>(maxY) - minY);
    if (settings.realScaling)
        sx = sy = std::min(sx, sy);
    auto pixelOf = [&](size_t k) {
        return Pixel{Nearest((track[k].east - minX) * sx + rect.left),
                     Nearest((maxY - track[k].north) * sy + rect.top)};
    };

    dc.SetPen(PenStyle::Solid, 1, settings.colourA);
    Pixel previous = pixelOf(0);
    dc.MoveTo(previous.x, previous.y);
    dc.Ellipse(Circle(previous));
    for (size_t k = 1; k < n; ++k) {
        const Pixel at = pixelOf(k);
        // Readings on the pixel of the one before add nothing to the picture.
        if (!(at == previous)) {
            dc.LineTo(at.x, at.y);
            dc.Ellipse(Circle(at));
        }
        previous = at;
    }

    const Pixel live = pixelOf(n);
    const size_t cursor = data.CurrentIndex();
    dc.SetPen(PenStyle::Dash, 1, settings.colourA);
    if (cursor > 0 && cursor - 1 < n) {
        const Pixel from = pixelOf(cursor - 1);
        dc.MoveTo(from.x, from.y);
        dc.LineTo(live.x, live.y);
    }
    if (cursor + 1 < n) {
        const Pixel from = pixelOf(cursor + 1);
        dc.MoveTo(from.x, from.y);
        dc.LineTo(live.x, live.y);
    }
    dc.SetPen(PenStyle::Solid, 1, settings.colourA);
    dc.Ellipse(Circle(live));

    dc.SetPen(PenStyle::Solid, 1, settings.colourC);
    dc.SetBrush(settings.colourC);
    dc.Ellipse(Circle(cursor < n ? pixelOf(cursor) : live));
    dc.SetBrush(0x00FFFFFF);
    return true;
}
