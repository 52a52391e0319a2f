#include "export/SectionExport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "export/GridExport.h"
#include "export/MapGrids.h"
#include "graphics/BilinearGridder.h"
#include "graphics/GraphSettings.h"
#include "graphics/SurveySectionTable.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

namespace {

uint32_t ProfileWidth(const SurveyDataSet& data)
{
    return data.XSize() != 0 ? data.XSize() : static_cast<uint32_t>(data.RecordCount());
}

bool WriteStationTable(const SurveyDataSet& data, const CSettings& settings, const ExportFrequencies& frequencies,
                       const std::string& path, ExportError& error)
{
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    const CalibrationSet& calibration = settings.currentCalibration;
    std::string text = "station,x_m,frequency_khz,depth_m,value\n";
    std::array<float, kFrequencyCount> spectrum{};
    char line[160];
    for (uint32_t s = 0; s < ProfileWidth(data); ++s) {
        const uint32_t index = data.IndexOf(0, s);
        if (index >= data.RecordCount() || data.Record(index).Empty())
            continue;
        ConvertSpectrum(conversion, calibration, data.Record(index), spectrum);
        for (int i : frequencies.indices) {
            std::snprintf(line, sizeof line, "%u,%.9g,%.6g,%.9g,%.9g\n", s,
                          static_cast<double>(static_cast<float>(s) * data.XStep()),
                          calibration.F[static_cast<size_t>(i)],
                          static_cast<double>(FrequencyDepth(conversion, calibration, i)),
                          static_cast<double>(spectrum[static_cast<size_t>(i)]));
            text += line;
        }
    }
    const platform::FileResult written = platform::WriteFileAtomically(path, text);
    if (!written.ok)
        error = FileResultError(written, path);
    return written.ok;
}

bool WriteSectionGrid(const SurveyDataSet& data, const CSettings& settings, const std::string& path,
                      ExportError& error)
{
    uint32_t last = 0;
    for (uint32_t s = 0; s < ProfileWidth(data); ++s) {
        const uint32_t index = data.IndexOf(0, s);
        if (index < data.RecordCount() && !data.Record(index).Empty())
            last = s;
    }
    SurveySectionTable table;
    const GraphOutcome built = BuildSurveySectionTable(data, settings, 0, last, table);
    GraphStyle style = SectionStyle(settings);
    style.realScaling = true;
    CellBlock block;
    if (built == GraphOutcome::OutOfMemory) {
        error = Refusal(ExportProblem::NotEnoughMemory, "not enough memory for the section");
        return false;
    }
    if (built != GraphOutcome::Painted ||
        !SectionCellBlock(table.View(), static_cast<int>(ProfileWidth(data)), data.XStep(), style,
                          {0, 0, kExportMapPixels, kExportMapPixels}, block) ||
        block.nx < 2 || block.ny < 2) {
        error = Refusal(ExportProblem::SectionTooShort,
                        "the section needs a run of at least 2 measured stations and 2 used frequencies");
        return false;
    }
    const float dx = (table.xs.back() - table.xs.front()) / static_cast<float>(block.nx - 1);
    const float dy = (table.ys.back() - table.ys.front()) / static_cast<float>(block.ny - 1);
    if (!(dx > 0.0f) || !(dy > 0.0f)) {
        error = Refusal(ExportProblem::SectionFlat,
                        "the section needs a station step above 0 and frequencies of different depths");
        return false;
    }
    auto cells = std::make_shared<std::vector<float>>(static_cast<size_t>(block.nx) * static_cast<size_t>(block.ny));
    const ValueTable view = table.View();
    BilinearGridder gridder;
    if (!gridder.Regrid(view.columns, view.rows, view.xs, view.ys, view.values, block.nx, block.ny, cells->data())) {
        error = Refusal(ExportProblem::CannotGrid, "the section cannot be gridded");
        return false;
    }
    // Row 0 is the shallowest, at the top; cells are centred on the gridder's nodes.
    GeoGrid grid;
    grid.frame.nx = block.nx;
    grid.frame.ny = block.ny;
    grid.frame.cellWidth = dx;
    grid.frame.cellHeight = dy;
    grid.frame.west = static_cast<double>(table.firstStation) * data.XStep() - 0.5 * dx;
    grid.frame.north = -static_cast<double>(table.ys.front()) + 0.5 * dy;
    grid.bandNames = {"section"};
    grid.fill = [cells](size_t, float* out, ExportError&) {
        std::copy(cells->begin(), cells->end(), out);
        return true;
    };
    return WriteGrid(grid, ExportFormat::SectionAsciiGrid, {}, path, error);
}

} // namespace

bool WriteSection(const SurveyDataSet& data, const CSettings& settings, ExportFormat format,
                  const ExportFrequencies& frequencies, const std::string& path, ExportError& error)
{
    if (format == ExportFormat::StationTable)
        return WriteStationTable(data, settings, frequencies, path, error);
    if (frequencies.indices.size() < 2) {
        error = Refusal(ExportProblem::SectionNeedsEveryFrequency,
                        "the section shows every used frequency: choose none");
        return false;
    }
    return WriteSectionGrid(data, settings, path, error);
}
