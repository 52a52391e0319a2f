#pragma once
#include <cstdint>
#include <vector>

#include "graphics/ColorChart.h"
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"
#include "graphics/TableGraphs.h"
#include "graphics/ValueSurface.h"
#include "model/Inversion.h"

// One station of an inverted section: where it lies along the line, in metres, and its
// result; null while it has none (not measured or not inverted yet).
struct InvertedColumn {
    float x = 0;
    const InversionResult* result = nullptr;
};

// The value shown for a conductivity σ (S/m) as "apparentValueKind" says: 0 resistivity in
// ohm·m, 1 conductivity in mS/m, any other in S/m.
double InvertedValue(double sigma, int32_t valueKind);

// Where the section's depths lie on the surface, for reading a depth under a pixel.
struct DepthScale {
    PixelRect area;             // the painted stations
    float metresPerPixel = 0;   // rows from area.top down

    bool Contains(int x, int y) const { return x >= area.left && x < area.right && y >= area.top && y < area.bottom; }
    // The depth at the middle of row y.
    float DepthAt(int y) const { return (static_cast<float>(y - area.top) + 0.5f) * metresPerPixel; }
};

struct InvertedSectionStyle {
    int32_t valueKind = 1;
    ColorChart chart;          // its colours; the range is the section's own
    bool axes = true;          // depth and distance scales beside the section
    bool grid = false;
    Colour axisColour = 0x808080;
};

// How much a colour below a station's depth of investigation is faded towards white.
inline constexpr float kBelowInvestigationFade = 0.6f;
Colour FadedBelowInvestigation(Colour colour);

// The layered grounds of the stations side by side, depth down from the surface at the top:
// each station's column reaches halfway to its neighbours (the line's two ends half a
// spacing out), and each pixel is the nearest station's layer at the depth of its middle, in
// the chart's colours over the log10 of the values between the smallest and the largest
// shown above the depths of investigation; below a station's depth of investigation the
// colour is faded (the value stays). A station without a result, or refused, is left blank.
// The depth reaches a quarter below the deepest depth of investigation. A colour bar with
// its values stands at the right; with `axes`, depth and distance scales at the left and
// bottom. The value layer holds the shown values. Columns are in ascending x; not painted
// without an inverted station. `depth` says where the depths lie.
GraphOutcome DrawInvertedSection(const std::vector<InvertedColumn>& columns, const InvertedSectionStyle& style,
                                 ValueSurface& surface, DrawContext& dc, const PixelRect& rect, DepthScale& depth);
