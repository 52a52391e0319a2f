#include "graphics/DrawAxes.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr Colour kBlack = 0;
constexpr int kMajorLength = 7;
constexpr int kMinorLength = 4;
constexpr int kLabelGap = 8;
constexpr int kLabelSpace = 1; // blank pixels at least between two labels

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void DrawHorizontalAxis(bool grid, Colour gridColour, DibSurface& surface, DrawContext& dc,
                        const PixelRect& rect, float x0, float x1)
{
    // Long spans have wide labels: one that would touch the label before it is left out.
    int labelsEnd = INT_MIN;
    for (const AxisMark& mark : AxisMarks(rect.Width(), std::fabs(x1 - x0))) {
        const int x = rect.left + mark.offset;
        if (x >= rect.right)
            continue;
        const int length = mark.major ? kMajorLength : kMinorLength;
        if (mark.major) {
            const std::string label = Format("%.0lf", static_cast<double>(x0) + static_cast<double>(mark.k));
            const TextSize size = dc.TextExtent(label);
            const int labelTop = rect.bottom - 1 - size.height - 6;
            const int labelLeft = x - size.width / 2;
            if (labelLeft > labelsEnd) {
                if (grid)
                    surface.DrawLine(x, rect.top, x, labelTop - 1, gridColour);
                dc.TextOut(labelLeft, labelTop, label);
                labelsEnd = labelLeft + size.width + kLabelSpace;
            }
        }
        surface.DrawLine(x, rect.bottom - 1, x, rect.bottom - length, kBlack);
    }
}

void DrawVerticalAxis(bool grid, Colour gridColour, DibSurface& surface, DrawContext& dc,
                      const PixelRect& rect, float y0, float y1)
{
    const int height = rect.Height();
    for (const AxisMark& mark : AxisMarks(height, std::fabs(y1 - y0))) {
        const int y = rect.top + height - mark.offset;
        if (y < rect.top)
            break;
        if (y >= rect.bottom)
            continue;
        const int length = mark.major ? kMajorLength : kMinorLength;
        surface.DrawLine(rect.left, y, rect.left + length - 1, y, kBlack);
        if (!mark.major)
            continue;
        const double k = static_cast<double>(mark.k);
        const double value = std::trunc(y0 < y1 ? y0 + k + 0.5 : y0 - k + 0.5);
        if (!(std::fabs(value) < 2147483648.0))
            continue;
        const std::string label = Format("%.0f", value == 0.0 ? 0.0 : value);
        const TextSize size = dc.TextExtent(label);
        int labelTop = y - size.height / 2;
        if (labelTop < rect.top)
            labelTop += size.height / 10 + 1;
        dc.TextOut(rect.left + kLabelGap, labelTop, label);
        if (grid)
            surface.DrawLine(rect.left + kLabelGap + size.width, y, rect.right - 1, y, gridColour);
    }
}

} // namespace

std::vector<AxisMark> AxisMarks(int length, float span)
{
    std::vector<AxisMark> marks;
    // Spans beyond 2^62 units cannot be counted in whole units.
    if (length <= 0 || !(span > 0.0f) || !(span < 4.6e18f))
        return marks;
    const int64_t units = static_cast<int64_t>(span + 0.5f);
    const int64_t q = units / (length / 20 + 1);
    int64_t step = ((q + 4) / 5) * 5;
    if (step >= units - 1)
        step /= 5;
    if (step < 1)
        step = 1;
    const int64_t minor = step >= 5 ? step / 5 : 1;
    for (int64_t k = minor; k < units; k += minor) {
        const double offset = static_cast<double>(k) * length / static_cast<double>(span);
        marks.push_back({k, static_cast<int>(std::lround(offset)), k % step == 0});
    }
    return marks;
}

bool DrawAxes(bool grid, Colour gridColour, DibSurface& surface, DrawContext& dc, const PixelRect& rect,
              float x0, float x1, float y0, float y1)
{
    dc.SetFont("Arial", 80);
    dc.SetTextColour(kBlack);
    if (x0 != x1)
        DrawHorizontalAxis(grid, gridColour, surface, dc, rect, x0, x1);
    if (y0 != y1)
        DrawVerticalAxis(grid, gridColour, surface, dc, rect, y0, y1);
    return true;
}
