#include "graphics/TrackGraphs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "graphics/CellGridPainter.h"
#include "graphics/CurvePlot.h"
#include "graphics/DrawAxes.h"
#include "graphics/GraphSettings.h"
#include "graphics/NoDataValue.h"
#include "graphics/RadiusGridder.h"
#include "graphics/SmoothProfile.h"
#include "graphics/SoundingCurve.h"
#include "graphics/TrackMapLayout.h"
#include "graphics/TrackMapPoints.h"
#include "graphics/TrackMapRadius.h"
#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

namespace {

// Readings closer than this still advance the distance axis, which must keep ascending.
constexpr double kMinimumStep = 0.01;

double StepBetween(const TrackPoint& a, const TrackPoint& b)
{
    const double dx = static_cast<double>(b.east) - a.east;
    const double dy = static_cast<double>(b.north) - a.north;
    return std::max(std::sqrt(dx * dx + dy * dy), kMinimumStep);
}

} // namespace

GraphOutcome PaintTrackMap(TrackDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                           const PixelRect& rect, int f)
{
    const int ps = std::max(settings.pixelSize, 1);
    if (data.RecordCount() < 4 || !UsableRect(rect) || f < 0 || f >= kFrequencyCount)
        return GraphOutcome::NotPainted;
    data.ComputeTrack(data.HasLiveFix());
    TrackMapPoints points;
    if (!CollectTrackMapPoints(data, points))
        return GraphOutcome::OutOfMemory;
    std::vector<float> values;
    try {
        values.reserve(points.readings.size());
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    for (size_t k : points.readings)
        values.push_back(ConvertReadingFiltered(conversion, settings.currentCalibration, data.Record(k), f));
    TrackMapLayout layout;
    if (const GraphOutcome laid =
            LayOutTrackMap(points.east, points.north, rect, ps, settings.realScaling != 0, layout);
        laid != GraphOutcome::Painted)
        return laid;
    const int nx = layout.nx, ny = layout.ny;
    std::unique_ptr<float[]> grid(new (std::nothrow) float[static_cast<size_t>(nx) * static_cast<size_t>(ny)]);
    if (!grid)
        return GraphOutcome::OutOfMemory;
    RadiusGridder gridder;
    gridder.radius = TrackMapRadiusCells(data.ScatteredGridder().radius, rect.Width());
    if (!gridder.GridScattered(static_cast<int>(layout.x.size()), layout.x.data(), layout.y.data(), values.data(), nx,
                               ny, grid.get()))
        return GraphOutcome::NotPainted;
    float low = 0, high = 0;
    if (!settings.manualMapRange && GridValueRange(grid.get(), static_cast<size_t>(nx) * ny, low, high))
        settings.mapChart.SetRange(low, high);
    if (!PaintCells(surface, grid.get(), nx, ny, ps, layout.area, false, settings.mapChart))
        return GraphOutcome::NotPainted;
    if (settings.showGrid || settings.showScaleMarks) {
        const auto [xLow, xHigh] = std::minmax_element(points.east.begin(), points.east.end());
        const auto [yLow, yHigh] = std::minmax_element(points.north.begin(), points.north.end());
        DrawAxes(settings.showGrid != 0, settings.axisColour, surface, dc, layout.area, 0.0f, *xHigh - *xLow, 0.0f,
                 *yHigh - *yLow);
    }
    return GraphOutcome::Painted;
}

GraphOutcome PaintTrackSection(TrackDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                               const PixelRect& rect)
{
    const size_t n = data.RecordCount();
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    const CalibrationSet& calibration = settings.currentCalibration;
    const std::vector<int> used = UsedByDepth(conversion, calibration);
    const size_t rows = used.size();
    if (n < 2 || rows < 2 || !UsableRect(rect) || n > static_cast<size_t>(INT32_MAX))
        return GraphOutcome::NotPainted;

    data.ComputeTrack(data.HasLiveFix());
    const std::vector<TrackPoint>& track = data.Track();
    std::vector<size_t> placed; // the readings with a position, whose order the distance follows
    std::vector<float> xs, ys, values;
    try {
        for (size_t k = 0; k < n; ++k)
            if (track[k].positioned)
                placed.push_back(k);
        if (placed.size() < 2)
            return GraphOutcome::NotPainted;
        xs.resize(placed.size());
        ys.resize(rows);
        values.resize(placed.size() * rows);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const size_t columns = placed.size();
    double walked = 0;
    std::array<float, kFrequencyCount> spectrum{};
    for (size_t j = 0; j < columns; ++j) {
        if (j > 0)
            walked += StepBetween(track[placed[j - 1]], track[placed[j]]);
        xs[j] = static_cast<float>(walked);
        ConvertSpectrum(conversion, calibration, data.Record(placed[j]), spectrum);
        for (size_t r = 0; r < rows; ++r)
            values[r * columns + j] = spectrum[static_cast<size_t>(used[r])];
    }
    for (size_t r = 0; r < rows; ++r)
        ys[r] = FrequencyDepth(conversion, calibration, used[r]);
    const ValueTable table{static_cast<int>(columns), static_cast<int>(rows), xs.data(), ys.data(), values.data()};
    return DrawTrackSectionTable(table, SectionStyle(settings), data.SectionGridder(), settings.sectionChart,
                                 surface, dc, rect);
}

GraphOutcome PaintTrackProfileCurve(TrackDataSet& data, const CSettings& settings, ValueSurface& surface,
                                    DrawContext& dc, const PixelRect& rect, int f)
{
    const size_t total = data.RecordCount();
    const size_t limit = static_cast<size_t>(std::max(settings.pointsToShow, 0));
    const size_t first = limit > 0 && limit < total ? total - limit : 0;
    const size_t n = total - first;
    if (n <= 1 || !UsableRect(rect) || f < 0 || f >= kFrequencyCount)
        return GraphOutcome::NotPainted;

    std::vector<float> values;
    std::vector<CurvePoint> points;
    try {
        values.resize(n);
        points.resize(n);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    for (size_t j = 0; j < n; ++j)
        values[j] = ConvertReadingFiltered(conversion, settings.currentCalibration, data.Record(first + j), f);
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const float vmin = *low;
    const float vmax = *high;
    if (settings.filterProfileCurve)
        SmoothProfile(values.data(), static_cast<int>(std::min<size_t>(n, INT32_MAX)));

    const bool axes = settings.showGrid || settings.showScaleMarks;
    const PixelRect area{rect.left + (axes ? 22 : 2), rect.top, rect.right - 2, axes ? rect.bottom - 20 : rect.bottom};
    const long long span = std::max(area.Width(), 0);
    // The lowest value on the last row inside the area rather than on its exclusive edge.
    const float scale = vmax != vmin ? static_cast<float>(area.bottom - 1 - area.top) / (vmax - vmin) : 0.0f;
    for (size_t j = 0; j < n; ++j) {
        const int y = vmax != vmin ? area.bottom - 1 - PixelCoordinate((values[j] - vmin) * scale + 0.5f)
                                   : (rect.top + area.bottom) / 2;
        const int x = area.left + static_cast<int>((span * static_cast<long long>(j) + static_cast<long long>(n / 2)) /
                                                   static_cast<long long>(n));
        points[j] = {x, y, values[j]};
    }
    PlotCurve(surface, points);
    if (axes) {
        data.ComputeTrack(data.HasLiveFix());
        const std::vector<TrackPoint>& track = data.Track();
        double distance = 0;
        const TrackPoint* previous = nullptr;
        for (size_t k = first; k < first + n; ++k) {
            if (!track[k].positioned)
                continue;
            if (previous)
                distance += StepBetween(*previous, track[k]);
            previous = &track[k];
        }
        const bool grid = settings.showGrid != 0;
        DrawAxes(grid, settings.axisColour, surface, dc, PixelRect{area.left, rect.top, area.right, area.bottom + 20},
                 0.0f, static_cast<float>(distance), 0.0f, 0.0f);
        DrawAxes(grid, settings.axisColour, surface, dc, PixelRect{area.left - 22, rect.top, area.right, area.bottom},
                 0.0f, 0.0f, vmin, vmax);
    }
    return GraphOutcome::Painted;
}

GraphOutcome PaintLatestSoundingCurve(const TrackDataSet& data, const CSettings& settings, ValueSurface& surface,
                                      const PixelRect& rect, size_t k)
{
    if (k >= data.RecordCount() || data.Record(k).Empty())
        return GraphOutcome::NotPainted;
    return DrawRecordSoundingCurve(settings, data.Record(k), surface, rect) ? GraphOutcome::Painted
                                                                             : GraphOutcome::NotPainted;
}

GraphOutcome PaintTrackInvertedSection(TrackDataSet& data, const CSettings& settings, const InvertedResults& results,
                                       ValueSurface& surface, DrawContext& dc, const PixelRect& rect,
                                       DepthScale& depth)
{
    data.ComputeTrack(data.HasLiveFix());
    const std::vector<TrackPoint>& track = data.Track();
    std::vector<InvertedColumn> columns;
    try {
        const TrackPoint* previous = nullptr;
        double walked = 0;
        for (size_t k = 0; k < data.RecordCount(); ++k) {
            if (!track[k].positioned)
                continue;
            if (previous)
                walked += StepBetween(*previous, track[k]);
            previous = &track[k];
            columns.push_back({static_cast<float>(walked), data.Record(k).Empty() ? nullptr : results(k)});
        }
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    return DrawInvertedSection(columns, InvertedStyle(settings), surface, dc, rect, depth);
}
