#include <gtest/gtest.h>

#include <sstream>

#include "Commands.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// Provided by lurctl's main in the program.
int UsageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "lurctl %s: %s\n", command.c_str(), message.c_str());
    return 2;
}

namespace {

class CmdSessionTest : public testing_support::SettingsTest {
protected:
    int Run(const std::vector<std::string>& args, std::string& out)
    {
        CaptureStdout();
        const int status = RunSession(args);
        out = GetCapturedStdout();
        return status;
    }
    std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
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
        const std::string path = dir.File("map.lur");
        EXPECT_TRUE(SaveSession(d, path).ok);
        return path;
    }
};

} // namespace

TEST_F(CmdSessionTest, ExportNamesStationsInWalkingOrderAndUsedFrequencies)
{
    const std::string path = MapFile();
    const CalibrationSet& c = BuiltInCalibrationSet();
    std::string out;
    ASSERT_EQ(Run({"export", path, "--format", "csv", "--units", "adc", "--component", "quadrature"}, out), 0);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 5u);
    char header[128];
    std::snprintf(header, sizeof header, "index,profile,station,time_ms,serial,%.6g kHz,%.6g kHz", c.F[0], c.F[2]);
    EXPECT_EQ(lines[0], header);
    EXPECT_EQ(lines[1], "0,0,0,5000,4,1,-1");
    EXPECT_EQ(lines[2], "2,0,2,5002,4,3,-1");
    EXPECT_EQ(lines[3], "3,1,2,5003,4,4,-1");
    EXPECT_EQ(lines[4], "5,1,0,5005,4,6,-1");
}

TEST_F(CmdSessionTest, InfoSummarisesWithoutChangingSettings)
{
    const std::string path = MapFile();
    Settings().workType = kWorkProfile;
    std::string out;
    ASSERT_EQ(Run({"info", path}, out), 0);
    EXPECT_NE(out.find("work type: map (2)"), std::string::npos) << out;
    EXPECT_NE(out.find("grid: 3 stations x 2 profiles"), std::string::npos);
    EXPECT_NE(out.find("records: 6\nmeasured: 4"), std::string::npos);
    EXPECT_NE(out.find("time span: 5000 .. 5005 ms"), std::string::npos);
    EXPECT_EQ(Settings().workType, kWorkProfile);
}

TEST_F(CmdSessionTest, TrackInfoGivesTheExtent)
{
    TrackDataSet d(Settings());
    ScriptedSource source;
    for (int i = 0; i < 3; ++i)
        d.Measure(source);
    d.SetFix(0, {0.0, 10.0, d.FixAt(0).tick});
    d.SetFix(1, {0.001, 10.0, d.FixAt(1).tick}); // 111.2 m north; reading 2 has no position
    const std::string path = dir.File("track.lur");
    ASSERT_TRUE(SaveSession(d, path).ok);
    std::string out;
    ASSERT_EQ(Run({"info", path}, out), 0);
    EXPECT_NE(out.find("extent: 0.0 m east-west x 111.2 m north-south"), std::string::npos) << out;
}

TEST_F(CmdSessionTest, BadInputIsReported)
{
    const std::string path = MapFile();
    std::string out;
    CaptureStderr();
    EXPECT_EQ(Run({"export", path, "--format", "xml"}, out), 2);
    EXPECT_EQ(Run({"export", path, "--units", "volts"}, out), 2);
    EXPECT_EQ(Run({"export", path, "--resistivity", "--conductivity"}, out), 2);
    EXPECT_EQ(Run({"info"}, out), 2);
    testing_support::WriteFile(dir.File("short.lur"), "LUR");
    EXPECT_EQ(Run({"info", dir.File("short.lur")}, out), 1);
    const std::string errors = GetCapturedStderr();
    EXPECT_NE(errors.find("not a session file"), std::string::npos) << errors;
}
