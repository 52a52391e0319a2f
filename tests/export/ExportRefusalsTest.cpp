#include <filesystem>

#include "ExportFixture.h"

// A refused export names the reason and leaves the earlier file and its directory as they were.
TEST_F(ExportTest, RefusalsKeepTheEarlierFile)
{
    struct Refusal {
        ExportFormat format;
        std::optional<int> frequency;
        const char* reason;
    };
    auto track = testing_support::GroundTrack(Settings(), 40);
    auto spot = Track(std::vector<GpsFix>(10, GpsFix{55.0, 37.0, 0})); // every reading in one place
    Settings().usedFrequencies[4] = 0;
    for (const auto& [data, c] : std::vector<std::pair<TrackDataSet*, Refusal>>{
             {track.get(), {ExportFormat::GeoPackage, 4, "frequency 5 (6.945 kHz) was not used"}},
             {track.get(), {ExportFormat::GeoPackage, 14, "there is no frequency 15"}},
             {track.get(), {ExportFormat::AsciiGrid, std::nullopt, "asc holds one frequency"}},
             {track.get(), {ExportFormat::StationTable, std::nullopt, "does not suit"}},
             {spot.get(), {ExportFormat::GeoTiff, std::nullopt, "spread over an area"}}}) {
        const std::string path = dir.File("earlier.out");
        testing_support::WriteFile(path, "earlier");
        const ExportResult result = ExportSession(*data, Settings(), Options(c.format, c.frequency), path);
        EXPECT_FALSE(result.ok) << c.reason;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
        EXPECT_TRUE(testing_support::ReadFile(path) == "earlier");
        size_t entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            entries += entry.path().filename().string().rfind("earlier", 0) == 0 ? 1 : 0;
        EXPECT_EQ(entries, 1u) << "a staging file was left behind: " << c.reason;
    }
}

TEST_F(ExportTest, RefusesASessionWithoutReadings)
{
    auto data = Track(std::vector<GpsFix>(3, GpsFix{55.0, 37.0, 0}), false);
    const ExportResult result = ExportSession(*data, Settings(), Options(ExportFormat::GeoPackage), dir.File("t.gpkg"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "the session has no measured reading");
}

TEST_F(ExportTest, ReportsAnUnwritablePlace)
{
    auto data = testing_support::GroundTrack(Settings(), 10);
    const ExportResult result =
        ExportSession(*data, Settings(), Options(ExportFormat::GeoJson), dir.File("missing/t.geojson"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("missing/t.geojson"), std::string::npos) << result.error;
}
