#include "export/GridExport.h"

#include <gdal_priv.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "export/GdalErrors.h"
#include "graphics/NoDataValue.h"

namespace {

constexpr float kSurferBlank = 1.701410009187828e+38f;

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

const char* DriverName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::AsciiGrid:
    case ExportFormat::SectionAsciiGrid:
        return "AAIGrid";
    case ExportFormat::SurferGrid:
        return "GSBG";
    default:
        return "GTiff";
    }
}

} // namespace

bool WriteGrid(const GeoGrid& grid, ExportFormat format, const Provenance& provenance, const std::string& path,
               ExportError& error)
{
    GdalErrors gdal;
    const GridFrame& frame = grid.frame;
    const int bands = static_cast<int>(grid.bandNames.size());
    if (bands < 1 || frame.nx < 1 || frame.ny < 1 || !grid.fill) {
        error = Refusal(ExportProblem::CannotGrid, "there is no grid to write");
        return false;
    }
    if (bands > 1 && format != ExportFormat::GeoTiff) {
        error = Refusal(ExportProblem::OneFrequencyFormat, "this format holds one frequency; choose one");
        return false;
    }
    GDALDriver* target = GetGDALDriverManager()->GetDriverByName(DriverName(format));
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    if (target == nullptr || memory == nullptr) {
        error = Refusal(ExportProblem::GdalDriverMissing, std::string("GDAL has no ") + DriverName(format) + " driver");
        return false;
    }
    const size_t bandCells = static_cast<size_t>(frame.nx) * static_cast<size_t>(frame.ny);
    std::vector<float> cells;
    try {
        cells.resize(bandCells);
    } catch (const std::bad_alloc&) {
        error = Refusal(ExportProblem::NotEnoughMemory, "not enough memory for the grid");
        return false;
    }
    // Only GeoTIFF can be written directly; the others are copied from a grid in memory.
    const bool direct = format == ExportFormat::GeoTiff;
    const char* tiffOptions[] = {"INTERLEAVE=BAND", nullptr};
    gdal.Watch();
    Dataset dataset(direct ? target->Create(path.c_str(), frame.nx, frame.ny, bands, GDT_Float32,
                                            const_cast<char**>(tiffOptions))
                           : memory->Create("", frame.nx, frame.ny, bands, GDT_Float32, nullptr));
    if (!dataset) {
        error = gdal.Failed("cannot create " + path, ExportProblem::CannotCreate, path);
        return false;
    }
    // Surfer marks empty cells with a no-data value of its own.
    const float noData = format == ExportFormat::SurferGrid ? kSurferBlank : kNoDataValue;
    double transform[6] = {frame.west, frame.cellWidth, 0.0, frame.north, 0.0, -frame.cellHeight};
    dataset->SetGeoTransform(transform);
    if (!frame.crsWkt.empty())
        dataset->SetProjection(frame.crsWkt.c_str());
    if (direct) // elsewhere metadata would only add a side file
        for (const auto& [key, value] : provenance)
            dataset->SetMetadataItem(key.c_str(), value.c_str());
    for (int b = 0; b < bands; ++b) {
        if (!grid.fill(static_cast<size_t>(b), cells.data(), error))
            return false;
        GDALRasterBand* band = dataset->GetRasterBand(b + 1);
        band->SetNoDataValue(static_cast<double>(noData));
        if (direct)
            band->SetDescription(grid.bandNames[static_cast<size_t>(b)].c_str());
        if (noData != kNoDataValue)
            std::replace(cells.begin(), cells.end(), kNoDataValue, noData);
        gdal.Watch();
        if (band->RasterIO(GF_Write, 0, 0, frame.nx, frame.ny, cells.data(), frame.nx, frame.ny, GDT_Float32, 0, 0,
                           nullptr) != CE_None) {
            error = gdal.Failed("cannot write " + path, ExportProblem::CannotWrite, path);
            return false;
        }
    }
    if (!direct) {
        gdal.Watch();
        Dataset copy(target->CreateCopy(path.c_str(), dataset.get(), FALSE, nullptr, nullptr, nullptr));
        if (!copy) {
            error = gdal.Failed("cannot write " + path, ExportProblem::CannotWrite, path);
            return false;
        }
        dataset = std::move(copy);
    }
    return gdal.Close(dataset.release(), path, error);
}
