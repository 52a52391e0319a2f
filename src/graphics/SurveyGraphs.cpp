#include "graphics/SurveyGraphs.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "graphics/CurvePlot.h"
#include "graphics/DrawAxes.h"
#include "graphics/GraphSettings.h"
#include "model/InversionLines.h"
#include "graphics/SmoothProfile.h"
#include "graphics/SoundingCurve.h"
#include "graphics/SurveyMapTable.h"
#include "graphics/SurveySectionTable.h"
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
    SurveySectionTable table;
    const GraphOutcome built = BuildSurveySectionTable(data, settings, p, s, table);
    if (built != GraphOutcome::Painted)
        return built;
    return DrawSectionTable(table.View(), static_cast<int>(ProfileWidth(data)), data.XStep(), p % 2 == 1,
                            SectionStyle(settings), data.Gridder(), settings.sectionChart, surface, dc, rect);
}

GraphOutcome DrawMap(SurveyDataSet& data, CSettings& settings, ValueSurface& surface, DrawContext& dc,
                     const PixelRect& rect, uint32_t p, uint32_t s, int f)
{
    if (!UsableRect(rect))
        return GraphOutcome::NotPainted;
    SurveyMapTable table;
    const GraphOutcome built = BuildSurveyMapTable(data, settings, p, s, f, table);
    if (built != GraphOutcome::Painted)
        return built;
    return DrawMapTable(table.View(), MapStyle(settings), data.Gridder(), settings.mapChart, surface, dc, rect);
}

GraphOutcome DrawInvertedProfile(const SurveyDataSet& data, const CSettings& settings, const InvertedResults& results,
                                 ValueSurface& surface, DrawContext& dc, const PixelRect& rect, uint32_t p,
                                 DepthScale& depth)
{
    std::vector<InvertedColumn> columns;
    try {
        const std::vector<size_t> line = ProfileLine(data, p);
        columns.reserve(line.size());
        for (size_t s = 0; s < line.size(); ++s) {
            const bool measured = line[s] < data.RecordCount() && !data.Record(line[s]).Empty();
            columns.push_back({static_cast<float>(s) * data.XStep(), measured ? results(line[s]) : nullptr});
        }
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    return DrawInvertedSection(columns, InvertedStyle(settings), surface, dc, rect, depth);
}
