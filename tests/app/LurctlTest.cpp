#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Lurctl.h"
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
