#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Lurctl.h"
#include "model/ForwardModel.h"
#include "track/TrackProjection.h"
#include "platform/CodePage.h"
#include "session/SessionFile.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"
#include "survey/CalibrationStore.h"

using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

std::string Frequencies()
{
    std::string text;
    for (int n = 1; n <= 14; ++n)
        text += "F" + std::to_string(n) + "=" + std::to_string(n * 1.5) + "\n";
    return text;
}

size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

// Session files over the synthetic ground, written with settings of their own.
class LurctlTest : public testing_support::SettingsTest {
protected:
    std::string Saved(DataSet& data, const std::string& name)
    {
        EXPECT_TRUE(SaveSession(data, dir.File(name)).ok);
        return "'" + dir.File(name) + "'";
    }
    std::string SurveyFile() { return Saved(*testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100), "survey.lur"); }
    std::string TrackFile() { return Saved(*testing_support::GroundTrack(Settings(), 300), "track.lur"); }
    testing_support::TempDir config;
};

} // namespace

TEST_F(LurctlTest, CalibrationShowMergeAndList)
{
    EXPECT_EQ(Lurctl(config, "calibration show 9").out,
              platform::Cp1251ToUtf8(CalibrationSectionText(kBuiltInCalibrationKey, BuiltInCalibrationSet())));
    EXPECT_EQ(Lurctl(config, "calibration list").out, "<отсутствует>\n");
    EXPECT_NE(Lurctl(config, "help calibration").out.find("lurctl calibration merge SOURCE"), std::string::npos);
    WriteFile(config.File("src.ini"), "[LUR 12]\nDate=03/04/2015\nComment=\xCF\xF0\xE8\xE1\xEE\xF0\n" + Frequencies() +
                                          "[LUR 4]\n" + Frequencies());
    LurctlResult merged = Lurctl(config, "calibration merge " + config.File("src.ini"));
    EXPECT_EQ(merged.status, 0) << merged.out;
    EXPECT_NE(merged.out.find("added LUR 12, 03/04/2015 Прибор"), std::string::npos) << merged.out;
    EXPECT_NE(merged.out.find("saved "), std::string::npos);
    EXPECT_EQ(Lurctl(config, "calibration list").out, "LUR 4, 01/01/2000\nLUR 12, 03/04/2015 Прибор\n");

    CalibrationStore source(config.File("src.ini"));
    EXPECT_EQ(Lurctl(config, "calibration show 12 01/01/2020 --cp1251").out,
              CalibrationSectionText({12, 2015, 4, 3}, *source.FindSet({12, 2015, 4, 3})));

    WriteFile(config.File("changed.ini"), "[LUR 4]\nComment=changed\n" + Frequencies());
    LurctlResult kept = Lurctl(config, "calibration merge " + config.File("changed.ini"));
    EXPECT_NE(kept.out.find("kept"), std::string::npos) << kept.out;
    LurctlResult replaced = Lurctl(config, "calibration merge --overwrite yes " + config.File("changed.ini"));
    EXPECT_NE(replaced.out.find("replaced LUR 4, 01/01/2000 changed"), std::string::npos) << replaced.out;
}

TEST_F(LurctlTest, SettingsShowReportsUnreadableValuesAndWritesNothing)
{
    const std::string text = "[software\\Dalmar\\LurControl\\Default values]\n\"xSize\"=dword:0000002a\n"
                             "\"ySize\"=hex:01\nrubbish\n@=dword:00000055\n";
    WriteFile(config.File("settings.reg"), text);
    LurctlResult r = Lurctl(config, "settings show");
    EXPECT_EQ(r.status, 0);
    for (const char* line : {"xSize = 42\n", "ySize = 10\n", "@ = 85\n", "Проф. кривая: профиль %u, частота %u = 1\n",
                             "\"ySize\" is not a 32-bit value", "line 4: unreadable line ignored"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_EQ(ReadFile(config.File("settings.reg")), text);
}

// A refusal exits 1 (2 for a bad command line), says why and writes no image.
TEST_F(LurctlTest, RefusalsGiveAStatusAndTheRealReason)
{
    auto data = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
    for (size_t k = 0; k < data->RecordCount(); ++k) { // the instrument never measured frequency 1
        MeasurementRecord record = data->Record(k);
        record.bytes[168] &= 0xFE;
        data->StoreRecord(k, record);
    }
    const std::string noFirst = Saved(*data, "no-first-frequency.lur");
    const std::string survey = SurveyFile(), track = TrackFile(), png = " --out '" + dir.File("refused.png") + "'";
    // The page's frequency is the first one measured, not frequency 1.
    EXPECT_EQ(Lurctl(config, "render " + noFirst + " --graph map --out '" + dir.File("m.png") + "'").status, 0);
    EXPECT_EQ(ReadFile(dir.File("m.png")).substr(1, 3), "PNG");

    struct Refusal {
        std::string arguments;
        int status;
        std::string reason;
    };
    for (const Refusal& c : std::vector<Refusal>{
             {"calibration merge /no/such/file", 1, ""},
             {"calibration show 9 31/13/2020", 2, ""},
             {"nonsense", 2, ""},
             {"survey --simulate --type map --gps-port /dev/null" + png, 2, ""},
             {"survey --type map" + png, 2, ""},
             {"survey --simulate --type map --gps-lag 1" + png, 2, "are for a simulated track"},
             {"survey --simulate --type track --antenna-ahead 11" + png, 2, "--antenna-ahead takes metres"},
             {"render " + track + " --graph map --gps-lag -1" + png, 2, "--gps-lag takes a number from 0 to 5"},
             {"render " + survey + " --graph track-view" + png, 1, ""},
             {"render " + survey + " --graph map --width 0" + png, 2, ""},
             {"render " + noFirst + " --graph map --frequency 1" + png, 1, "frequency 1 is not used"},
             {"render " + track + " --graph map --radius 8 --pixel-size 60 --width 100 --height 50" + png, 1,
              "too small for one grid row"},
             {"render " + track + " --graph sounding --reading 300" + png, 1, ""}}) {
        LurctlResult r = Lurctl(config, c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments << ": " << r.out;
        EXPECT_NE(r.out.find(c.reason), std::string::npos) << c.arguments << ": " << r.out;
        if (c.status == 1) {
            EXPECT_EQ(Lines(r.out), 1u) << c.arguments << ": " << r.out;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("refused.png"))) << c.arguments;
    }
    EXPECT_TRUE(std::filesystem::is_empty(config.path())); // nothing written into the configuration
}

// forward prints the model for each frequency of the installed set: the built-in one here.
TEST_F(LurctlTest, ForwardPrintsTheModelAtEachFrequency)
{
    const LurctlResult r = Lurctl(config, "forward --model 0.02:1,0.2:2,0.05 --height 0.5", "/dev/null");
    ASSERT_EQ(r.status, 0);
    ForwardModel model(BuiltInCalibrationSet(), 0.5);
    ModelResponse z{};
    ASSERT_TRUE(model.Evaluate({{0.02, 0.2, 0.05}, {1, 2}}, kAllFrequencies, z));
    std::istringstream lines(r.out);
    for (int i = 0; i < kFrequencyCount; ++i) {
        double f = 0, quadrature = 0, inphase = 0;
        ASSERT_TRUE(lines >> f >> quadrature >> inphase) << r.out;
        EXPECT_DOUBLE_EQ(f, BuiltInCalibrationSet().F[size_t(i)]);
        EXPECT_NEAR(quadrature, z[size_t(i)].real(), 1e-8 * std::fabs(z[size_t(i)].real()));
        EXPECT_NEAR(inphase, z[size_t(i)].imag(), 1e-8 * std::fabs(z[size_t(i)].imag()));
    }
    EXPECT_EQ(Lines(r.out), 14u);
    for (const char* bad : {"", "--model", "--model 0.02:1", "--model 0.02,0.1", "--model -1", "--model 1 --height -2",
                            "--model 1 --height x", "--model 1 extra"}) {
        const LurctlResult refused = Lurctl(config, std::string("forward ") + bad);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.out.find("lurctl forward"), std::string::npos) << bad << ": " << refused.out;
    }
}

TEST_F(LurctlTest, InvertWritesOneRowPerStationWithItsLayers)
{
    const std::string survey = SurveyFile();
    const std::string out = dir.File("layers.csv");
    LurctlResult r = Lurctl(config, "invert " + survey + " --profile 1 --layers 20 --noise 0.05,2 --out " + out);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("inverted 20 of 20 stations"), std::string::npos) << r.out;
    const std::string csv = ReadFile(out);
    EXPECT_EQ(csv.substr(0, csv.find('\n')).find("index,profile,station,x_m,y_m,status,chi2,doi_m,bottom_m,top_1_m"), 0u);
    const auto rows = CsvRows(csv);
    ASSERT_EQ(rows.size(), 20u);
    for (size_t k = 0; k < rows.size(); ++k) {
        ASSERT_EQ(rows[k].size(), 9u + 2 * 20) << k;
        EXPECT_EQ(rows[k][1], "1");
        EXPECT_EQ(rows[k][2], std::to_string(19 - k)) << "odd profiles are walked backwards";
        EXPECT_DOUBLE_EQ(std::stod(rows[k][3]), 2.0 * double(19 - k));
        EXPECT_EQ(rows[k][5], "ok");
        EXPECT_EQ(rows[k][9], "0.0000") << "the first layer starts at the surface";
        EXPECT_GT(std::stod(rows[k][9 + 20]), 0.0);
    }
    // A track keeps its positions; a track has no profiles.
    const std::string track = Saved(*testing_support::GroundTrack(Settings(), 12), "track.lur");
    ASSERT_EQ(Lurctl(config, "invert " + track + " --out " + out).status, 0);
    EXPECT_EQ(CsvRows(ReadFile(out)).size(), 12u);
    EXPECT_EQ(ReadFile(out).find("index,latitude,longitude,east_m,north_m,status"), 0u);
    for (const std::string& bad : {"invert " + track + " --profile 0 --out " + out, "invert " + survey,
                                  "invert " + survey + " --layers 12 --out " + out,
                                  "invert " + survey + " --noise 0.1 --out " + out,
                                  "invert " + survey + " --noise 0,0 --out " + out,
                                  "invert " + survey + " --profile 6 --out " + out}) {
        const LurctlResult refused = Lurctl(config, bad);
        EXPECT_EQ(refused.status, 2) << bad << ": " << refused.out;
    }
    EXPECT_EQ(Lurctl(config, "invert " + dir.File("missing.lur") + " --out " + out).status, 1);
}

// Every command the overview lists has its usage, through `help COMMAND` and `COMMAND --help`
// alike, the commands run by lurctl's modules included.
TEST_F(LurctlTest, HelpDocumentsEveryCommand)
{
    const LurctlResult overview = Lurctl(config, "help", "/dev/null");
    ASSERT_EQ(overview.status, 0);
    std::istringstream lines(overview.out.substr(overview.out.find("Commands:\n") + 10));
    std::vector<std::string> commands;
    for (std::string line; std::getline(lines, line) && line.rfind("  ", 0) == 0;)
        commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    EXPECT_EQ(commands.size(), 11u) << overview.out;
    for (const std::string& command : commands) {
        if (command == "help")
            continue;
        const LurctlResult help = Lurctl(config, "help " + command, "/dev/null");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind("Usage:\n  lurctl " + command, 0), 0u) << command << ": " << help.out;
        EXPECT_EQ(Lurctl(config, command + " --help", "/dev/null").out, help.out) << command;
    }
}

// render and the GIS formats of session export run in programs beside lurctl: without them
// those commands say which program is missing and fail, and every other command still runs.
TEST_F(LurctlTest, ACommandWhoseModuleIsMissingSaysSo)
{
    const std::string alone = dir.File("lurctl");
    std::filesystem::copy_file(LURCTL_PATH, alone);
    std::filesystem::permissions(alone, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    const std::string survey = SurveyFile();
    const std::string here = std::filesystem::canonical(dir.path()).string(); // as the process sees itself
    const struct {
        std::string arguments;
        std::string module;
        std::string out;
    } cases[] = {
        {"render " + survey + " --graph map --out '" + dir.File("m.png") + "'", "lurctl-render", dir.File("m.png")},
        {"session export " + survey + " --format tif --out '" + dir.File("m.tif") + "'", "lurctl-export",
         dir.File("m.tif")},
    };
    for (const auto& c : cases) {
        const LurctlResult r = LurctlAt(alone, config, c.arguments);
        EXPECT_EQ(r.status, 1) << c.arguments;
        const std::string command = c.arguments.substr(0, c.arguments.find(' '));
        EXPECT_EQ(r.out, "lurctl " + command + ": cannot start " + here + "/" + c.module +
                             ": No such file or directory (it belongs beside lurctl)\n");
        EXPECT_FALSE(std::filesystem::exists(c.out)) << c.arguments;
        // With the module beside lurctl, the same command runs.
        EXPECT_EQ(Lurctl(config, c.arguments).status, 0) << c.arguments;
        EXPECT_TRUE(std::filesystem::exists(c.out)) << c.arguments;
    }
    const LurctlResult info = LurctlAt(alone, config, "session info " + survey);
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_EQ(info.out, Lurctl(config, "session info " + survey).out);
    const LurctlResult csv = LurctlAt(alone, config, "session export " + survey + " --format csv");
    EXPECT_EQ(csv.status, 0) << csv.out;
    EXPECT_EQ(CsvRows(csv.out).size(), 100u);
}

// session info looks at each reading once as it is read: what it says is what the whole
// data set gives, the track's extent measured from its first positioned reading.
TEST_F(LurctlTest, SessionInfoSummarisesEveryReading)
{
    const std::string survey = Saved(*testing_support::GroundSurvey(Settings(), 6, 5, 2.0f, 2.0f, 17), "survey.lur");
    const LurctlResult surveyInfo = Lurctl(config, "session info " + survey);
    EXPECT_EQ(surveyInfo.status, 0);
    EXPECT_NE(surveyInfo.out.find("work type: map (2)\ngrid: 6 stations x 5 profiles\nsteps: 2 x 2\n"),
              std::string::npos)
        << surveyInfo.out;
    EXPECT_NE(surveyInfo.out.find("records: 30\nmeasured: 17\ntime span: 0 .. 16 ms (0.016 s)\n"), std::string::npos)
        << surveyInfo.out;

    auto track = testing_support::GroundTrack(Settings(), 40);
    track->SetFix(0, GpsFix{});
    track->SetFix(7, GpsFix{});
    const TrackProjection projection(track->FixAt(1));
    double minE = 0, maxE = 0, minN = 0, maxN = 0;
    uint32_t first = UINT32_MAX, last = 0;
    for (size_t k = 0; k < 40; ++k) {
        first = std::min(first, track->Record(k).TimeStamp());
        last = std::max(last, track->Record(k).TimeStamp());
        if (k == 0 || k == 7)
            continue;
        double east = 0, north = 0;
        projection.Project(track->FixAt(k), east, north);
        minE = std::min(minE, east), maxE = std::max(maxE, east);
        minN = std::min(minN, north), maxN = std::max(maxN, north);
    }
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "records: 40\nmeasured: 40\ntime span: %u .. %u ms (%.3f s)\nextent: %.1f m east-west x %.1f m "
                  "north-south\n",
                  first, last, (last - first) / 1000.0, maxE - minE, maxN - minN);
    const LurctlResult trackInfo = Lurctl(config, "session info " + Saved(*track, "track.lur"));
    EXPECT_EQ(trackInfo.status, 0);
    EXPECT_NE(trackInfo.out.find(expected), std::string::npos) << expected << trackInfo.out;
    EXPECT_GT(maxE - minE, 1.0) << "the track spreads east-west";
}
