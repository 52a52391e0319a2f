#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

#include "platform/CodePage.h"
#include "survey/CalibrationStore.h"
#include "support/TempDir.h"

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
