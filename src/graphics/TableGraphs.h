#pragma once
#include "graphics/BilinearGridder.h"
#include "graphics/ColorChart.h"
#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"
#include "graphics/ValueSurface.h"

// A table of values[rows × columns], row-major, with ascending column coordinates xs and
// row coordinates ys. The caller owns the arrays.
struct ValueTable {
    int columns = 0;
    int rows = 0;
    const float* xs = nullptr;
    const float* ys = nullptr;
    const float* values = nullptr;
};

// The display settings the colour graphs follow.
struct GraphStyle {
    int pixelSize = 1;          // cell side in pixels; below 1 counts as 1
    bool realScaling = false;   // keep the true proportions of distance and depth
    bool manualRange = false;   // keep the chart's range instead of fitting it to the grid
    bool showGrid = false;
    bool showScaleMarks = false;
    Colour axisColour = 0x808080;
};

// NotPainted: too little data for the graph; TooSmall: the rectangle holds no grid row at
// the pixel size.
enum class GraphOutcome { Painted, NotPainted, TooSmall, OutOfMemory };

// The cells of a map or a section and where its block of cells starts in the rectangle.
struct CellBlock {
    int nx = 0;
    int ny = 0;
    int left = 0;
    int top = 0;
};

// A section of one run of stations: table columns are the run's stations (xs from 0), rows
// the depths of the used frequencies, shallowest first, painted from the top. The run takes
// its share of the profile's `profileStations` stations; on an odd profile (`rightAligned`)
// it hugs the right edge. The chart gets the grid's range unless the style says otherwise.
GraphOutcome DrawSectionTable(const ValueTable& table, int profileStations, float xStep, bool rightAligned,
                              const GraphStyle& style, BilinearGridder& gridder, ColorChart& chart,
                              ValueSurface& surface, DrawContext& dc, const PixelRect& rect);

// The cells DrawSectionTable grids the table onto in rect; false when it paints none.
bool SectionCellBlock(const ValueTable& table, int profileStations, float xStep, const GraphStyle& style,
                      const PixelRect& rect, CellBlock& block);

// A section along a walked track: table columns are the readings (xs the distance walked),
// rows the depths of the used frequencies, shallowest first. It spans the rectangle (centred
// when real scaling narrows it) and covers at least 10 × 10 pixels.
GraphOutcome DrawTrackSectionTable(const ValueTable& table, const GraphStyle& style, BilinearGridder& gridder,
                                   ColorChart& chart, ValueSurface& surface, DrawContext& dc, const PixelRect& rect);

// The cells DrawMapTable grids the table onto in rect; false when it paints none.
bool MapCellBlock(const ValueTable& table, const GraphStyle& style, const PixelRect& rect, CellBlock& block);

// A map: table columns are the stations of the profiles, rows the profiles, first one
// painted at the bottom.
GraphOutcome DrawMapTable(const ValueTable& table, const GraphStyle& style, BilinearGridder& gridder,
                          ColorChart& chart, ValueSurface& surface, DrawContext& dc, const PixelRect& rect);
