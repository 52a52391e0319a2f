#include "graphics/InvertedSection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "graphics/DrawAxes.h"
#include "graphics/GraphSettings.h"

namespace {

constexpr int kDepthMargin = 22;    // the depth labels' column, as the other graphs have it
constexpr int kDistanceMargin = 20; // the distance labels' row
constexpr int kBarGap = 4;
constexpr int kLabelGap = 2;
constexpr float kDepthBelowInvestigation = 1.25f;

bool Inverted(const InvertedColumn& column)
{
    return column.result != nullptr && column.result->refusal == StationRefusal::None &&
           column.result->model.Layers() > 0;
}

std::string Label(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

// The depth the section reaches: whole metres a quarter below the deepest depth of
// investigation, so that the depth scale's labels fall on its marks.
float SectionDepth(const std::vector<InvertedColumn>& columns)
{
    double deepest = 0;
    for (const InvertedColumn& column : columns)
        if (Inverted(column) && std::isfinite(column.result->doi))
            deepest = std::max(deepest, column.result->doi);
    return std::max(1.0f, std::ceil(static_cast<float>(deepest) * kDepthBelowInvestigation));
}

// The log10 range of the values shown above the depths of investigation; false when none.
bool LogRange(const std::vector<InvertedColumn>& columns, int32_t valueKind, float depth, float& low, float& high)
{
    bool any = false;
    for (const InvertedColumn& column : columns) {
        if (!Inverted(column))
            continue;
        const LayeredEarth& model = column.result->model;
        const double reach = std::min<double>(depth, column.result->doi);
        for (size_t j = 0; j < model.Layers(); ++j) {
            // The first layer counts even when the depth of investigation is above its bottom.
            if (j > 0 && model.Top(j) >= reach)
                break;
            const double value = InvertedValue(model.conductivity[j], valueKind);
            if (!(value > 0) || !std::isfinite(value))
                continue;
            const float v = static_cast<float>(std::log10(value));
            low = any ? std::min(low, v) : v;
            high = any ? std::max(high, v) : v;
            any = true;
        }
    }
    if (any && high - low < 0.01f) {
        low -= 0.05f;
        high += 0.05f;
    }
    return any;
}

// Depth marks from the surface down at a round step that leaves room for each label, the
// labels in the margin at the left of the stations.
void DrawDepthScale(const InvertedSectionStyle& style, ValueSurface& surface, DrawContext& dc, const PixelRect& area,
                    float reach)
{
    constexpr int kLabelSpacing = 20;
    constexpr int kTick = 4;
    const float pixelsPerMetre = static_cast<float>(area.Height()) / reach;
    float step = 0;
    for (float candidate : {0.5f, 1.0f, 2.0f, 5.0f, 10.0f, 20.0f, 50.0f, 100.0f, 200.0f, 500.0f}) {
        step = candidate;
        if (candidate * pixelsPerMetre >= kLabelSpacing)
            break;
    }
    for (int k = 1; static_cast<float>(k) * step <= reach * 1.0001f; ++k) {
        const float metres = static_cast<float>(k) * step;
        const int y = std::min(area.top + static_cast<int>(std::lround(metres * pixelsPerMetre)), area.bottom - 1);
        surface.DrawLine(area.left - kTick, y, area.left - 1, y, 0);
        if (style.grid)
            surface.DrawLine(area.left, y, area.right - 1, y, style.axisColour);
        const std::string label = Label(metres);
        const TextSize size = dc.TextExtent(label);
        dc.TextOut(area.left - kTick - 1 - size.width, std::max(area.top, y - size.height / 2), label);
    }
}

} // namespace

double InvertedValue(double sigma, int32_t valueKind)
{
    switch (valueKind) {
    case 0:
        return 1.0 / sigma;
    case 1:
        return 1000.0 * sigma;
    default:
        return sigma;
    }
}

Colour FadedBelowInvestigation(Colour colour)
{
    Colour faded = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const float channel = static_cast<float>((colour >> shift) & 0xFF);
        const float toWhite = channel + (255.0f - channel) * kBelowInvestigationFade;
        faded |= static_cast<Colour>(std::lround(toWhite)) << shift;
    }
    return faded;
}

GraphOutcome DrawInvertedSection(const std::vector<InvertedColumn>& columns, const InvertedSectionStyle& style,
                                 ValueSurface& surface, DrawContext& dc, const PixelRect& rect, DepthScale& depth)
{
    if (!UsableRect(rect) || columns.empty() || surface.Bits() == nullptr || !surface.HasValues())
        return GraphOutcome::NotPainted;
    if (std::none_of(columns.begin(), columns.end(), Inverted))
        return GraphOutcome::NotPainted;
    const float reach = SectionDepth(columns);
    float low = 0, high = 0;
    if (!LogRange(columns, style.valueKind, reach, low, high))
        return GraphOutcome::NotPainted;
    ColorChart chart = style.chart;
    chart.SetRange(low, high);

    // The stations, the colour bar beside them and its labels, the scales' margins.
    dc.SetFont("Arial", 80);
    dc.SetTextColour(0);
    const std::string labels[] = {Label(std::pow(10.0, high)), Label(std::pow(10.0, (low + high) / 2)),
                                  Label(std::pow(10.0, low))};
    int labelWidth = 0, labelHeight = 0;
    for (const std::string& label : labels) {
        const TextSize size = dc.TextExtent(label);
        labelWidth = std::max(labelWidth, size.width);
        labelHeight = std::max(labelHeight, size.height);
    }
    const int barWidth = std::clamp(rect.Width() / 24, 6, 16);
    PixelRect area = rect;
    if (style.axes) {
        area.left += kDepthMargin;
        area.bottom -= kDistanceMargin;
    }
    area.right -= kBarGap + barWidth + kLabelGap + labelWidth;
    if (area.Width() < 2 || area.Height() < 2)
        return GraphOutcome::TooSmall;
    depth.area = area;
    depth.metresPerPixel = reach / static_cast<float>(area.Height());

    // Each station reaches halfway to its neighbours; the ends half a spacing out.
    const size_t n = columns.size();
    std::vector<float> middles(n > 0 ? n - 1 : 0);
    for (size_t k = 0; k + 1 < n; ++k)
        middles[k] = (columns[k].x + columns[k + 1].x) / 2;
    const float firstHalf = n > 1 ? (columns[1].x - columns[0].x) / 2 : 0.5f;
    const float lastHalf = n > 1 ? (columns[n - 1].x - columns[n - 2].x) / 2 : 0.5f;
    const float x0 = columns.front().x - firstHalf;
    float span = columns.back().x + lastHalf - x0;
    if (!(span > 0))
        span = 1;
    const float metresPerColumn = span / static_cast<float>(area.Width());

    const int width = surface.Width();
    const int yBegin = std::max(area.top, 0), yEnd = std::min(area.bottom, surface.Height());
    for (int px = std::max(area.left, 0); px < std::min(area.right, width); ++px) {
        const float x = x0 + (static_cast<float>(px - area.left) + 0.5f) * metresPerColumn;
        const size_t k = static_cast<size_t>(std::upper_bound(middles.begin(), middles.end(), x) - middles.begin());
        if (!Inverted(columns[k]))
            continue;
        const InversionResult& result = *columns[k].result;
        const LayeredEarth& model = result.model;
        size_t layer = 0;
        double bottom = model.Layers() > 1 ? model.Top(1) : INFINITY;
        size_t colouredLayer = SIZE_MAX;
        bool colouredFaded = false;
        bool showable = false; // a value that can be shown: positive and finite
        uint32_t pixel = 0;
        float value = 0;
        for (int y = yBegin; y < yEnd; ++y) {
            const double z = depth.DepthAt(y);
            while (z >= bottom) {
                ++layer;
                bottom = layer + 1 < model.Layers() ? bottom + model.thickness[layer] : INFINITY;
            }
            const bool faded = z > result.doi;
            if (layer != colouredLayer || faded != colouredFaded) {
                const double shown = InvertedValue(model.conductivity[layer], style.valueKind);
                value = static_cast<float>(shown);
                showable = value > 0 && std::isfinite(value);
                const Colour colour = chart.ColorAt(static_cast<float>(std::log10(shown)));
                pixel = DibSurface::ToPixel(faded ? FadedBelowInvestigation(colour) : colour);
                colouredLayer = layer;
                colouredFaded = faded;
            }
            if (!showable)
                continue;
            const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(px);
            surface.Bits()[at] = pixel;
            surface.Values()[at] = value;
        }
    }
    surface.NoteChange();

    // The colour bar: the chart from the smallest value at the bottom to the largest at the top.
    const int barLeft = area.right + kBarGap;
    for (int y = area.top; y < area.bottom; ++y) {
        const float t = (static_cast<float>(area.bottom - 1 - y) + 0.5f) / static_cast<float>(area.Height());
        const float logValue = low + t * (high - low);
        surface.FillBlock(PixelRect{barLeft, y, barLeft + barWidth, y + 1}, chart.ColorAt(logValue),
                          static_cast<float>(std::pow(10.0f, logValue)));
    }
    const int labelLeft = barLeft + barWidth + kLabelGap;
    dc.TextOut(labelLeft, area.top, labels[0]);
    dc.TextOut(labelLeft, (area.top + area.bottom - labelHeight) / 2, labels[1]);
    dc.TextOut(labelLeft, area.bottom - labelHeight, labels[2]);

    if (style.axes) {
        // The distance scale from the first station to the last, the depth scale from the surface.
        const auto pixelOf = [&](float x) { return area.left + static_cast<int>(std::lround((x - x0) / metresPerColumn)); };
        const float first = columns.front().x, last = columns.back().x;
        if (last > first)
            DrawAxes(style.grid, style.axisColour, surface, dc,
                     PixelRect{pixelOf(first), area.top, pixelOf(last) + 1, area.bottom + kDistanceMargin}, first,
                     last, 0.0f, 0.0f);
        DrawDepthScale(style, surface, dc, area, reach);
    }
    return GraphOutcome::Painted;
}
