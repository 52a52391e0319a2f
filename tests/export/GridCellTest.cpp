#include <cmath>
#include <memory>

#include "ExportFixture.h"
#include "graphics/NoDataValue.h"
#include "survey/SurveyDataSet.h"

namespace {

// The bilinear surface through the stations of a complete survey, evaluated directly from
// the readings: the plain formula, one cell at a time.
double SlowBilinear(const SurveyDataSet& data, const CSettings& settings, int f, double x, double y)
{
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    auto at = [&](uint32_t p, uint32_t s) {
        return double(ConvertReadingFiltered(conversion, settings.currentCalibration, data.Record(data.IndexOf(p, s)), f));
    };
    const double gx = x / data.XStep(), gy = y / data.YStep();
    const uint32_t s0 = std::min(uint32_t(gx), data.XSize() - 2), p0 = std::min(uint32_t(gy), data.YSize() - 2);
    const double t = gx - s0, u = gy - p0;
    return (1 - u) * ((1 - t) * at(p0, s0) + t * at(p0, s0 + 1)) + u * ((1 - t) * at(p0 + 1, s0) + t * at(p0 + 1, s0 + 1));
}

} // namespace

// At the default cell, a quarter of the smaller step, a 20 x 6 survey at 2 m x 3 m is
// 38 / 0.5 + 1 by 15 / 0.5 + 1 cells, and every band holds the bilinear surface at the
// cell centres.
TEST_F(ExportTest, MapSurveyGridHoldsTheBilinearSurfaceOfEveryBandAtTheCellCentres)
{
    auto data = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 3.0f, 120);
    const std::string path = dir.File("m.tif");
    const ExportResult result = ExportSession(*data, Settings(), Options(ExportFormat::GeoTiff), path);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.bands, 14u);
    EXPECT_EQ(ProvenanceValue(result, "cell_m"), "0.5");
    Dataset dataset = Open(path, GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    ASSERT_EQ(dataset->GetRasterCount(), 14);
    for (int b = 1; b <= 14; ++b) {
        const Band band = ReadBand(*dataset, b);
        ASSERT_EQ(band.nx, 77);
        ASSERT_EQ(band.ny, 31);
        EXPECT_DOUBLE_EQ(band.transform[1], 0.5);
        EXPECT_DOUBLE_EQ(band.transform[5], -0.5);
        EXPECT_DOUBLE_EQ(band.transform[0], -0.25) << "the first cell centred on station 0";
        EXPECT_DOUBLE_EQ(band.transform[3], 15.25) << "the top row centred on the last profile";
        for (int r = 0; r < band.ny; ++r) {
            for (int c = 0; c < band.nx; ++c) {
                const double x = band.transform[0] + (c + 0.5) * band.transform[1];
                const double y = band.transform[3] + (r + 0.5) * band.transform[5];
                const double expected = SlowBilinear(*data, Settings(), b - 1, x, y);
                ASSERT_NEAR(band.At(c, r), expected, std::fabs(expected) * 2e-6 + 1e-6)
                    << "band " << b << " cell " << c << ", " << r;
            }
        }
    }
}

// Each cell of each band is the mean of the readings whose cells lie within the radius in
// city-block cells, weighted radius − distance: worked out here reading by reading.
TEST_F(ExportTest, TrackGridOfEveryBandIsTheRadiusMeanOfItsReadings)
{
    auto data = testing_support::GroundTrack(Settings(), 60, 2.0);
    ExportOptions options = Options(ExportFormat::GeoTiff);
    options.grid.cellMetres = 1.7;
    options.grid.radiusMetres = 3.4; // 2 cells
    const ExportResult result = ExportSession(*data, Settings(), options, dir.File("t.tif"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(ProvenanceValue(result, "radius_m"), "3.4");
    Dataset dataset = Open(dir.File("t.tif"), GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    ASSERT_EQ(dataset->GetRasterCount(), 14);

    const auto toUtm = FromWgs84(*dataset->GetSpatialRef());
    ASSERT_TRUE(toUtm);
    const Band first = ReadBand(*dataset, 1);
    const double cell = first.transform[1];
    ASSERT_NEAR(cell, 1.7, 1e-6);
    std::vector<int> columns, rows;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (size_t k = 0; k < data->RecordCount(); ++k) {
        double x = data->FixAt(k).longitude, y = data->FixAt(k).latitude;
        ASSERT_TRUE(toUtm->Transform(1, &x, &y));
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        const double column = (x - first.transform[0]) / cell, row = (first.transform[3] - y) / cell;
        ASSERT_GT(std::fabs(column - std::round(column)), 1e-3) << "reading " << k << " on a cell edge " << column;
        ASSERT_GT(std::fabs(row - std::round(row)), 1e-3) << "reading " << k << " on a cell edge";
        columns.push_back(int(std::floor(column)));
        rows.push_back(int(std::floor(row)));
    }
    EXPECT_EQ(first.nx, int(std::floor((maxX - minX) / cell + 0.5)) + 1);
    EXPECT_EQ(first.ny, int(std::floor((maxY - minY) / cell + 0.5)) + 1);
    EXPECT_NEAR(first.transform[0], minX - cell / 2, 0.01) << "the westernmost reading's cell centred on it";
    EXPECT_NEAR(first.transform[3], maxY + cell / 2, 0.01);
    size_t empty = 0;
    for (int b = 1; b <= 14; ++b) {
        const Band band = ReadBand(*dataset, b);
        for (int r = 0; r < band.ny; ++r) {
            for (int c = 0; c < band.nx; ++c) {
                double sum = 0, weights = 0;
                for (size_t k = 0; k < columns.size(); ++k) {
                    const int weight = 2 - std::abs(columns[k] - c) - std::abs(rows[k] - r);
                    if (weight > 0) {
                        sum += weight * double(Value(data->Record(k), b - 1));
                        weights += weight;
                    }
                }
                if (weights == 0) {
                    ASSERT_EQ(band.At(c, r), kNoDataValue) << "band " << b << " cell " << c << ", " << r;
                    ++empty;
                } else {
                    ASSERT_NEAR(band.At(c, r), sum / weights, std::fabs(sum / weights) * 1e-5)
                        << "band " << b << " cell " << c << ", " << r;
                }
            }
        }
    }
    EXPECT_GT(empty, 0u) << "a track leaves cells beyond the radius empty";
}

// The default cell is a quarter of the radius, and the default radius the track map's. As
// the track map paints it, the radius counts cells of a map 240 pixels wide: the grid
// painted 1920 pixels across reaches as far as the one painted 240 across.
TEST_F(ExportTest, TrackGridDefaultsToTheTrackMapsCellAndReachAtAnyWidth)
{
    auto data = testing_support::GroundTrack(Settings(), 100, 1.0);
    Settings().gpsTrackRadius = 40;
    Settings().pixelSize = 2;
    const ExportResult result = ExportSession(*data, Settings(), Options(ExportFormat::SurferGrid, 2), dir.File("t.grd"));
    ASSERT_TRUE(result.ok) << result.error;
    const double cell = std::stod(ProvenanceValue(result, "cell_m"));
    const double radius = std::stod(ProvenanceValue(result, "radius_m"));
    // The map on the page: 240 pixels of 2-pixel blocks across the track's longer extent,
    // and a radius of 40 cells of such a map.
    EXPECT_NEAR(radius, 40 * cell, 1e-4 * radius);
    Dataset dataset = Open(dir.File("t.grd"), GDAL_OF_RASTER);
    ASSERT_TRUE(dataset);
    const int longer = std::max(dataset->GetRasterXSize(), dataset->GetRasterYSize());
    EXPECT_NEAR(longer, 120, 1);
    // A radius of the operator's sets the scale: the cell is a quarter of it.
    ExportOptions options = Options(ExportFormat::SurferGrid, 2);
    options.grid.radiusMetres = 6.0;
    const ExportResult chosen = ExportSession(*data, Settings(), options, dir.File("t.grd"));
    ASSERT_TRUE(chosen.ok) << chosen.error;
    EXPECT_NEAR(std::stod(ProvenanceValue(chosen, "cell_m")), 1.5, 1e-6);

    Settings().pixelSize = 1;
    double painted[2] = {}, paintedCell[2] = {};
    const int widths[2] = {240, 1920};
    for (int k = 0; k < 2; ++k) {
        options = Options(ExportFormat::SurferGrid, 2);
        options.grid.paintedWidth = widths[k];
        const ExportResult as = ExportSession(*data, Settings(), options, dir.File("t.grd"));
        ASSERT_TRUE(as.ok) << as.error;
        painted[k] = std::stod(ProvenanceValue(as, "radius_m"));
        paintedCell[k] = std::stod(ProvenanceValue(as, "cell_m"));
    }
    EXPECT_NEAR(painted[0], 40 * paintedCell[0], 1e-4 * painted[0]);
    EXPECT_NEAR(painted[1], painted[0], paintedCell[0]);
}

// A grid beyond 10 000 cells a side or 2 GB is refused, naming its size, before anything
// is allocated or written; the earlier file stays.
TEST_F(ExportTest, OversizedGridsAreRefusedWithTheSizeTheyWouldHaveHad)
{
    struct Case {
        ExportFormat format;
        std::optional<int> frequency;
        double cell;
        std::optional<int> width;
        const char* size;
    };
    auto survey = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 3.0f, 120);
    const Case cases[] = {
        // Within 10 000 a side but not within 2 GB in 14 bands.
        {ExportFormat::GeoTiff, std::nullopt, 38.0 / 9999, std::nullopt, "10000 x 3947 cells x 14 bands (2.2 GB)"},
        {ExportFormat::AsciiGrid, 3, 0.003, std::nullopt, "12667 x 5001 cells x 1 band "},
        {ExportFormat::SurferGrid, 3, 1, 20000, "20000 x "},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("earlier.out");
        testing_support::WriteFile(path, "earlier");
        ExportOptions options = Options(c.format, c.frequency);
        if (c.width)
            options.grid.paintedWidth = c.width;
        else
            options.grid.cellMetres = c.cell;
        const ExportResult result = ExportSession(*survey, Settings(), options, path);
        EXPECT_FALSE(result.ok) << c.size;
        EXPECT_NE(result.error.find(std::string("the grid would be ") + c.size), std::string::npos) << result.error;
        EXPECT_EQ(testing_support::ReadFile(path), "earlier");
    }
}
