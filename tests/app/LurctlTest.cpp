#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

#include "platform/CodePage.h"
#include "survey/CalibrationStore.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"
#include "support/TempDir.h"
#include "session/SessionFile.h"
#include <filesystem>
#include <sstream>

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

struct Result {
    int status;
    std::string out;
};

// Runs lurctl with a private configuration directory; standard error joins standard output.
Result Lurctl(const TempDir& config, const std::string& arguments)
{
    std::string command = std::string(LURCTL_PATH) + " --config-dir '" + config.path() + "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    Result r{-1, {}};
    if (!pipe)
        return r;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        r.out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Frequencies()
{
    std::string text;
    for (int n = 1; n <= 14; ++n)
        text += "F" + std::to_string(n) + "=" + std::to_string(n * 1.5) + "\n";
    return text;
}

TEST(Lurctl, ShowPrintsTheBuiltInSetOfAnEmptyStore)
{
    TempDir config;
    Result r = Lurctl(config, "calibration show 9");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, platform::Cp1251ToUtf8(CalibrationSectionText(kBuiltInCalibrationKey, BuiltInCalibrationSet())));
    Result list = Lurctl(config, "calibration list");
    EXPECT_EQ(list.out, "<отсутствует>\n");
}

TEST(Lurctl, MergeSavesAndListShowsTheSets)
{
    TempDir config;
    WriteFile(config.File("src.ini"), "[LUR 12]\nDate=03/04/2015\nComment=\xCF\xF0\xE8\xE1\xEE\xF0\n" + Frequencies() +
                                          "[LUR 4]\n" + Frequencies());
    Result merged = Lurctl(config, "calibration merge " + config.File("src.ini"));
    EXPECT_EQ(merged.status, 0) << merged.out;
    EXPECT_NE(merged.out.find("added LUR 12, 03/04/2015 Прибор"), std::string::npos) << merged.out;
    EXPECT_NE(merged.out.find("saved "), std::string::npos);

    Result list = Lurctl(config, "calibration list");
    EXPECT_EQ(list.out, "LUR 4, 01/01/2000\nLUR 12, 03/04/2015 Прибор\n");

    // The written file reads back to the sets that were merged.
    CalibrationStore written(config.File("LurCalibration.ini"));
    CalibrationStore source(config.File("src.ini"));
    ASSERT_EQ(written.Sets().size(), 2u);
    for (const auto& [key, set] : source.Sets())
        EXPECT_TRUE(written.FindSet(key) && written.FindSet(key)->SameAs(set));

    Result shown = Lurctl(config, "calibration show 12 01/01/2020 --cp1251");
    EXPECT_EQ(shown.out, CalibrationSectionText({12, 2015, 4, 3}, *source.FindSet({12, 2015, 4, 3})));

    WriteFile(config.File("changed.ini"), "[LUR 4]\nComment=changed\n" + Frequencies());
    Result kept = Lurctl(config, "calibration merge " + config.File("changed.ini"));
    EXPECT_NE(kept.out.find("kept"), std::string::npos) << kept.out;
    Result replaced = Lurctl(config, "calibration merge --overwrite yes " + config.File("changed.ini"));
    EXPECT_NE(replaced.out.find("replaced LUR 4, 01/01/2000 changed"), std::string::npos) << replaced.out;
}

TEST(Lurctl, ErrorsAreReportedWithAStatus)
{
    TempDir config;
    EXPECT_EQ(Lurctl(config, "calibration merge /no/such/file").status, 1);
    EXPECT_EQ(Lurctl(config, "calibration show 70000").status, 2);
    EXPECT_EQ(Lurctl(config, "calibration show 9 31/13/2020").status, 2);
    EXPECT_EQ(Lurctl(config, "calibration merge x --overwrite maybe").status, 2);
    EXPECT_EQ(Lurctl(config, "nonsense").status, 2);
    EXPECT_EQ(Lurctl(config, "calibration list --bogus").status, 2);
    Result help = Lurctl(config, "help calibration");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("lurctl calibration merge SOURCE"), std::string::npos);
    EXPECT_NE(Lurctl(config, "--help").out.find("calibration"), std::string::npos);
}

TEST(Lurctl, SettingsShowReportsUnreadableValuesAndWritesNothing)
{
    TempDir config;
    const std::string text = "[software\\Dalmar\\LurControl\\Default values]\n\"xSize\"=dword:0000002a\n"
                             "\"ySize\"=hex:01\nrubbish\n@=dword:00000055\n";
    WriteFile(config.File("settings.reg"), text);
    Result r = Lurctl(config, "settings show");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("xSize = 42\n"), std::string::npos);
    EXPECT_NE(r.out.find("ySize = 10\n"), std::string::npos);
    EXPECT_NE(r.out.find("@ = 85\n"), std::string::npos);
    EXPECT_NE(r.out.find("Проф. кривая: профиль %u, частота %u = 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("\"ySize\" is not a 32-bit value"), std::string::npos);
    EXPECT_NE(r.out.find("line 4: unreadable line ignored"), std::string::npos);
    EXPECT_EQ(ReadFile(config.File("settings.reg")), text);
}

} // namespace

namespace {

// Session files over the synthetic ground, written with settings of their own.
class LurctlRender : public testing_support::SettingsTest {
protected:
    std::string SurveyFile()
    {
        auto data = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
        const std::string path = dir.File("survey.lur");
        EXPECT_TRUE(SaveSession(*data, path).ok);
        return path;
    }
    std::string TrackFile()
    {
        auto data = testing_support::GroundTrack(Settings(), 300);
        const std::string path = dir.File("track.lur");
        EXPECT_TRUE(SaveSession(*data, path).ok);
        return path;
    }
    TempDir config;
};

size_t Lines(const std::string& text)
{
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST_F(LurctlRender, PaintsSurveyGraphsAsPngWithTheirValues)
{
    const std::string session = SurveyFile();
    for (const char* graph : {"map", "section", "profile-curve", "sounding", "progress"}) {
        const std::string png = dir.File(std::string(graph) + ".png");
        Result r = Lurctl(config, "render '" + session + "' --graph " + graph + " --width 120 --height 90 --out '" +
                                      png + "' --values '" + dir.File("values.csv") + "'");
        EXPECT_EQ(r.status, 0) << graph << ": " << r.out;
        EXPECT_EQ(ReadFile(png).substr(1, 3), "PNG") << graph;
        const std::string values = ReadFile(dir.File("values.csv"));
        EXPECT_EQ(Lines(values), 90u) << graph;
        EXPECT_EQ(values.substr(0, values.find('\n')).size() >= 119, true) << graph;
    }
    // Nothing was written into the configuration directory.
    EXPECT_TRUE(std::filesystem::is_empty(config.path()));
}

TEST_F(LurctlRender, MapValuesFollowThePipe)
{
    const std::string session = SurveyFile();
    Result r = Lurctl(config, "render '" + session +
                                  "' --graph map --frequency 8 --pixel-size 2 --width 40 --height 20 "
                              "--out '" + dir.File("m.png") + "' --values '" + dir.File("m.csv") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    std::istringstream rows(ReadFile(dir.File("m.csv")));
    std::string row;
    for (int y = 0; y <= 10; ++y) // the middle row: real scaling may leave the edges empty
        std::getline(rows, row);
    // Values whose largest lies over the pipe, not at the ends.
    std::vector<float> values;
    std::istringstream cells(row + ",");
    for (std::string cell; std::getline(cells, cell, ',');)
        values.push_back(cell.empty() ? -1.0f : std::stof(cell));
    ASSERT_EQ(values.size(), 40u);
    const auto peak = std::max_element(values.begin(), values.end()) - values.begin();
    EXPECT_GT(peak, 5);
    EXPECT_LT(peak, 35);
}

TEST_F(LurctlRender, ReportsWhyNothingWasDrawn)
{
    const std::string session = SurveyFile();
    Result r = Lurctl(config, "render '" + session + "' --graph sounding --profile 5 --station 3 --out '" +
                                  dir.File("s.png") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out), 1u) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.png")));
    r = Lurctl(config, "render '" + session + "' --graph track-view");
    EXPECT_EQ(r.status, 1);
    r = Lurctl(config, "render '" + session + "' --graph pie");
    EXPECT_EQ(r.status, 2);
    r = Lurctl(config, "render '" + session + "' --graph map --width 0");
    EXPECT_EQ(r.status, 2);
    r = Lurctl(config, "render '" + dir.File("missing.lur") + "' --graph map");
    EXPECT_EQ(r.status, 1);
}

TEST_F(LurctlRender, StartsAtThePagesFrequencyAndNamesTheRealReason)
{
    auto data = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
    for (size_t k = 0; k < data->RecordCount(); ++k) { // the instrument never measured frequency 1
        MeasurementRecord record = data->Record(k);
        record.bytes[168] &= 0xFE;
        data->StoreRecord(k, record);
    }
    const std::string survey = dir.File("no-first-frequency.lur");
    ASSERT_TRUE(SaveSession(*data, survey).ok);
    const std::string png = dir.File("m.png");
    Result r = Lurctl(config, "render '" + survey + "' --graph map --out '" + png + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    r = Lurctl(config, "render '" + survey + "' --graph map --frequency 1 --out '" + png + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("frequency 1 is not used"), std::string::npos) << r.out;
    r = Lurctl(config, "render '" + TrackFile() + "' --graph map --radius 8 --pixel-size 60 --width 100 --height 50 "
                                                 "--out '" + png + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("too small for one grid row"), std::string::npos) << r.out;
}

TEST_F(LurctlRender, TrackSessionsPaintTheTrackGraphs)
{
    const std::string session = TrackFile();
    for (const char* graph : {"map", "section", "profile-curve", "sounding", "track-view", "progress"}) {
        Result r = Lurctl(config, "render '" + session + "' --graph " + graph +
                                      " --radius 8 --width 100 --height 80 --out '" + dir.File("t.png") + "'");
        EXPECT_EQ(r.status, 0) << graph << ": " << r.out;
    }
    Result r = Lurctl(config, "render '" + session + "' --graph sounding --reading 300 --out '" +
                                  dir.File("t.png") + "'");
    EXPECT_EQ(r.status, 1);
}
