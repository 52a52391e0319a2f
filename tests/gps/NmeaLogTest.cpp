// Recorded and generated NMEA logs replayed through the parser in 256-byte chunks; each
// log's decoded output must match its .chk file. LUR_REGENERATE_CHK=1 rewrites the .chk
// files instead; review their diff before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gps/GpsDataJson.h"
#include "gps/NmeaReplay.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Logs()
{
    std::vector<std::string> logs;
    for (const auto& entry : fs::directory_iterator(LUR_GPS_DATA_DIR))
        if (entry.path().extension() == ".log") logs.push_back(entry.path().string());
    std::sort(logs.begin(), logs.end());
    return logs;
}

std::string Decoded(const std::string& log)
{
    std::ifstream in(log, std::ios::binary);
    std::string out;
    EXPECT_TRUE(ReplayNmea(in, 256, [&](const GpsData& d) { out += GpsDataToJson(d) + "\n"; }));
    return out;
}

class NmeaLog : public testing::TestWithParam<std::string> {};

TEST_P(NmeaLog, DecodesAsRecorded)
{
    const std::string log = GetParam();
    const std::string chk = fs::path(log).replace_extension(".chk").string();
    const std::string decoded = Decoded(log);
    if (const char* regen = std::getenv("LUR_REGENERATE_CHK"); regen && std::string(regen) == "1") {
        std::ofstream(chk, std::ios::binary) << decoded;
        GTEST_SKIP() << "rewrote " << chk;
    }
    std::ifstream in(chk, std::ios::binary);
    ASSERT_TRUE(in) << "missing " << chk;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(decoded, expected.str());
}

INSTANTIATE_TEST_SUITE_P(Recordings, NmeaLog, testing::ValuesIn(Logs()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::path(info.param).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(NmeaLogSet, HasTheRecordings)
{
    EXPECT_GE(Logs().size(), 4u);
}

} // namespace
