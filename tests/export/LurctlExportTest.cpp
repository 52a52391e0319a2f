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
