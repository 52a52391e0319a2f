#include "export/GridExport.h"

#include <gdal_priv.h>

#include <algorithm>
#include <iterator>
#include <memory>
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

bool WriteGrid(const GeoGrid& grid, ExportFormat format, const std::string& path, std::string& error)
{
    GdalErrors gdal;
    const int bands = static_cast<int>(grid.bandNames.size());
    const size_t bandCells = static_cast<size_t>(grid.nx) * static_cast<size_t>(grid.ny);
    if (bands < 1 || grid.nx < 1 || grid.ny < 1 || grid.cells.size() != bandCells * static_cast<size_t>(bands)) {
        error = "there is no grid to write";
        return false;
    }
    if (bands > 1 && format != ExportFormat::GeoTiff) {
        error = "this format holds one frequency; choose one";
        return false;
    }
    GDALDriver* target = GetGDALDriverManager()->GetDriverByName(DriverName(format));
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    if (target == nullptr || memory == nullptr) {
        error = std::string("GDAL has no ") + DriverName(format) + " driver";
        return false;
    }
    // Only GeoTIFF can be written directly; the others are copied from a grid in memory.
    const bool direct = format == ExportFormat::GeoTiff;
    const char* tiffOptions[] = {"INTERLEAVE=BAND", nullptr};
    Dataset dataset(direct ? target->Create(path.c_str(), grid.nx, grid.ny, bands, GDT_Float32,
                                            const_cast<char**>(tiffOptions))
                           : memory->Create("", grid.nx, grid.ny, bands, GDT_Float32, nullptr));
    if (!dataset) {
        error = gdal.Explain("cannot create " + path);
        return false;
    }
    // Surfer marks empty cells with a no-data value of its own.
    const float noData = format == ExportFormat::SurferGrid ? kSurferBlank : kNoDataValue;
    double transform[6] = {grid.west, grid.cellWidth, 0.0, grid.north, 0.0, -grid.cellHeight};
    dataset->SetGeoTransform(transform);
    if (!grid.crsWkt.empty())
        dataset->SetProjection(grid.crsWkt.c_str());
    for (int b = 0; b < bands; ++b) {
        GDALRasterBand* band = dataset->GetRasterBand(b + 1);
        band->SetNoDataValue(static_cast<double>(noData));
        if (direct) // elsewhere a description would only add a side file
            band->SetDescription(grid.bandNames[static_cast<size_t>(b)].c_str());
        const float* first = grid.cells.data() + bandCells * static_cast<size_t>(b);
        std::vector<float> cells;
        if (noData != kNoDataValue)
            std::replace_copy(first, first + bandCells, std::back_inserter(cells), kNoDataValue, noData);
        if (band->RasterIO(GF_Write, 0, 0, grid.nx, grid.ny, cells.empty() ? const_cast<float*>(first) : cells.data(), grid.nx, grid.ny, GDT_Float32, 0, 0, nullptr) !=
            CE_None) {
            error = gdal.Explain("cannot write " + path);
            return false;
        }
    }
    if (!direct) {
        Dataset copy(target->CreateCopy(path.c_str(), dataset.get(), FALSE, nullptr, nullptr, nullptr));
        if (!copy) {
            error = gdal.Explain("cannot write " + path);
            return false;
        }
        dataset = std::move(copy);
    }
    return gdal.Close(dataset.release(), path, error);
}
