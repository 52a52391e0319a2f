#include <filesystem>

#include "../app/Lurctl.h"
#include "ExportFixture.h"
#include "session/SessionFile.h"

// `lurctl session export` never leaves a reading out without a word: it refuses (exit 1,
// nothing written) unless --skip-unpositioned, and then says how many were left out.
TEST_F(ExportTest, LurctlRefusesOrNamesTheReadingsItLeavesOut)
{
    std::vector<GpsFix> fixes(9);
    for (uint32_t k = 0; k < 9; ++k)
        if (k % 3 != 0)
            fixes[k] = GpsFix{55.0 + k * 1e-5, 37.0 + (k % 2) * 2e-5, 0};
    auto data = Track(fixes);
    const std::string session = dir.File("t.lur");
    ASSERT_TRUE(SaveSession(*data, session).ok);
    testing_support::TempDir config;
    const std::string errors = dir.File("errors.txt");
    struct Case {
        const char* arguments;
        int status;
        const char* file;      // written, when status is 0
        const char* said;      // standard error begins so
    };
    const Case cases[] = {
        {"--format geojson --out OUT/t.geojson", 1, nullptr,
         "lurctl session: 3 readings without a position (0, 3, 6): nothing written (--skip-unpositioned"},
        {"--format geojson --skip-unpositioned --out OUT/t.geojson", 0, "t.geojson",
         "3 readings without a position were left out\n"},
        {"--format gpkg --keep-unpositioned --out OUT/t.gpkg", 0, "t.gpkg",
         "3 readings without a position were written without a geometry\n"},
        {"--format kml --keep-unpositioned --out OUT/t.kml", 1, nullptr,
         "lurctl session: only GeoPackage and CSV keep readings without a position"},
        {"--format tif --skip-unpositioned --cell 0.00001 --out OUT/t.tif", 1, nullptr,
         "lurctl session: the grid would be "},
        {"--format tif --cell 1 --width 100 --out OUT/t.tif", 2, nullptr, "lurctl session: --cell and --width exclude"},
        {"--format tif --radius -1 --out OUT/t.tif", 2, nullptr, "lurctl session: --radius is a length in metres"},
        {"--format kml --gps-lag 6 --out OUT/t.kml", 2, nullptr, "lurctl session: --gps-lag is a lag from 0 to 5 seconds"},
        {"--format kml --antenna-offset x --out OUT/t.kml", 2, nullptr,
         "lurctl session: --antenna-offset is a distance from -10 to 10 metres"},
    };
    for (const Case& c : cases) {
        std::string arguments = c.arguments;
        arguments.replace(arguments.find("OUT"), 3, dir.path());
        const LurctlResult run = Lurctl(config, "session export '" + session + "' " + arguments, errors);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        const std::string said = testing_support::ReadFile(errors);
        EXPECT_EQ(said.substr(0, std::string(c.said).size()), c.said) << c.arguments << ": " << said;
        if (c.file) {
            EXPECT_TRUE(std::filesystem::exists(dir.File(c.file))) << c.arguments;
        }
    }
    for (const char* file : {"t.kml", "t.tif"})
        EXPECT_FALSE(std::filesystem::exists(dir.File(file))) << file;
}

// The lag and antenna offset of the command line replace the settings' and are named in the
// export's provenance, and the CSV of standard output applies them too.
TEST_F(ExportTest, LurctlCorrectsWithTheLagAndOffsetItIsGiven)
{
    std::vector<GpsFix> fixes;
    for (uint32_t k = 0; k < 6; ++k)
        fixes.push_back(GpsFix{55.0, 37.0 + k * 1e-5, 0, {1, 3, 7, 1.1, 400, true}});
    SessionImage image;
    image.track = true;
    image.fixes = fixes;
    for (uint32_t k = 0; k < 6; ++k)
        image.records.push_back(testing_support::GroundRecord(k, 0, 1000 * k));
    const std::string session = dir.File("t.lur");
    ASSERT_TRUE(SaveSession(*TrackDataSet::LoadTrackBody(image, Settings()), session).ok);
    testing_support::TempDir config;
    const std::string options = " --gps-lag 2 --antenna-offset -1.5";
    const LurctlResult run = Lurctl(config, "session export '" + session + "' --format geojson --out '" +
                                                dir.File("t.geojson") + "'" + options);
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string note = testing_support::ReadFile(dir.File("t.geojson.txt"));
    EXPECT_NE(note.find("gps_lag_s: 2\n"), std::string::npos) << note;
    EXPECT_NE(note.find("antenna_ahead_m: -1.5\n"), std::string::npos) << note;

    const LurctlResult csv = Lurctl(config, "session export '" + session + "' --format csv" + options, "/dev/null");
    ASSERT_EQ(csv.status, 0);
    const auto rows = CsvRows(csv.out);
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<CorrectedPosition> expected = CorrectTrack(StampedFixes(image.records, fixes), {2, -1.5});
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_NEAR(std::stod(rows[k][2]), expected[k].longitude, 1e-8) << k;
        // fix_quality, hdop, satellites, fix_age_s, placed_ok: the last readings lack a position two seconds on
        EXPECT_EQ(std::vector<std::string>(rows[k].begin() + 7, rows[k].begin() + 12),
                  (std::vector<std::string>{"1", "1.10", "7", "0.400", k < 4 ? "1" : "0"}))
            << k;
    }
}
