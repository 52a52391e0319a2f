#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>

#include "ExportFixture.h"
#include "survey/SurveyDataSet.h"

namespace {

// Every name in a directory.
std::vector<std::string> Names(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class ExportFailureTest : public ExportTest {
protected:
    // Exports to `path` expecting a refusal with `problem` about that very file, lurctl's
    // English saying `why`; an earlier file at `path` stays as it was. The result.
    ExportResult Refused(const DataSet& data, const ExportOptions& options, ExportProblem problem,
                         const std::string& why, const std::string& path)
    {
        const bool earlier = std::filesystem::is_directory(std::filesystem::path(path).parent_path());
        if (earlier)
            testing_support::WriteFile(path, "earlier");
        const ExportResult result = ExportSession(data, Settings(), options, path);
        EXPECT_FALSE(result.ok) << why;
        EXPECT_EQ(result.failure.problem, problem) << why << ": " << result.error;
        EXPECT_EQ(result.failure.file, path) << why;
        EXPECT_NE(result.error.find(why), std::string::npos) << result.error;
        if (earlier) {
            EXPECT_EQ(testing_support::ReadFile(path), "earlier") << why;
        }
        return result;
    }
    ExportResult Refused(const DataSet& data, const ExportOptions& options, ExportProblem problem,
                         const std::string& why)
    {
        return Refused(data, options, problem, why, dir.File("карта.out"));
    }
};

// Each refusal of a track says what stands in its way, with the numbers its words need.
TEST_F(ExportFailureTest, EachRefusalOfATrackTellsItsProblem)
{
    auto track = testing_support::GroundTrack(Settings(), 40);
    auto spot = Track(std::vector<GpsFix>(10, GpsFix{55.0, 37.0, 0}));
    auto unplaced = Track(std::vector<GpsFix>(6));
    auto unmeasured = Track(std::vector<GpsFix>(3, GpsFix{55.0, 37.0, 0}), false);
    std::vector<GpsFix> someFixes(9);
    for (uint32_t k = 0; k < 9; ++k)
        if (k % 3 != 0)
            someFixes[k] = GpsFix{55.0 + k * 1e-5, 37.0 + (k % 2) * 2e-5, 0};
    auto partly = Track(someFixes);
    testing_support::WriteFile(dir.File("карта.out"), "earlier");
    const std::vector<std::string> before = Names(dir.path());
    Settings().workType = kWorkGpsTrack;
    Settings().usedFrequencies[4] = 0;

    const ExportFailure unused = Refused(*track, Options(ExportFormat::GeoPackage, 4), ExportProblem::FrequencyNotUsed,
                                         "frequency 5 (6.945 kHz) was not used").failure;
    EXPECT_EQ(unused.frequency, 5);
    EXPECT_EQ(unused.kHz, Settings().currentCalibration.F[4]);
    EXPECT_EQ(Refused(*track, Options(ExportFormat::GeoPackage, 14), ExportProblem::NoSuchFrequency,
                      "there is no frequency 15")
                  .failure.frequency,
              15);
    Refused(*track, Options(ExportFormat::AsciiGrid), ExportProblem::OneFrequencyFormat, "asc holds one frequency");
    Refused(*track, Options(ExportFormat::StationTable), ExportProblem::FormatNotForWorkType, "does not suit");
    Refused(*spot, Options(ExportFormat::GeoTiff), ExportProblem::TrackMapTooSmall, "spread over an area");
    EXPECT_EQ(Refused(*unplaced, Options(ExportFormat::GeoTiff), ExportProblem::NoReadingExportable,
                      "none of the 6 measured readings")
                  .failure.readings,
              6u);
    EXPECT_EQ(Refused(*unmeasured, Options(ExportFormat::GeoJson), ExportProblem::NoMeasuredReading, "no measured").error,
              "the session has no measured reading");
    Refused(*partly, Options(ExportFormat::GeoJson), ExportProblem::ReadingsLeftOut, "3 readings without a position");
    ExportOptions keep = Options(ExportFormat::Kml);
    keep.leftOut = LeftOutReadings::KeepUnlocated;
    Refused(*partly, keep, ExportProblem::KeepUnlocatedNotInFormat, "keep readings without a position");

    ExportOptions grid = Options(ExportFormat::GeoTiff);
    grid.grid.cellMetres = 0.0;
    Refused(*track, grid, ExportProblem::CellNotAboveZero, "the cell size must be above 0 m");
    grid.grid.cellMetres.reset();
    grid.grid.radiusMetres = 0.0;
    Refused(*track, grid, ExportProblem::RadiusNotAboveZero, "the radius must be above 0 m");
    grid.grid.radiusMetres.reset();
    grid.grid.cellMetres = 0.0001;
    const ExportResult large = Refused(*track, grid, ExportProblem::GridTooLarge, "choose a larger cell");
    EXPECT_EQ(large.failure.bands, 13u);
    char size[128];
    std::snprintf(size, sizeof size, "%.0f x %.0f cells x 13 bands (%.1f GB)", large.failure.columns,
                  large.failure.rows, large.failure.gigabytes);
    EXPECT_NE(large.error.find(size), std::string::npos) << size;
    EXPECT_GT(large.failure.columns, 10000);

    Refused(*track, Options(ExportFormat::GeoJson), ExportProblem::NoFileName, "names no file", dir.File("folder/"));
    Settings().workType = kWorkMap;
    Refused(*track, Options(ExportFormat::GeoTiff), ExportProblem::DataNotForWorkType, "does not match");
    Settings().workType = kWorkGpsTrack;
    Settings().usedFrequencies.fill(0);
    Refused(*track, Options(ExportFormat::GeoJson), ExportProblem::NoFrequencyUsed, "the session uses no frequency");
    EXPECT_EQ(Names(dir.path()), before) << "a refusal leaves nothing behind";
}

// Each refusal of a map or a profile says what stands in its way.
TEST_F(ExportFailureTest, EachRefusalOfAMapOrProfileTellsItsProblem)
{
    auto oneProfile = testing_support::GroundSurvey(Settings(), 4, 3, 2.0f, 3.0f, 4);
    Refused(*oneProfile, Options(ExportFormat::GeoTiff), ExportProblem::MapTooFewProfiles, "2 complete profiles");
    auto map = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 3.0f, 120);
    ExportOptions options = Options(ExportFormat::GeoTiff);
    options.grid.cellMetres = 0.0;
    Refused(*map, options, ExportProblem::CellNotAboveZero, "the cell size must be above 0 m");
    options.grid.cellMetres.reset();
    options.grid.paintedWidth = 1;
    Refused(*map, options, ExportProblem::PaintedWidthTooSmall, "at least 2 pixels");
    options.grid.paintedWidth.reset();
    options.grid.cellMetres = 0.001;
    const ExportFailure large = Refused(*map, options, ExportProblem::GridTooLarge,
                                        "the grid would be 38001 x 15001 cells x 14 bands").failure;
    EXPECT_EQ(large.columns, 38001);
    EXPECT_EQ(large.rows, 15001);
    EXPECT_EQ(large.bands, 14u);

    auto profile = testing_support::GroundSurvey(Settings(), 0, 1, 1.5f, 1.0f, 30);
    Refused(*profile, Options(ExportFormat::SectionAsciiGrid, 2), ExportProblem::SectionNeedsEveryFrequency,
            "every used frequency");
    auto station = testing_support::GroundSurvey(Settings(), 0, 1, 1.5f, 1.0f, 1);
    Refused(*station, Options(ExportFormat::SectionAsciiGrid), ExportProblem::SectionTooShort, "at least 2 measured");
}

// A file that cannot be made or written is named as the operator chose it, with the errno
// of the failed call; the earlier file stays and no staging file is left behind. A file
// size limit stands in for a full disk: writes fail with EFBIG as they would with ENOSPC,
// also those the drivers that buffer their output (GeoJSON, KML, GPX) make only on closing.
TEST_F(ExportFailureTest, FilesThatCannotBeWrittenAreNamedWithTheSystemsReason)
{
    testing_support::WriteFile(dir.File("plain"), "a file, not a folder");
    auto track = testing_support::GroundTrack(Settings(), 40);
    Settings().workType = kWorkGpsTrack;
    // Named by the path the operator gave.
    EXPECT_EQ(Refused(*track, Options(ExportFormat::GeoJson), ExportProblem::CannotCreate,
                      dir.File("plain/t.geojson"), dir.File("plain/t.geojson"))
                  .failure.errorNumber,
              ENOTDIR);

    struct Case {
        ExportFormat format;
        std::optional<int> frequency;
        const char* file;
    };
    const Case trackCases[] = {
        {ExportFormat::GeoPackage, std::nullopt, "t.gpkg"}, {ExportFormat::GeoJson, std::nullopt, "t.geojson"},
        {ExportFormat::Kml, std::nullopt, "t.kml"},         {ExportFormat::Gpx, std::nullopt, "t.gpx"},
        {ExportFormat::Shapefile, std::nullopt, "t.shp"},   {ExportFormat::CsvWkt, std::nullopt, "t.csv"},
        {ExportFormat::GeoTiff, std::nullopt, "t.tif"},     {ExportFormat::AsciiGrid, 3, "t.asc"},
        {ExportFormat::SurferGrid, 3, "t.grd"},
    };
    const Case profileCases[] = {{ExportFormat::StationTable, std::nullopt, "p.csv"},
                                 {ExportFormat::SectionAsciiGrid, std::nullopt, "p.asc"}};
    auto profile = testing_support::GroundSurvey(Settings(), 0, 1, 1.5f, 1.0f, 30);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    const auto cutShort = [&](const DataSet& data, const Case& c) {
        const std::string path = dir.File(c.file);
        testing_support::WriteFile(path, "earlier");
        const std::vector<std::string> before = Names(dir.path());
        rlimit limit = saved;
        limit.rlim_cur = 2000;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const ExportResult result = ExportSession(data, Settings(), Options(c.format, c.frequency), path);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        EXPECT_FALSE(result.ok) << c.file;
        EXPECT_EQ(result.failure.problem, ExportProblem::CannotWrite) << c.file << ": " << result.error;
        EXPECT_EQ(result.failure.errorNumber, EFBIG) << c.file << ": " << result.error;
        EXPECT_EQ(result.failure.file, path) << c.file;
        EXPECT_EQ(result.error.find(".export-"), std::string::npos) << result.error;
        EXPECT_EQ(testing_support::ReadFile(path), "earlier") << c.file;
        EXPECT_EQ(Names(dir.path()), before) << c.file;
    };
    for (const Case& c : trackCases) {
        Settings().workType = kWorkGpsTrack;
        cutShort(*track, c);
    }
    Settings().workType = kWorkProfile;
    for (const Case& c : profileCases)
        cutShort(*profile, c);
    std::signal(SIGXFSZ, oldHandler);
}
