#include <new>

#include "export/MapGrids.h"
#include "graphics/BilinearGridder.h"
#include "graphics/GraphSettings.h"
#include "graphics/SurveyMapTable.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

namespace {

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

} // namespace

bool GridSurveyMap(const SurveyDataSet& data, const ExportFrequencies& frequencies, const CSettings& settings,
                   GeoGrid& grid, std::string& error)
{
    uint32_t p = 0, s = 0;
    if (!LastMeasured(data, p, s)) {
        error = "the session has no measured reading";
        return false;
    }
    GraphStyle style = MapStyle(settings);
    style.realScaling = true;
    const PixelRect rect{0, 0, kExportMapPixels, kExportMapPixels};
    BilinearGridder gridder;
    std::vector<float> band;
    for (size_t j = 0; j < frequencies.indices.size(); ++j) {
        SurveyMapTable table;
        const GraphOutcome built = BuildSurveyMapTable(data, settings, p, s, frequencies.indices[j], table);
        CellBlock block;
        if (built == GraphOutcome::OutOfMemory) {
            error = "not enough memory for the map";
            return false;
        }
        if (built != GraphOutcome::Painted || !MapCellBlock(table.View(), style, rect, block) || block.nx < 2 ||
            block.ny < 2) {
            error = "the map needs at least 2 complete profiles of at least 2 stations";
            return false;
        }
        const size_t bandCells = static_cast<size_t>(block.nx) * static_cast<size_t>(block.ny);
        try {
            band.resize(bandCells);
            grid.cells.reserve(bandCells * frequencies.indices.size());
        } catch (const std::bad_alloc&) {
            error = "not enough memory for the grid";
            return false;
        }
        const ValueTable view = table.View();
        if (!gridder.Regrid(view.columns, view.rows, view.xs, view.ys, view.values, block.nx, block.ny,
                            band.data())) {
            error = "the map cannot be gridded";
            return false;
        }
        // The gridder puts the first profile into row 0; files start at the top.
        for (int r = block.ny - 1; r >= 0; --r)
            grid.cells.insert(grid.cells.end(), band.begin() + static_cast<long>(r) * block.nx,
                              band.begin() + static_cast<long>(r + 1) * block.nx);
        // Cells are centred on the gridder's nodes, which run from the first to the last
        // station and profile.
        const float dx = (table.xs.back() - table.xs.front()) / static_cast<float>(block.nx - 1);
        const float dy = (table.ys.back() - table.ys.front()) / static_cast<float>(block.ny - 1);
        if (!(dx > 0.0f) || !(dy > 0.0f)) {
            error = "the map needs station and profile steps above 0";
            return false;
        }
        grid.nx = block.nx;
        grid.ny = block.ny;
        grid.cellWidth = dx;
        grid.cellHeight = dy;
        grid.west = -0.5 * dx;
        grid.north = static_cast<double>(table.firstProfile) * data.YStep() + table.ys.back() + 0.5 * dy;
    }
    grid.bandNames = frequencies.labels;
    return true;
}
