// The instrument's GPS reader on a real pseudo-terminal and a real thread: every disconnect
// joins the reader, so a reconnect is never closed behind its back by the reader before.
#include <gtest/gtest.h>
#include <unistd.h>

#include "gps/GpsTestDoubles.h"
#include "gps/NmeaTestSentences.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/InstrumentRig.h"
#include "instrument/PortMap.h"
#include "sim/PseudoTerminal.h"

namespace {

constexpr WindowId kPage = 3;

class GpsReconnect : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Create());
        PortMap::Instance().SetOverride(settings.gpsPort, pty.SlavePath());
        instrument.SetUseGps(true);
        // A reading asked for makes the page the listener of every later fix.
        positions.RequestPosition({kPage, 0, 0});
    }
    void TearDown() override { PortMap::Instance().ClearOverrides(); }

    // One fix written by the receiver; true once the reader has delivered it.
    bool FixArrives(int minute)
    {
        const std::string rmc = Sentence("GPRMC,1200" + std::to_string(10 + minute) +
                                         ",A,5000.000,N,03000.000,E,0,0,010124,,");
        const size_t before = poster.Copy().size();
        if (::write(pty.MasterFd(), rmc.data(), rmc.size()) != static_cast<ssize_t>(rmc.size()))
            return false;
        return poster.WaitFor(before + 1);
    }

    PseudoTerminal pty;
    platform::ManualClock clock{1000};
    testing_support::RecordingPoster poster;
    CNmeaParser parser;
    CGpsPositionService positions{poster};
    GpsClockOffset clockOffset;
    testing_support::RecordingPrompter prompter;
    GpsReaderControl reader{parser, positions, clockOffset, prompter};
    FakeInstrumentSettings settings;
    FakeBluetoothStack::Shared radio;
    CSerialPort port{std::make_unique<FakeTransport>(clock)};
    CSerialPort gpsPort; // the real device
    CInstrument instrument{InstrumentLinks{
        port, gpsPort, settings, std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)),
        clock, &reader}};
};

TEST_F(GpsReconnect, EachConnectReadsTheNewPortAndEachDisconnectJoinsTheReader)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(instrument.Connect());
        EXPECT_FALSE(instrument.GpsReaderStartFailed());
        EXPECT_TRUE(reader.Running());
        ASSERT_TRUE(FixArrives(round));
        ASSERT_TRUE(instrument.Disconnect());
        EXPECT_FALSE(reader.Running()); // joined, not just asked
        EXPECT_FALSE(gpsPort.IsOpen());
    }
    // Connecting again while the reader runs replaces it; the port the new one reads stays open.
    ASSERT_TRUE(instrument.Connect());
    ASSERT_TRUE(FixArrives(3));
    port.Close(); // the instrument's line dropped: the next start action connects again
    ASSERT_TRUE(instrument.Connect());
    ASSERT_TRUE(FixArrives(4));
    ASSERT_TRUE(FixArrives(5));
    EXPECT_TRUE(gpsPort.IsOpen());
    EXPECT_TRUE(reader.Running());
    EXPECT_TRUE(prompter.asked.empty()); // a stop is no read error
}

} // namespace
