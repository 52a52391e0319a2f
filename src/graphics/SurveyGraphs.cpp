#include "graphics/SurveyGraphs.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "graphics/CurvePlot.h"
#include "graphics/DrawAxes.h"
#include "graphics/GraphSettings.h"
#include "graphics/SmoothProfile.h"
#include "graphics/SoundingCurve.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

namespace {

// Stations per profile: the grid's, or the records of an open-ended profile.
uint32_t ProfileWidth(const SurveyDataSet& data)
{
    return data.XSize() != 0 ? data.XSize() : static_cast<uint32_t>(data.RecordCount());
}

const MeasurementRecord* MeasuredRecord(const SurveyDataSet& data, uint32_t p, uint32_t s)
{
    const uint32_t index = data.IndexOf(p, s);
    if (index >= data.RecordCount() || data.Record(index).Empty())
        return nullptr;
    return &data.Record(index);
}


} // namespace

GraphOutcome DrawSoundingCurve(const SurveyDataSet& data, const CSettings& settings, ValueSurface& surface,
                               const PixelRect& rect, uint32_t p, uint32_t s)
{
    const uint32_t index = data.IndexOf(p, s);
    if (index >= data.RecordCount() || data.Record(index).Empty())
        return GraphOutcome::NotPainted;
    return DrawRecordSoundingCurve(settings, data.Record(index), surface, rect) ? GraphOutcome::Painted
                                                                               : GraphOutcome::NotPainted;
}

GraphOutcome DrawProfileCurve(const SurveyDataSet& data, const CSettings& settings, ValueSurface& surface,
                              DrawContext& dc, const PixelRect& rect, uint32_t p, uint32_t s, int f)
{
    if (!UsableRect(rect) || f < 0 || f >= kFrequencyCount)
        return GraphOutcome::NotPainted;
    long long width = ProfileWidth(data);
    const GridSpan run = data.FindStationRun(p, s);
    if (!run.found || run.first >= run.last)
        return GraphOutcome::NotPainted;
    uint32_t first = run.first;
    const uint32_t shown = static_cast<uint32_t>(std::max(settings.pointsToShow, 0));
    if (shown > 0 && run.last - run.first + 1 > shown) {
        first = run.last - shown + 1;
        width = shown;
    }
    const int m = static_cast<int>(run.last - first + 1);
    if (m < 2)
        return GraphOutcome::NotPainted;

    std::vector<float> values;
    std::vector<CurvePoint> points;
    try {
        values.resize(static_cast<size_t>(m));
        points.resize(static_cast<size_t>(m));
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    for (int k = 0; k < m; ++k)
        values[static_cast<size_t>(k)] = ConvertReadingFiltered(conversion, settings.currentCalibration,
                                                                *MeasuredRecord(data, p, first + uint32_t(k)), f);
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const float vmin = *low;
    const float vmax = *high;
    if (settings.filterProfileCurve)
        SmoothProfile(values.data(), m);

    const bool axes = settings.showScaleMarks || settings.showGrid;
    int x0 = rect.left + (axes ? 22 : 2);
    const int b = axes ? rect.bottom - 20 : rect.bottom;
    const long long usable = std::max(rect.right - 2 - x0, 0);
    const int w = static_cast<int>(usable * m / std::max<long long>(width, m));
    if (p % 2 == 1)
        x0 = rect.right - 2 - w;
    const float scale = vmax > vmin ? static_cast<float>(b - 1 - rect.top) / (vmax - vmin) : 0.0f;
    for (int k = 0; k < m; ++k) {
        const float v = values[static_cast<size_t>(k)];
        const int x = x0 + static_cast<int>(((m - 1) / 2 + static_cast<long long>(k) * w) / (m - 1));
        // The lowest value on the last row inside the frame rather than on its exclusive edge.
        const int y = vmax > vmin ? b - 1 - PixelCoordinate((v - vmin) * scale + 0.5f) : (rect.top + b) / 2;
        points[static_cast<size_t>(k)] = {x, y, v};
    }
    PlotCurve(surface, points);
    if (axes) {
        const Colour grid = settings.axisColour;
        DrawAxes(settings.showGrid != 0, grid, surface, dc, PixelRect{x0, rect.top, x0 + w, b + 20}, 0.0f,
                 static_cast<float>(m - 1) * data.XStep(), 0.0f, 0.0f);
        DrawAxes(settings.showGrid != 0, grid, surface, dc, PixelRect{x0 - 22, rect.top, x0 + w, b}, 0.0f, 0.0f,
                 vmin, vmax);
    }
    return GraphOutcome::Painted;
}

GraphOutcome DrawSection(SurveyDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                         const PixelRect& rect, uint32_t p, uint32_t s)
{
    if (!UsableRect(rect))
        return GraphOutcome::NotPainted;
    const GridSpan run = data.FindStationRun(p, s);
    if (!run.found)
        return GraphOutcome::NotPainted;
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    const CalibrationSet& calibration = settings.currentCalibration;
    const std::vector<int> used = UsedByDepth(conversion, calibration);
    const size_t m = run.last - run.first + 1;
    const size_t nf = used.size();
    if (m < 2 || nf < 2)
        return GraphOutcome::NotPainted;

    std::vector<float> xs, ys, values;
    try {
        xs.resize(m);
        ys.resize(nf);
        values.resize(m * nf);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    for (size_t r = 0; r < nf; ++r)
        ys[r] = FrequencyDepth(conversion, calibration, used[r]);
    std::array<float, kFrequencyCount> spectrum{};
    for (size_t c = 0; c < m; ++c) {
        xs[c] = static_cast<float>(c) * data.XStep();
        ConvertSpectrum(conversion, calibration, *MeasuredRecord(data, p, run.first + uint32_t(c)), spectrum);
        for (size_t r = 0; r < nf; ++r)
            values[r * m + c] = spectrum[static_cast<size_t>(used[r])];
    }
    const ValueTable table{static_cast<int>(m), static_cast<int>(nf), xs.data(), ys.data(), values.data()};
    return DrawSectionTable(table, static_cast<int>(ProfileWidth(data)), data.XStep(), p % 2 == 1,
                            SectionStyle(settings), data.Gridder(), settings.sectionChart, surface, dc, rect);
}

GraphOutcome DrawMap(SurveyDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                     const PixelRect& rect, uint32_t p, uint32_t s, int f)
{
    const size_t width = ProfileWidth(data);
    const GridSpan block = data.FindProfileBlock(p, s);
    if (!UsableRect(rect) || !block.found || width < 2 || f < 0 || f >= kFrequencyCount ||
        !settings.usedFrequencies[static_cast<size_t>(f)])
        return GraphOutcome::NotPainted;
    const uint32_t lastRow = block.last < p && p < data.YSize() ? p : block.last;
    const size_t rows = lastRow - block.first + 1;
    if (rows < 2)
        return GraphOutcome::NotPainted;

    std::vector<float> xs, ys, values;
    try {
        xs.resize(width);
        ys.resize(rows);
        values.resize(width * rows);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    for (size_t c = 0; c < width; ++c)
        xs[c] = static_cast<float>(c) * data.XStep();
    for (size_t r = 0; r < rows; ++r) {
        ys[r] = static_cast<float>(r) * data.YStep();
        const uint32_t q = block.first + static_cast<uint32_t>(r);
        for (size_t c = 0; c < width; ++c) {
            float& cell = values[r * width + c];
            if (const MeasurementRecord* record = MeasuredRecord(data, q, static_cast<uint32_t>(c)))
                cell = ConvertReadingFiltered(conversion, settings.currentCalibration, *record, f);
            else // not yet measured on the partial row: repeat the profile below
                cell = r > 0 ? values[(r - 1) * width + c] : 0.0f;
        }
    }
    const ValueTable table{static_cast<int>(width), static_cast<int>(rows), xs.data(), ys.data(), values.data()};
    return DrawMapTable(table, MapStyle(settings), data.Gridder(), settings.mapChart, surface, dc, rect);
}
