#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "export/GridSize.h"
#include "export/MapGrids.h"
#include "graphics/BilinearGridder.h"
#include "graphics/GraphSettings.h"
#include "graphics/SurveyMapTable.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

namespace {

ExportError TooFewProfiles()
{
    return Refusal(ExportProblem::MapTooFewProfiles,
                   "the map needs at least 2 complete profiles of at least 2 stations");
}

// Profile and station of the last measured record, where the page stands after taking it.
bool LastMeasured(const SurveyDataSet& data, uint32_t& p, uint32_t& s)
{
    const uint32_t width = data.XSize() != 0 ? data.XSize() : static_cast<uint32_t>(data.RecordCount());
    for (size_t k = data.RecordCount(); k-- > 0;) {
        if (data.Record(k).Empty())
            continue;
        p = static_cast<uint32_t>(k / width);
        const uint32_t along = static_cast<uint32_t>(k % width);
        s = p % 2 == 0 ? along : width - 1 - along;
        return true;
    }
    return false;
}

// Where a position falls in ascending table coordinates: the left entry and the fraction
// of the way to the next.
struct Bracket {
    size_t at;
    double t;
};

Bracket BracketOf(const std::vector<float>& axis, double v)
{
    const auto upper = std::upper_bound(axis.begin(), axis.end(), static_cast<float>(v));
    const size_t at = std::min(static_cast<size_t>(std::max<std::ptrdiff_t>(upper - axis.begin() - 1, 0)),
                               axis.size() - 2);
    const double width = static_cast<double>(axis[at + 1]) - axis[at];
    return {at, width > 0 ? (v - axis[at]) / width : 0.0};
}

// The survey map's frame and the way its bands are filled, from the table of the first
// frequency (every frequency has the same stations and profiles).
struct SurveyGridPlan {
    const SurveyDataSet* data;
    const CSettings* settings;
    uint32_t p = 0, s = 0;
    std::vector<int> frequencies;
};

bool BuildTable(const SurveyGridPlan& plan, size_t band, SurveyMapTable& table, ExportError& error)
{
    const GraphOutcome built =
        BuildSurveyMapTable(*plan.data, *plan.settings, plan.p, plan.s, plan.frequencies[band], table);
    if (built == GraphOutcome::OutOfMemory) {
        error = Refusal(ExportProblem::NotEnoughMemory, "not enough memory for the map");
        return false;
    }
    if (built != GraphOutcome::Painted) {
        error = TooFewProfiles();
        return false;
    }
    return true;
}

// Cell centres from the first station and profile on, none beyond the last.
bool CellSizedGrid(const SurveyGridPlan& plan, const SurveyMapTable& first, double cell, ExportFormat format,
                   GeoGrid& grid, ExportError& error)
{
    const double extentX = static_cast<double>(first.xs.back()) - first.xs.front();
    const double extentY = static_cast<double>(first.ys.back()) - first.ys.front();
    const double nx = std::floor(extentX / cell * (1 + 1e-9)) + 1;
    const double ny = std::floor(extentY / cell * (1 + 1e-9)) + 1;
    if (GridTooLarge(nx, ny, plan.frequencies.size(), format, error))
        return false;
    grid.frame.nx = static_cast<int>(nx);
    grid.frame.ny = static_cast<int>(ny);
    grid.frame.cellWidth = grid.frame.cellHeight = cell;
    grid.frame.west = first.xs.front() - 0.5 * cell;
    grid.frame.north = static_cast<double>(first.firstProfile) * plan.data->YStep() + first.ys.front() +
                       (ny - 1) * cell + 0.5 * cell;
    grid.fill = [plan, cell, nx = grid.frame.nx, ny = grid.frame.ny](size_t band, float* cells, ExportError& why) {
        SurveyMapTable table;
        if (!BuildTable(plan, band, table, why))
            return false;
        const size_t width = table.xs.size();
        std::vector<Bracket> columns(static_cast<size_t>(nx));
        for (int c = 0; c < nx; ++c)
            columns[static_cast<size_t>(c)] = BracketOf(table.xs, table.xs.front() + c * cell);
        for (int r = 0; r < ny; ++r) {
            const Bracket row = BracketOf(table.ys, table.ys.front() + (ny - 1 - r) * cell);
            const float* lower = table.values.data() + row.at * width;
            const float* upper = lower + width;
            float* out = cells + static_cast<size_t>(r) * static_cast<size_t>(nx);
            for (int c = 0; c < nx; ++c) {
                const Bracket& b = columns[static_cast<size_t>(c)];
                const double below = (1 - b.t) * lower[b.at] + b.t * lower[b.at + 1];
                const double above = (1 - b.t) * upper[b.at] + b.t * upper[b.at + 1];
                out[c] = static_cast<float>((1 - row.t) * below + row.t * above);
            }
        }
        return true;
    };
    return true;
}

// The map graph's cells painted `pixels` across with true proportions, centred on the
// gridder's nodes, which run from the first to the last station and profile.
bool PaintedGrid(const SurveyGridPlan& plan, const SurveyMapTable& first, int pixels, ExportFormat format,
                 GeoGrid& grid, ExportError& error)
{
    GraphStyle style = MapStyle(*plan.settings);
    style.realScaling = true;
    CellBlock block;
    if (!MapCellBlock(first.View(), style, {0, 0, pixels, pixels}, block) || block.nx < 2 || block.ny < 2) {
        error = TooFewProfiles();
        return false;
    }
    if (GridTooLarge(block.nx, block.ny, plan.frequencies.size(), format, error))
        return false;
    const float dx = (first.xs.back() - first.xs.front()) / static_cast<float>(block.nx - 1);
    const float dy = (first.ys.back() - first.ys.front()) / static_cast<float>(block.ny - 1);
    grid.frame.nx = block.nx;
    grid.frame.ny = block.ny;
    grid.frame.cellWidth = dx;
    grid.frame.cellHeight = dy;
    grid.frame.west = -0.5 * dx;
    grid.frame.north = static_cast<double>(first.firstProfile) * plan.data->YStep() + first.ys.back() + 0.5 * dy;
    grid.fill = [plan, nx = block.nx, ny = block.ny](size_t band, float* cells, ExportError& why) {
        SurveyMapTable table;
        if (!BuildTable(plan, band, table, why))
            return false;
        std::unique_ptr<float[]> nodes(new (std::nothrow) float[static_cast<size_t>(nx) * static_cast<size_t>(ny)]);
        const ValueTable view = table.View();
        BilinearGridder gridder;
        if (!nodes || !gridder.Regrid(view.columns, view.rows, view.xs, view.ys, view.values, nx, ny, nodes.get())) {
            why = Refusal(nodes ? ExportProblem::CannotGrid : ExportProblem::NotEnoughMemory,
                          "the map cannot be gridded");
            return false;
        }
        // The gridder puts the first profile into row 0; files start at the top.
        for (int r = 0; r < ny; ++r)
            std::copy_n(nodes.get() + static_cast<size_t>(ny - 1 - r) * static_cast<size_t>(nx), nx,
                        cells + static_cast<size_t>(r) * static_cast<size_t>(nx));
        return true;
    };
    return true;
}

} // namespace

bool GridSurveyMap(const SurveyDataSet& data, const ExportFrequencies& frequencies, const CSettings& settings,
                   const GridOptions& options, ExportFormat format, GeoGrid& grid, Provenance& provenance,
                   ExportError& error)
{
    SurveyGridPlan plan{&data, &settings, 0, 0, frequencies.indices};
    if (!LastMeasured(data, plan.p, plan.s)) {
        error = Refusal(ExportProblem::NoMeasuredReading, "the session has no measured reading");
        return false;
    }
    SurveyMapTable first;
    if (!BuildTable(plan, 0, first, error))
        return false;
    if (!(data.XStep() > 0.0f) || !(data.YStep() > 0.0f)) {
        error = Refusal(ExportProblem::MapStepsNotAboveZero, "the map needs station and profile steps above 0");
        return false;
    }
    grid.bandNames = frequencies.labels;
    provenance.emplace_back("crs", "none: metres, x along the profiles from station 0, y across from profile 0");
    if (options.paintedWidth) {
        if (*options.paintedWidth < 2) {
            error = Refusal(ExportProblem::PaintedWidthTooSmall, "the map needs a width of at least 2 pixels");
            return false;
        }
        if (!PaintedGrid(plan, first, *options.paintedWidth, format, grid, error))
            return false;
        provenance.emplace_back("gridding", "as the map graph paints it " + std::to_string(*options.paintedWidth) +
                                                " pixels across: bilinear, then a 5 x 5 cell mean");
        provenance.emplace_back("cell_m", Metres(grid.frame.cellWidth) + " x " + Metres(grid.frame.cellHeight));
        return true;
    }
    const double cell = options.cellMetres.value_or(std::min(data.XStep(), data.YStep()) / 4.0);
    if (!(cell > 0) || !std::isfinite(cell)) {
        error = Refusal(ExportProblem::CellNotAboveZero, "the cell size must be above 0 m");
        return false;
    }
    if (!CellSizedGrid(plan, first, cell, format, grid, error))
        return false;
    provenance.emplace_back("gridding", "bilinear between the stations, at the cell centres");
    provenance.emplace_back("cell_m", Metres(cell));
    return true;
}
