#include "graphics/SoundingCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "graphics/CurvePlot.h"
#include "graphics/GraphSettings.h"
#include "settings/CSettings.h"

namespace {

constexpr Colour kBlack = 0;
constexpr int kMaxTicks = 1000;

// 1 for q = 0, 10 for 1..9, 100 for 10..99, …
double PowerOfTenAbove(double q)
{
    double step = 1.0;
    while (step <= q && step < 1e300)
        step *= 10.0;
    return step;
}

// Tick positions along one axis of `length` plot pixels from `origin`, for values low..high
// at `scale` pixels per unit; ticks stop before `end`.
std::vector<int> TickPositions(int length, float low, float high, float scale, int origin, int end)
{
    std::vector<int> ticks;
    if (!(high > low))
        return ticks;
    const int n = length / 10 + 1;
    const double q = std::round((static_cast<double>(high) - low) / n);
    const double step = PowerOfTenAbove(q);
    const double start = std::trunc(low / step) * step;
    for (int k = 0; k < kMaxTicks; ++k) {
        const double value = start + k * step;
        if (value > high)
            break;
        if (value < low)
            continue;
        const int at = PixelCoordinate((value - low) * scale + origin + 0.5);
        if (at >= end)
            break;
        ticks.push_back(at);
    }
    return ticks;
}

void DrawScales(ValueSurface& surface, const PixelRect& r, float vmin, float vmax, float dmin, float dmax)
{
    surface.DrawLine(r.left, r.top + 2, r.right - 1, r.top + 2, kBlack);
    for (const auto& [x, y] : std::array<std::pair<int, int>, 6>{
             {{r.right - 1, r.top + 1}, {r.right - 2, r.top + 1}, {r.right - 2, r.top},
              {r.right - 1, r.top + 3}, {r.right - 2, r.top + 3}, {r.right - 2, r.top + 4}}})
        surface.SetPixel(x, y, kBlack);
    for (int row = r.top; row <= r.top + 4; ++row)
        surface.ValueLine(r.left + 6, row, r.right - 1, row, vmin, vmax);

    surface.DrawLine(r.left + 2, r.top, r.left + 2, r.bottom - 1, kBlack);
    for (const auto& [x, y] : std::array<std::pair<int, int>, 6>{
             {{r.left + 1, r.bottom - 1}, {r.left + 1, r.bottom - 2}, {r.left, r.bottom - 2},
              {r.left + 3, r.bottom - 1}, {r.left + 3, r.bottom - 2}, {r.left + 4, r.bottom - 2}}})
        surface.SetPixel(x, y, kBlack);
    for (int column = r.left; column <= r.left + 4; ++column)
        surface.ValueLine(column, r.top + 6, column, r.bottom - 1, dmin, dmax);
}

} // namespace

bool DrawRecordSoundingCurve(const CSettings& settings, const MeasurementRecord& record, ValueSurface& surface,
                             const PixelRect& rect)
{
    if (!UsableRect(rect))
        return false;
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    std::array<float, kFrequencyCount> spectrum{};
    ConvertSpectrum(conversion, settings.currentCalibration, record, spectrum);

    std::array<float, kFrequencyCount> values{};
    std::array<float, kFrequencyCount> depths{};
    int count = 0;
    for (int i = 0; i < kFrequencyCount; ++i) {
        if (!settings.usedFrequencies[static_cast<size_t>(i)])
            continue;
        values[static_cast<size_t>(count)] = spectrum[static_cast<size_t>(i)];
        depths[static_cast<size_t>(count)] = FrequencyDepth(conversion, settings.currentCalibration, i);
        ++count;
    }
    if (count == 0)
        return false;
    const auto [vLow, vHigh] = std::minmax_element(values.begin(), values.begin() + count);
    const auto [dLow, dHigh] = std::minmax_element(depths.begin(), depths.begin() + count);
    const float vmin = *vLow, vmax = *vHigh, dmin = *dLow, dmax = *dHigh;
    if (vmin == vmax && dmin == dmax)
        return false;

    const bool scaleMarks = settings.showScaleMarks != 0;
    const bool grid = settings.showGrid != 0;
    const int m = scaleMarks ? 6 : 1;
    if (scaleMarks)
        DrawScales(surface, rect, vmin, vmax, dmin, dmax);

    const int plotLeft = rect.left + m;
    const int plotTop = rect.top + m;
    const int plotWidth = rect.right - plotLeft;
    const int plotHeight = rect.bottom - plotTop;
    // The extremes land on the last pixel inside the rectangle, not on its exclusive edge.
    // An axis whose points all coincide has no scale: they sit in its middle.
    const float sx = vmax > vmin ? static_cast<float>(plotWidth - 1) / (vmax - vmin) : 0.0f;
    const float sy = dmax > dmin ? static_cast<float>(plotHeight - 1) / (dmax - dmin) : 0.0f;
    const int xOrigin = sx != 0.0f ? plotLeft : plotLeft + (plotWidth - 1) / 2;
    const int yOrigin = sy != 0.0f ? plotTop : plotTop + (plotHeight - 1) / 2;

    if (scaleMarks || grid) {
        for (const int px : TickPositions(plotWidth, vmin, vmax, sx, plotLeft, rect.right - 3)) {
            if (grid)
                surface.DrawLine(px, plotTop - 1, px, rect.bottom - 1, settings.axisColour);
            if (scaleMarks)
                surface.DrawLine(px, plotTop - 3, px, plotTop - 2, kBlack);
        }
        for (const int py : TickPositions(plotHeight, dmin, dmax, sy, plotTop, rect.bottom - 3)) {
            if (grid)
                surface.DrawLine(plotLeft - 1, py, rect.right - 1, py, settings.axisColour);
            if (scaleMarks)
                surface.DrawLine(plotLeft - 3, py, plotLeft - 2, py, kBlack);
        }
    }

    std::vector<CurvePoint> points;
    points.reserve(static_cast<size_t>(count));
    for (size_t k = 0; k < static_cast<size_t>(count); ++k)
        points.push_back({PixelCoordinate((values[k] - vmin) * sx + static_cast<float>(xOrigin) + 0.5f),
                          PixelCoordinate((depths[k] - dmin) * sy + static_cast<float>(yOrigin) + 0.5f), values[k]});
    PlotCurve(surface, points);
    return true;
}
