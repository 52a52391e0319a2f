#include <cmath>
#include <memory>
#include <vector>

#include "ExportFixture.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurveyGraphs.h"
#include "graphics/ValueSurface.h"
#include "../graphics/RecordingContext.h"

namespace {

struct GridCase {
    ExportFormat format;
    const char* file;
    std::optional<int> frequency;
};

class SurveyGridExport : public ExportTest, public testing::WithParamInterface<GridCase> {
protected:
    static ExportOptions PaintedOptions()
    {
        ExportOptions options = Options(GetParam().format, GetParam().frequency);
        options.grid.paintedWidth = 1920;
        return options;
    }
};

} // namespace

// The map graph painted at one pixel per cell shows every cell of the grid, so a grid "as
// painted" must hold exactly the values painted.
TEST_P(SurveyGridExport, AsPaintedHoldsTheValuesTheMapGraphPaints)
{
    auto data = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 3.0f, 120);
    Settings().pixelSize = 1;
    Settings().mapFrequencyNumber = 6;
    const std::string path = dir.File(GetParam().file);
    const ExportResult result = ExportSession(*data, Settings(), PaintedOptions(), path);
    ASSERT_TRUE(result.ok) << result.error;
    Dataset dataset = Open(path, GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    const int bandNumber = GetParam().format == ExportFormat::GeoTiff ? 6 : 1;
    EXPECT_EQ(dataset->GetRasterCount(), GetParam().format == ExportFormat::GeoTiff ? 14 : 1);
    const Band band = ReadBand(*dataset, bandNumber);
    // 38 m along the profiles, 15 m across: the 1920 pixels go along.
    EXPECT_EQ(band.nx, 1920);
    EXPECT_EQ(band.ny, static_cast<int>(std::ceil(15.0 / (38.0 / 1920.0) - 0.5)));
    const double dx = band.transform[1], dy = -band.transform[5];
    EXPECT_NEAR(band.transform[0] + dx / 2, 0.0, 1e-5) << "first cell centred on station 0";
    EXPECT_NEAR(band.transform[0] + (band.nx - 0.5) * dx, 38.0, 1e-3);
    EXPECT_NEAR(band.transform[3] - dy / 2, 15.0, 1e-3) << "top row on the last profile";
    EXPECT_NEAR(band.transform[3] - (band.ny - 0.5) * dy, 0.0, 1e-3);

    Settings().realScaling = 1;
    ValueSurface surface;
    ASSERT_TRUE(surface.Create(1920, 1920, 32));
    ASSERT_TRUE(surface.Clear());
    RecordingContext dc;
    ASSERT_EQ(DrawMap(*data, Settings(), surface, dc, {0, 0, 1920, 1920}, 5, 0, 5), GraphOutcome::Painted);
    const int top = (1920 - band.ny) / 2;
    int compared = 0;
    for (int y = 0; y < band.ny; y += 7)
        for (int x = 0; x < band.nx; x += 5, ++compared)
            ASSERT_NEAR(band.At(x, y), surface.GetValue(x, top + y), std::fabs(surface.GetValue(x, top + y)) * 1e-6)
                << "cell " << x << ", " << y;
    EXPECT_GT(compared, 1000);
}

INSTANTIATE_TEST_SUITE_P(Formats, SurveyGridExport,
                         testing::Values(GridCase{ExportFormat::GeoTiff, "m.tif", std::nullopt},
                                         GridCase{ExportFormat::AsciiGrid, "m.asc", 5},
                                         GridCase{ExportFormat::SurferGrid, "m.grd", 5}));

// As painted 240 pixels across with a radius of one cell every reading fills only its own cell,
// so each must be found where PROJ puts its position in the grid's UTM zone.
TEST_F(ExportTest, TrackGridPutsEachReadingInItsUtmCell)
{
    auto data = testing_support::GroundTrack(Settings(), 150, 2.0);
    Settings().gpsTrackRadius = 1;
    Settings().pixelSize = 2;
    ExportOptions options = Options(ExportFormat::GeoTiff, 9);
    options.grid.paintedWidth = 240;
    ASSERT_TRUE(ExportSession(*data, Settings(), options, dir.File("t.tif")).ok);
    Dataset dataset = Open(dir.File("t.tif"), GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    ASSERT_EQ(dataset->GetRasterCount(), 1);
    const OGRSpatialReference* crs = dataset->GetSpatialRef();
    ASSERT_NE(crs, nullptr);
    EXPECT_STREQ(crs->GetAuthorityCode(nullptr), "32637");
    const Band band = ReadBand(*dataset, 1);
    EXPECT_EQ(std::max(band.nx, band.ny), 120);
    EXPECT_EQ(static_cast<float>(band.noData), kNoDataValue);
    EXPECT_EQ(band.transform[1], -band.transform[5]) << "square cells";

    const auto toUtm = FromWgs84(*crs);
    ASSERT_TRUE(toUtm);
    int found = 0;
    for (size_t k = 0; k < data->RecordCount(); ++k) {
        double x = data->FixAt(k).longitude, y = data->FixAt(k).latitude;
        ASSERT_TRUE(toUtm->Transform(1, &x, &y));
        const double column = (x - band.transform[0]) / band.transform[1];
        const double row = (y - band.transform[3]) / band.transform[5];
        ASSERT_TRUE(column > -1e-3 && column < band.nx + 1e-3 && row > -1e-3 && row < band.ny + 1e-3) << k;
        // Too close to a cell edge to tell which side float arithmetic put it.
        const double edge = 1e-3;
        if (std::fabs(column - std::round(column)) < edge || std::fabs(row - std::round(row)) < edge)
            continue;
        const float cell = band.At(std::min(int(column), band.nx - 1), std::min(int(row), band.ny - 1));
        ASSERT_NE(cell, kNoDataValue) << "reading " << k;
        // Two readings sharing a cell give their mean.
        ++found;
    }
    EXPECT_GT(found, 140);
    size_t valued = 0;
    for (float v : band.cells)
        valued += v != kNoDataValue ? 1 : 0;
    EXPECT_LE(valued, data->RecordCount());
}

TEST_F(ExportTest, ProfileExportsItsSectionGridAndStationTable)
{
    auto data = testing_support::GroundSurvey(Settings(), 0, 1, 1.5f, 1.0f, 30);
    ASSERT_TRUE(ExportSession(*data, Settings(), Options(ExportFormat::SectionAsciiGrid), dir.File("s.asc")).ok);
    Dataset dataset = Open(dir.File("s.asc"), GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    const Band band = ReadBand(*dataset, 1);
    const double dx = band.transform[1], dy = -band.transform[5];
    EXPECT_NEAR(band.transform[0] + dx / 2, 0.0, 1e-4);
    EXPECT_NEAR(band.transform[0] + (band.nx - 0.5) * dx, 29 * 1.5, 1e-3);
    // Pseudo-depths run from 1 m (the highest frequency) down to 10 m.
    EXPECT_NEAR(band.transform[3] - dy / 2, -1.0, 1e-3);
    EXPECT_NEAR(band.transform[3] - (band.ny - 0.5) * dy, -10.0, 1e-3);
    EXPECT_NE(band.At(0, 0), kNoDataValue);

    ASSERT_TRUE(ExportSession(*data, Settings(), Options(ExportFormat::StationTable, 2), dir.File("s.csv")).ok);
    const std::string table = testing_support::ReadFile(dir.File("s.csv"));
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 31);
    char row[128];
    std::snprintf(row, sizeof row, "\n4,6,3.907,%.9g,%.9g\n",
                  double(FrequencyDepth(ConversionSettingsFrom(Settings()), Settings().currentCalibration, 2)),
                  double(Value(data->Record(4), 2)));
    EXPECT_NE(table.find(row), std::string::npos) << row;
}
