// The lursim program: announces its device, links it, answers on it, ends cleanly on signals.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <unistd.h>

#include "instrument/CSerialPort.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

std::unique_ptr<testing_support::ChildProcess> Launch(std::vector<std::string> args)
{
    args.insert(args.begin(), LURSIM_PATH);
    return std::make_unique<testing_support::ChildProcess>(std::move(args));
}

uint32_t BatteryThrough(const std::string& device)
{
    CSerialPort port;
    EXPECT_TRUE(port.Open(device, nullptr, nullptr, 9600));
    const uint8_t battery[] = {0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};
    size_t n = 0;
    EXPECT_TRUE(port.Write(battery, sizeof battery, n));
    uint8_t reply[2] = {};
    EXPECT_TRUE(port.Read(reply, 2, n));
    EXPECT_EQ(n, 2u);
    return reply[0] * 256u + reply[1];
}

// Instrument mode alone is driven end to end by FaultInjectionTest.
TEST(Lursim, BothModeServesTheInstrumentSendsNmeaAndEndsCleanlyOnSignals)
{
    for (int signal : {SIGTERM, SIGINT}) {
        testing_support::TempDir dir;
        auto child = Launch({"both", "--link", dir.path(), "--rate", "10", "--time-factor", "10", "--gn", "--serial",
                             "7", "--battery", "377"});
        ASSERT_TRUE(child->Started());
        std::string line = child->ReadLine();
        EXPECT_EQ(line.rfind("instrument /dev/", 0), 0u) << line;
        line = child->ReadLine();
        EXPECT_EQ(line.rfind("gps /dev/", 0), 0u) << line;

        CSerialPort gps;
        ASSERT_TRUE(gps.Open(dir.File("gps"), nullptr, nullptr, 9600));
        std::string text;
        uint8_t buffer[512];
        // Ten epochs a second: within a few reads a whole sentence has arrived.
        for (int k = 0; k < 20 && text.find("$GNRMC,") == std::string::npos; ++k) {
            size_t n = 0;
            ASSERT_TRUE(gps.Read(buffer, sizeof buffer, n));
            text.append(reinterpret_cast<char*>(buffer), n);
        }
        EXPECT_NE(text.find("$GNRMC,"), std::string::npos);
        EXPECT_EQ(BatteryThrough(dir.File("instrument")), 377u); // through the link

        child->Signal(signal);
        EXPECT_EQ(child->Wait(), 0);
        EXPECT_NE(access(dir.File("instrument").c_str(), F_OK), 0); // links removed
        EXPECT_NE(access(dir.File("gps").c_str(), F_OK), 0);
    }
}

TEST(Lursim, BadOptionsAreUsageErrors)
{
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"instrument", "--serial", "300"}, {"instrument", "--bogus"}, {"radio"}, {"instrument", "--link"},
             {"gps", "--serial", "7"}, {"gps", "--fix-loss", "5:2"}, {"both", "--rate", "0"}}) {
        auto child = Launch(args);
        ASSERT_TRUE(child->Started());
        EXPECT_EQ(child->Wait(), 2) << args.back();
    }
}

} // namespace
