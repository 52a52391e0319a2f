#include <gtest/gtest.h>

#include "Commands.h"
#include "gps/NmeaTestSentences.h"
#include "support/TempDir.h"

namespace {

std::string RunCommand(const std::vector<std::string>& args, int& status)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    status = RunGps(args);
    testing::internal::GetCapturedStderr();
    return testing::internal::GetCapturedStdout();
}

TEST(CmdGps, OneLinePerChunkThatCompletedAnRmcAndPortReadsAFile)
{
    testing_support::TempDir dir;
    const std::string file = dir.File("two.nmea");
    testing_support::WriteFile(file, kRmc + kGga + kRmc);
    int status = -1;
    const std::string whole = RunCommand({"--replay", file}, status);
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 1);
    const std::string bytewise = RunCommand({"--replay", file, "--chunk", "1"}, status);
    ASSERT_EQ(std::count(bytewise.begin(), bytewise.end(), '\n'), 2);
    EXPECT_EQ(bytewise.rfind("{\"sentenceCount\":1,", 0), 0u);
    const std::string port = RunCommand({"--port", file, "--seconds", "5"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(port.find("\"rmcCount\":2,"), std::string::npos);
}

TEST(CmdGps, BadArgumentsAndFiles)
{
    int status = -1;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--replay"}, {"--replay", "a", "--port", "b"}, {"--replay", "a", "--chunk", "0"},
          {"--port", "/dev/null", "--baud", "1234"}, {"--bogus", "1"}}) {
        EXPECT_EQ(RunCommand(args, status), "");
        EXPECT_NE(status, 0);
    }
    RunCommand({"--replay", "/nonexistent/file.log"}, status);
    EXPECT_EQ(status, 1);
}

} // namespace
