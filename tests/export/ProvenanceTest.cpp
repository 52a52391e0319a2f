#include <cstdlib>
#include <filesystem>

#include "ExportFixture.h"

namespace {

const char* const kKeys[] = {"session",    "instrument_serial",  "calibration_date",    "units",
                             "component",  "normalize_current",  "normalize_frequency", "phase_equalization",
                             "subtract_undercompensation", "signal_filter", "frequencies", "crs"};

struct ProvenanceCase {
    bool track;
    ExportFormat format;
    std::optional<int> frequency;
    const char* file;
    bool inside; // kept as the file's metadata, else in "<file>.txt"
    std::vector<const char*> gridKeys;
};

} // namespace

// Every export says where its values came from: in the file where the format keeps metadata,
// else in a side note beside it that moves with the set.
TEST_F(ExportTest, EveryExportCarriesItsProvenance)
{
    auto track = testing_support::GroundTrack(Settings(), 60);
    Settings().unitMeasure = 1;
    Settings().phaseEqualization = 1;
    const ProvenanceCase cases[] = {
        {true, ExportFormat::GeoTiff, std::nullopt, "t.tif", true, {"cell_m", "radius_m", "gridding"}},
        {true, ExportFormat::GeoPackage, std::nullopt, "t.gpkg", true, {}},
        {true, ExportFormat::Shapefile, std::nullopt, "t.shp", false, {}},
        {true, ExportFormat::Gpx, std::nullopt, "t.gpx", false, {}},
        {true, ExportFormat::AsciiGrid, 2, "t.asc", false, {"cell_m", "radius_m", "gridding"}},
        {false, ExportFormat::SurferGrid, 2, "m.grd", false, {"cell_m", "gridding"}},
    };
    auto survey = testing_support::GroundSurvey(Settings(), 8, 4, 1.0f, 2.0f, 32);
    for (const ProvenanceCase& c : cases) {
        Settings().workType = c.track ? kWorkGpsTrack : kWorkMap;
        ExportOptions options = Options(c.format, c.frequency);
        options.sessionName = "field-7.lur";
        const std::string path = dir.File(c.file);
        const ExportResult result =
            ExportSession(c.track ? static_cast<const DataSet&>(*track) : *survey, Settings(), options, path);
        ASSERT_TRUE(result.ok) << c.file << ": " << result.error;
        EXPECT_EQ(result.files.front(), path);
        EXPECT_EQ(std::count(result.files.begin(), result.files.end(), path + ".txt"), c.inside ? 0 : 1) << c.file;
        auto value = [&](const std::string& key) -> std::string {
            if (c.inside) {
                Dataset dataset = Open(path, GDAL_OF_RASTER | GDAL_OF_VECTOR);
                const char* item = dataset ? dataset->GetMetadataItem(key.c_str()) : nullptr;
                return item ? item : "";
            }
            const std::string note = testing_support::ReadFile(path + ".txt");
            const size_t at = note.find(key + ": ");
            return at == std::string::npos ? "" : note.substr(at + key.size() + 2, note.find('\n', at) - at - key.size() - 2);
        };
        for (const char* key : kKeys)
            EXPECT_EQ(value(key), ProvenanceValue(result, key)) << c.file << " " << key;
        for (const char* key : c.gridKeys)
            EXPECT_FALSE(value(key).empty()) << c.file << " " << key;
        EXPECT_EQ(value("session"), "field-7.lur") << c.file;
        EXPECT_EQ(value("instrument_serial"), std::to_string(Settings().calibrationKey.serial)) << c.file;
        EXPECT_EQ(value("units"), "apparent resistivity, ohm*m") << c.file;
        EXPECT_EQ(value("phase_equalization"), "yes") << c.file;
        EXPECT_EQ(value("normalize_current"), "no") << c.file;
    }
}

// GMT, which Surfer and GeoTIFF users often grid and plot with, reads both grids as written.
TEST_F(ExportTest, GmtReadsTheSurferAndGeoTiffGrids)
{
    if (std::system("command -v gmt >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "GMT is not installed";
    auto survey = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 3.0f, 120);
    for (const auto& [format, file] : {std::pair{ExportFormat::SurferGrid, "m.grd"}, std::pair{ExportFormat::GeoTiff, "m.tif"}}) {
        ASSERT_TRUE(ExportSession(*survey, Settings(), Options(format, 3), dir.File(file)).ok);
        const std::string out = dir.File(std::string(file) + ".info");
        ASSERT_EQ(std::system(("gmt grdinfo -C '" + dir.File(file) + "' > '" + out + "' 2>&1").c_str()), 0)
            << testing_support::ReadFile(out);
        // -C: name, x_min, x_max, y_min, y_max, z_min, z_max, x_inc, y_inc, n_columns, n_rows, ...
        std::istringstream fields(testing_support::ReadFile(out).substr(testing_support::ReadFile(out).find('\t') + 1));
        double xMin, xMax, yMin, yMax, zMin, zMax, xInc, yInc, columns, rows;
        fields >> xMin >> xMax >> yMin >> yMax >> zMin >> zMax >> xInc >> yInc >> columns >> rows;
        EXPECT_EQ(columns, 77) << file;
        EXPECT_EQ(rows, 31) << file;
        EXPECT_DOUBLE_EQ(xInc, 0.5) << file;
        EXPECT_NEAR(xMin, 0, 1e-9) << "the first node on station 0: " << file;
        EXPECT_NEAR(yMax, 15, 1e-9) << "the top row on the last profile: " << file;
        EXPECT_LT(zMin, zMax) << file;
    }
}
