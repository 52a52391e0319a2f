#include "graphics/TableGraphs.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "graphics/CellGridPainter.h"
#include "graphics/DrawAxes.h"

namespace {

// Sizes in pixels stay far below this; anything larger comes from a degenerate scale.
constexpr float kMaxPixels = 1 << 20;

// Nearest whole pixel count of a non-negative size, or -1 when it is not a usable number.
int Nearest(float pixels)
{
    if (!(pixels >= 0.0f) || !(pixels < kMaxPixels))
        return -1;
    return static_cast<int>(pixels + 0.5f);
}

int CellsFor(int pixels, int pixelSize)
{
    return (pixels + pixelSize - 1) / pixelSize;
}

bool Usable(const ValueTable& table)
{
    return table.columns >= 2 && table.rows >= 2 && table.xs != nullptr && table.ys != nullptr &&
           table.values != nullptr;
}

// Grids the table onto nx × ny cells, fits the chart, paints the cells at blockLeft/blockTop
// (clipped to rect) and draws the axes over the painted block.
GraphOutcome GridAndPaint(const ValueTable& table, int nx, int ny, bool rowZeroAtBottom, const GraphStyle& style,
                          BilinearGridder& gridder, ColorChart& chart, ValueSurface& surface, DrawContext& dc,
                          const PixelRect& rect, int blockLeft, int blockTop, float x0, float x1, float y0, float y1)
{
    if (nx < 1 || ny < 1)
        return GraphOutcome::TooSmall;
    const size_t cells = static_cast<size_t>(nx) * static_cast<size_t>(ny);
    std::unique_ptr<float[]> grid(new (std::nothrow) float[cells]);
    if (!grid)
        return GraphOutcome::OutOfMemory;
    if (!gridder.Regrid(table.columns, table.rows, table.xs, table.ys, table.values, nx, ny, grid.get()))
        return GraphOutcome::NotPainted;
    float low = 0.0f;
    float high = 0.0f;
    if (!style.manualRange && GridValueRange(grid.get(), cells, low, high))
        chart.SetRange(low, high); // refuses an empty range and keeps the old one

    const int pixelSize = std::max(style.pixelSize, 1);
    const PixelRect block{blockLeft, blockTop,
                          static_cast<int>(std::min<long long>(rect.right, blockLeft + static_cast<long long>(nx) * pixelSize)),
                          static_cast<int>(std::min<long long>(rect.bottom, blockTop + static_cast<long long>(ny) * pixelSize))};
    if (!PaintCells(surface, grid.get(), nx, ny, pixelSize, block, rowZeroAtBottom, chart))
        return GraphOutcome::NotPainted;
    if (style.showGrid || style.showScaleMarks)
        DrawAxes(style.showGrid, style.axisColour, surface, dc, block, x0, x1, y0, y1);
    return GraphOutcome::Painted;
}

} // namespace

namespace {

// How a section lies in its rectangle.
struct SectionExtent {
    int profileStations;     // the run takes its share of the width of this many stations
    float profileLength;     // distance the width stands for with real scaling
    bool rightAligned;       // hug the right edge when narrower than the rectangle
    bool depthFromSurface;   // the depth scale starts at 0 rather than at the shallowest row
    int minimumSide;         // painted cells cover at least this many pixels each way
};

// The cells of a section and the part of rect they are painted in; false when none.
// The least height of a section drawn at true proportions, in pixels.
constexpr int kMinimumSectionPixels = 60;

bool LayOutSection(const ValueTable& table, const SectionExtent& extent, const GraphStyle& style,
                   const PixelRect& rect, PixelRect& area, CellBlock& block)
{
    if (!Usable(table) || extent.profileStations < 1 || rect.Width() < 1 || rect.Height() < 1)
        return false;
    const int pixelSize = std::max(style.pixelSize, 1);
    const float shallowest = *std::min_element(table.ys, table.ys + table.rows);
    float deepest = *std::max_element(table.ys, table.ys + table.rows);
    if (extent.depthFromSurface)
        deepest = std::max(0.0f, deepest);

    area = rect;
    const long long width = area.Width();
    int wp = static_cast<int>((width * table.columns + extent.profileStations / 2) / extent.profileStations);
    int hp = area.Height();
    if (style.realScaling) {
        const float sx = extent.profileLength / static_cast<float>(width);
        const float sy = (deepest - shallowest) / static_cast<float>(hp);
        if (sx > sy) {
            // A long profile at true proportions would be a strip too thin to read.
            const int proportional = Nearest((deepest - shallowest) / sx);
            hp = proportional < 0 ? proportional : std::max(proportional, std::min(kMinimumSectionPixels, hp));
        } else {
            wp = Nearest(extent.profileLength / sy);
            if (wp >= 0 && wp <= width) {
                const long long margin = (width - wp) / 2;
                area.left = static_cast<int>(area.left + margin);
                area.right = static_cast<int>(area.right - margin);
            }
        }
        if (wp < 0 || hp < 0)
            return false;
    }
    wp = std::max(wp, extent.minimumSide);
    hp = std::max(hp, extent.minimumSide);
    block.nx = CellsFor(wp, pixelSize);
    block.ny = CellsFor(hp, pixelSize);

    block.left = area.left;
    block.top = area.top;
    const long long blockWidth = static_cast<long long>(block.nx) * pixelSize;
    const long long blockHeight = static_cast<long long>(block.ny) * pixelSize;
    if (style.realScaling && blockHeight < area.Height())
        block.top = static_cast<int>(area.top + (area.Height() - blockHeight) / 2);
    if (extent.rightAligned && blockWidth < area.Width())
        block.left = static_cast<int>(area.right - blockWidth);
    return true;
}

GraphOutcome DrawSectionExtent(const ValueTable& table, const SectionExtent& extent, const GraphStyle& style,
                               BilinearGridder& gridder, ColorChart& chart, ValueSurface& surface, DrawContext& dc,
                               const PixelRect& rect)
{
    if (!Usable(table) || extent.profileStations < 1)
        return GraphOutcome::NotPainted;
    if (rect.Width() < 1 || rect.Height() < 1)
        return GraphOutcome::TooSmall;
    PixelRect area;
    CellBlock block;
    if (!LayOutSection(table, extent, style, rect, area, block))
        return GraphOutcome::NotPainted;
    const float shallowest = *std::min_element(table.ys, table.ys + table.rows);
    float deepest = *std::max_element(table.ys, table.ys + table.rows);
    if (extent.depthFromSurface)
        deepest = std::max(0.0f, deepest);
    const float runLength = table.xs[table.columns - 1] - table.xs[0];
    return GridAndPaint(table, block.nx, block.ny, false, style, gridder, chart, surface, dc, area, block.left,
                        block.top, 0.0f, runLength, deepest, shallowest);
}

} // namespace

GraphOutcome DrawSectionTable(const ValueTable& table, int profileStations, float xStep, bool rightAligned,
                              const GraphStyle& style, BilinearGridder& gridder, ColorChart& chart,
                              ValueSurface& surface, DrawContext& dc, const PixelRect& rect)
{
    const SectionExtent extent{profileStations, static_cast<float>(profileStations - 1) * xStep, rightAligned,
                               true, 0};
    if (style.realScaling && !(extent.profileLength > 0))
        return GraphOutcome::NotPainted; // no distances to scale by
    return DrawSectionExtent(table, extent, style, gridder, chart, surface, dc, rect);
}

bool SectionCellBlock(const ValueTable& table, int profileStations, float xStep, const GraphStyle& style,
                      const PixelRect& rect, CellBlock& block)
{
    const SectionExtent extent{profileStations, static_cast<float>(profileStations - 1) * xStep, false, true, 0};
    PixelRect area;
    return LayOutSection(table, extent, style, rect, area, block);
}

GraphOutcome DrawTrackSectionTable(const ValueTable& table, const GraphStyle& style, BilinearGridder& gridder,
                                   ColorChart& chart, ValueSurface& surface, DrawContext& dc, const PixelRect& rect)
{
    if (!Usable(table))
        return GraphOutcome::NotPainted;
    const SectionExtent extent{table.columns, table.xs[table.columns - 1] - table.xs[0], false, false, 10};
    return DrawSectionExtent(table, extent, style, gridder, chart, surface, dc, rect);
}

bool MapCellBlock(const ValueTable& table, const GraphStyle& style, const PixelRect& rect, CellBlock& block)
{
    if (!Usable(table) || rect.Width() < 1 || rect.Height() < 1)
        return false;
    const int pixelSize = std::max(style.pixelSize, 1);
    const float length = table.xs[table.columns - 1] - table.xs[0];
    const float breadth = table.ys[table.rows - 1] - table.ys[0];
    int wp = rect.Width();
    int hp = rect.Height();
    if (style.realScaling) {
        const float sx = length / static_cast<float>(wp);
        const float sy = breadth / static_cast<float>(hp);
        if (sx > sy)
            hp = Nearest(breadth / sx);
        else
            wp = Nearest(length / sy);
        if (wp < 0 || hp < 0)
            return false;
    }
    block.nx = CellsFor(wp, pixelSize);
    block.ny = CellsFor(hp, pixelSize);
    block.left = rect.left;
    block.top = rect.top;
    if (style.realScaling) {
        block.left = static_cast<int>(rect.left + (rect.Width() - static_cast<long long>(block.nx) * pixelSize) / 2);
        block.top = static_cast<int>(rect.top + (rect.Height() - static_cast<long long>(block.ny) * pixelSize) / 2);
        block.left = std::max(block.left, rect.left);
        block.top = std::max(block.top, rect.top);
    }
    return true;
}

GraphOutcome DrawMapTable(const ValueTable& table, const GraphStyle& style, BilinearGridder& gridder,
                          ColorChart& chart, ValueSurface& surface, DrawContext& dc, const PixelRect& rect)
{
    if (!Usable(table))
        return GraphOutcome::NotPainted;
    if (rect.Width() < 1 || rect.Height() < 1)
        return GraphOutcome::TooSmall;
    CellBlock block;
    if (!MapCellBlock(table, style, rect, block))
        return GraphOutcome::NotPainted;
    const float length = table.xs[table.columns - 1] - table.xs[0];
    const float breadth = table.ys[table.rows - 1] - table.ys[0];
    return GridAndPaint(table, block.nx, block.ny, true, style, gridder, chart, surface, dc, rect, block.left,
                        block.top, 0.0f, length, 0.0f, breadth);
}
