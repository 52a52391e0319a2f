#include <gtest/gtest.h>

#include "Commands.h"
#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

// Provided by lurctl's main in the program.
int UsageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "lurctl %s: %s\n", command.c_str(), message.c_str());
    return 2;
}

namespace {

class CmdSessionTest : public testing_support::SettingsTest {
protected:
    int Run(const std::vector<std::string>& args)
    {
        testing::internal::CaptureStdout();
        const int status = RunSession(args);
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    // A 3 × 2 map with stations (0,0), (0,2), (1,2) and (1,0) measured, only channels 0 and 2.
    std::string MapFile()
    {
        Settings().workType = kWorkMap;
        Settings().xSize = 3;
        Settings().ySize = 2;
        SurveyDataSet d(Settings());
        for (uint32_t index : {0u, 2u, 3u, 5u}) {
            MeasurementRecord r;
            testing_support::PutChannel(r, 0, 128 * int32_t(index + 1), 0, 1, 0);
            testing_support::PutChannel(r, 2, -128, 0, 1, 0);
            r.bytes[175] = 4;
            r.SetTimeStamp(5000 + index);
            d.StoreRecord(index, r);
        }
        EXPECT_TRUE(SaveSession(d, dir.File("map.lur")).ok);
        return dir.File("map.lur");
    }
    std::string out;
};

} // namespace

TEST_F(CmdSessionTest, ExportAndInfoOfAMap)
{
    const std::string path = MapFile();
    const CalibrationSet& c = BuiltInCalibrationSet();
    ASSERT_EQ(Run({"export", path, "--format", "csv", "--units", "adc", "--component", "quadrature"}), 0);
    char header[128];
    std::snprintf(header, sizeof header, "index,profile,station,time_ms,serial,%.6g kHz,%.6g kHz", c.F[0], c.F[2]);
    // Stations in walking order, only the frequencies used.
    EXPECT_EQ(out, std::string(header) + "\n0,0,0,5000,4,1,-1\n2,0,2,5002,4,3,-1\n3,1,2,5003,4,4,-1\n5,1,0,5005,4,6,-1\n");

    Settings().workType = kWorkProfile;
    ASSERT_EQ(Run({"info", path}), 0);
    for (const char* line : {"work type: map (2)", "grid: 3 stations x 2 profiles", "records: 6\nmeasured: 4",
                             "time span: 5000 .. 5005 ms"})
        EXPECT_NE(out.find(line), std::string::npos) << out;
    EXPECT_EQ(Settings().workType, kWorkProfile) << "info changes no settings";
}

TEST_F(CmdSessionTest, TrackInfoGivesTheExtent)
{
    TrackDataSet d(Settings());
    ScriptedSource source;
    for (int i = 0; i < 3; ++i)
        d.Measure(source);
    d.SetFix(0, {0.0, 10.0, d.FixAt(0).tick});
    d.SetFix(1, {0.001, 10.0, d.FixAt(1).tick}); // 111.2 m north; reading 2 has no position
    ASSERT_TRUE(SaveSession(d, dir.File("track.lur")).ok);
    ASSERT_EQ(Run({"info", dir.File("track.lur")}), 0);
    EXPECT_NE(out.find("extent: 0.0 m east-west x 111.2 m north-south"), std::string::npos) << out;
}

TEST_F(CmdSessionTest, BadInputIsReported)
{
    const std::string path = MapFile();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"export", path, "--format", "xml"}), 2);
    EXPECT_EQ(Run({"export", path, "--units", "volts"}), 2);
    EXPECT_EQ(Run({"export", path, "--resistivity", "--conductivity"}), 2);
    EXPECT_EQ(Run({"info"}), 2);
    testing_support::WriteFile(dir.File("short.lur"), "LUR");
    EXPECT_EQ(Run({"info", dir.File("short.lur")}), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("not a session file"), std::string::npos) << errors;
}
