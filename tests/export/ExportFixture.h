#pragma once
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "export/SessionExport.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"
#include "track/TrackDataSet.h"

// One band of a raster read back through GDAL.
struct Band {
    int nx = 0, ny = 0;
    std::array<double, 6> transform{};
    double noData = 0;
    std::vector<float> cells;
    float At(int x, int y) const { return cells[size_t(y) * size_t(nx) + size_t(x)]; }
};

inline Band ReadBand(GDALDataset& dataset, int number)
{
    Band band;
    band.nx = dataset.GetRasterXSize();
    band.ny = dataset.GetRasterYSize();
    dataset.GetGeoTransform(band.transform.data());
    GDALRasterBand* raster = dataset.GetRasterBand(number);
    band.noData = raster->GetNoDataValue();
    band.cells.resize(size_t(band.nx) * size_t(band.ny));
    EXPECT_EQ(raster->RasterIO(GF_Read, 0, 0, band.nx, band.ny, band.cells.data(), band.nx, band.ny, GDT_Float32, 0,
                               0, nullptr),
              CE_None);
    return band;
}

// From WGS84 longitude and latitude to `crs`, x first in both.
inline std::unique_ptr<OGRCoordinateTransformation> FromWgs84(const OGRSpatialReference& crs)
{
    OGRSpatialReference wgs84, target(crs);
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return std::unique_ptr<OGRCoordinateTransformation>(OGRCreateCoordinateTransformation(&wgs84, &target));
}

// Settings in a temporary directory and GDAL to read the exports back with.
class ExportTest : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        GDALAllRegister();
    }

    struct Closer {
        void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
    };
    using Dataset = std::unique_ptr<GDALDataset, Closer>;

    static Dataset Open(const std::string& path, unsigned kind)
    {
        return Dataset(GDALDataset::Open(path.c_str(), kind | GDAL_OF_READONLY));
    }

    // A track of ground readings (never measured ones when `measured` is false) at `fixes`.
    std::unique_ptr<TrackDataSet> Track(const std::vector<GpsFix>& fixes, bool measured = true)
    {
        SessionImage image;
        image.track = true;
        image.fixes = fixes;
        for (uint32_t k = 0; k < fixes.size(); ++k)
            image.records.push_back(measured ? testing_support::GroundRecord(k, 0, k) : MeasurementRecord{});
        return TrackDataSet::LoadTrackBody(image, Settings());
    }

    static ExportOptions Options(ExportFormat format, std::optional<int> frequency = std::nullopt)
    {
        ExportOptions options;
        options.format = format;
        options.frequencies.index = frequency;
        return options;
    }

    // Frequency i of record as the graphs and the CSV export convert it.
    float Value(const MeasurementRecord& record, int i)
    {
        std::array<float, kFrequencyCount> spectrum{};
        ConvertSpectrum(ConversionSettingsFrom(Settings()), Settings().currentCalibration, record, spectrum);
        return spectrum[static_cast<size_t>(i)];
    }
};
