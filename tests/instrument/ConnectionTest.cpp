// Connecting the instrument and GPS ports and the radio left as found (the GPS reader on a
// real port: GpsReconnectTest).
#include <gtest/gtest.h>

#include "instrument/InstrumentRig.h"
#include "instrument/PortMap.h"

namespace {

class Connection : public ::testing::Test {
protected:
    void SetUp() override { PortMap::Instance().ClearOverrides(); }

    InstrumentRig rig;
};

TEST_F(Connection, ConnectOpensTheInstrumentPortAt9600)
{
    EXPECT_FALSE(rig.instrument.IsConnected());
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.IsConnected());
    EXPECT_EQ(rig.transport->device, "/dev/rfcomm5");
    EXPECT_EQ(rig.transport->line.baud, 9600u);
    EXPECT_EQ(rig.transport->line.dataBits, 8);
    EXPECT_FALSE(rig.transport->line.parity);
    EXPECT_EQ(rig.transport->line.stopBits, 1);
    EXPECT_FALSE(rig.gpsTransport->IsOpen());
}

TEST_F(Connection, FailedOpenIsReported)
{
    rig.transport->failOpen = true;
    EXPECT_FALSE(rig.instrument.Connect());
    EXPECT_FALSE(rig.instrument.IsConnected());
}

TEST_F(Connection, WithGpsBothPortsOpen)
{
    rig.instrument.SetUseGps(true);
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.gpsTransport->device, "/dev/rfcomm8");
    EXPECT_EQ(rig.gpsTransport->line.baud, 4800u);
    EXPECT_TRUE(rig.instrument.IsConnected());

    // A burst of sentences is read when the line goes quiet, not when 256 bytes have gathered.
    uint8_t buffer[256];
    size_t got = 0;
    rig.gpsPort.Read(buffer, sizeof buffer, got);
    ASSERT_EQ(rig.gpsTransport->readWaits.size(), 1u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].intervalMs, 20u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].totalMs, 500u);
}

TEST_F(Connection, WithGpsOnlyTheInstrumentPortOpenIsNotConnected)
{
    rig.instrument.SetUseGps(true);
    rig.gpsTransport->failOpen = true;
    EXPECT_FALSE(rig.instrument.Connect());
    EXPECT_TRUE(rig.port.IsOpen()); // left open
    EXPECT_FALSE(rig.instrument.IsConnected());
    MeasurementRecord record{};
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    EXPECT_TRUE(rig.transport->writes.empty());
    // The next start action connects again and reopens both.
    rig.gpsTransport->failOpen = false;
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.transport->opens, 2);
    EXPECT_TRUE(rig.instrument.IsConnected());
}

TEST_F(Connection, WithoutAReaderTheGpsPortStaysOpenAndSaysSo)
{
    rig.instrument.SetUseGps(true);
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.GpsReaderStartFailed());
    EXPECT_TRUE(rig.gpsPort.IsOpen());
}

TEST_F(Connection, TrayTitleAsksForTheGpsDeviceWhileThePortOpens)
{
    rig.radio.trayExists = true;
    rig.radio.stackMode = 1;
    rig.radio.trayTitle = "My tray";
    EXPECT_TRUE(rig.instrument.ConnectGps());
    ASSERT_EQ(rig.radio.titles.size(), 2u);
    EXPECT_EQ(rig.radio.titles[0], "Выберите устройство GPS");
    EXPECT_EQ(rig.radio.titles[1], "My tray");
}

TEST_F(Connection, DisconnectClosesBothPorts)
{
    rig.instrument.SetUseGps(true);
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.Disconnect());
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.gpsPort.IsOpen());
}

TEST_F(Connection, ClearingTheGpsFlagClosesTheGpsPort)
{
    EXPECT_FALSE(rig.instrument.SetUseGps(true));
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.SetUseGps(false));
    EXPECT_FALSE(rig.gpsPort.IsOpen());
    EXPECT_TRUE(rig.instrument.IsConnected()); // instrument port alone suffices now
}

TEST_F(Connection, PortMapOverrideRedirectsThePort)
{
    PortMap::Instance().SetOverride(5, "/tmp/simulated-instrument");
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.transport->device, "/tmp/simulated-instrument");
    PortMap::Instance().ClearOverrides();
}

// The radio: switched on at creation when it was off, and off again at destruction.
TEST(InstrumentRadio, LeftAsItWasFound)
{
    platform::ManualClock clock;
    FakeInstrumentSettings settings;
    CSerialPort port{std::make_unique<FakeTransport>(clock)}, gps{std::make_unique<FakeTransport>(clock)};
    for (uint32_t initial : {0u, 1u}) {
        FakeBluetoothStack::Shared radio;
        radio.platformMode = initial;
        {
            CInstrument instrument(InstrumentLinks{
                port, gps, settings, std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)),
                clock, nullptr});
            EXPECT_EQ(instrument.RadioWasOn(), initial == 1);
            EXPECT_EQ(radio.platformMode, 1u);
        }
        EXPECT_EQ(radio.platformMode, initial);
    }
}

TEST(InstrumentRadio, DestructionClosesThePorts)
{
    InstrumentRig rig;
    {
        platform::ManualClock clock;
        CInstrument instrument(InstrumentLinks{
            rig.port, rig.gpsPort, rig.settings,
            std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(rig.radio)), clock, nullptr});
        instrument.SetUseGps(true);
        instrument.Connect();
        EXPECT_TRUE(rig.port.IsOpen());
    }
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.gpsPort.IsOpen());
}

} // namespace
