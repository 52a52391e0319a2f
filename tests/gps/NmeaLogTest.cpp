// Recorded and generated NMEA logs replayed through the parser in 256-byte chunks; each
// log's decoded output must match its .chk file. LUR_REGENERATE_CHK=1 rewrites the .chk
// files instead; review their diff before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gps/GpsDataJson.h"
#include "gps/NmeaReplay.h"

namespace {

namespace fs = std::filesystem;

TEST(NmeaLog, EachRecordingDecodesAsItsChecksFile)
{
    const char* regen = std::getenv("LUR_REGENERATE_CHK");
    int logs = 0;
    for (const auto& entry : fs::directory_iterator(LUR_GPS_DATA_DIR)) {
        if (entry.path().extension() != ".log") continue;
        ++logs;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string decoded;
        EXPECT_TRUE(ReplayNmea(in, 256, [&](const GpsData& d) { decoded += GpsDataToJson(d) + "\n"; }));
        const fs::path chk = fs::path(entry.path()).replace_extension(".chk");
        if (regen && std::string(regen) == "1") {
            std::ofstream(chk, std::ios::binary) << decoded;
            continue;
        }
        std::ifstream expected(chk, std::ios::binary);
        ASSERT_TRUE(expected) << "missing " << chk;
        std::stringstream text;
        text << expected.rdbuf();
        EXPECT_EQ(decoded, text.str()) << entry.path();
    }
    EXPECT_GE(logs, 4);
}

} // namespace
