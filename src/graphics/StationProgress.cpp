#include "graphics/StationProgress.h"

#include <algorithm>

#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

namespace {

constexpr int kBandProfiles = 6;
constexpr long long kOpenProfileColumns = 20;

// Cell of station c among `columns` across `width` pixels, with a one-pixel gap after it
// and at least one pixel wide.
void CellSpan(long long c, long long columns, long long width, int left, int& x0, int& x1)
{
    x0 = static_cast<int>(left + c * width / columns);
    x1 = std::max(static_cast<int>(left + (c + 1) * width / columns - 1), x0 + 1);
}

} // namespace

bool PaintStationProgress(const SurveyDataSet& data, DrawContext& dc, const PixelRect& rect)
{
    const CSettings& settings = data.Settings();
    const long long n = static_cast<long long>(data.RecordCount());
    const long long columns = data.XSize() != 0 ? data.XSize() : std::max(n + 1, kOpenProfileColumns);
    const long long width = rect.Width();
    const int rowHeight = rect.Height() / kBandProfiles;
    if (width <= 0 || rowHeight <= 0)
        return true;
    const int firstRowTop = rect.top + (rect.Height() - kBandProfiles * rowHeight);
    const uint32_t p = data.Profile();
    const uint32_t s = data.Station();
    const uint32_t bandBottom = kBandProfiles * (p / kBandProfiles);
    auto measured = [&](uint32_t q, long long c) {
        const uint32_t index = data.IndexOf(q, static_cast<uint32_t>(c));
        return index < data.RecordCount() && !data.Record(index).Empty();
    };
    const bool crowded = columns > width;
    for (int row = 0; row < kBandProfiles; ++row) {
        const uint32_t q = bandBottom + (kBandProfiles - 1 - row);
        if (q >= data.YSize())
            continue;
        const int y0 = firstRowTop + row * rowHeight + 1;
        const int y1 = firstRowTop + (row + 1) * rowHeight - 1;
        if (crowded) {
            for (long long x = 0; x < width; ++x) {
                const long long c = x * columns / width;
                if (q == p && c == s)
                    continue;
                const int at = static_cast<int>(rect.left + x);
                dc.FillRect(PixelRect{at, y0, at + 1, y1}, measured(q, c) ? settings.colourB : settings.colourA);
            }
            continue;
        }
        for (long long c = 0; c < columns; ++c) {
            if (q == p && c == s)
                continue;
            int x0 = 0, x1 = 0;
            CellSpan(c, columns, width, rect.left, x0, x1);
            dc.FillRect(PixelRect{x0, y0, x1, y1}, measured(q, c) ? settings.colourB : settings.colourA);
        }
    }
    if (p < data.YSize() && s < columns) {
        const int row = kBandProfiles - 1 - static_cast<int>(p - bandBottom);
        int x0 = 0, x1 = 0;
        CellSpan(s, columns, width, rect.left, x0, x1);
        dc.FillRect(PixelRect{x0, firstRowTop + row * rowHeight + 1, x1, firstRowTop + (row + 1) * rowHeight - 1},
                    settings.colourC);
    }
    return true;
}
