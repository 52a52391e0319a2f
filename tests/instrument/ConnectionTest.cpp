// Connecting the instrument and GPS ports and the radio left as found (the GPS reader on a
// real port: GpsReconnectTest).
#include <gtest/gtest.h>

#include "instrument/InstrumentRig.h"
#include "instrument/PortMap.h"

namespace {

class Connection : public ::testing::Test {
protected:
    void SetUp() override { PortMap::Instance().ClearOverrides(); }
    void TearDown() override { PortMap::Instance().ClearOverrides(); }
    InstrumentRig rig;
};

TEST_F(Connection, InstrumentPortAlone)
{
    rig.transport->failOpen = true;
    EXPECT_FALSE(rig.instrument.Connect());
    EXPECT_FALSE(rig.instrument.IsConnected());
    rig.transport->failOpen = false;
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.IsConnected());
    EXPECT_EQ(rig.transport->device, "/dev/rfcomm5");
    EXPECT_EQ(rig.transport->line.baud, 9600u);
    EXPECT_EQ(rig.transport->line.dataBits, 8);
    EXPECT_FALSE(rig.transport->line.parity);
    EXPECT_EQ(rig.transport->line.stopBits, 1);
    EXPECT_FALSE(rig.gpsTransport->IsOpen());
    PortMap::Instance().SetOverride(5, "/tmp/simulated-instrument");
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.transport->device, "/tmp/simulated-instrument");
}

TEST_F(Connection, WithGpsBothPortsMustOpen)
{
    EXPECT_FALSE(rig.instrument.SetUseGps(true));
    rig.gpsTransport->failOpen = true;
    EXPECT_FALSE(rig.instrument.Connect());
    EXPECT_TRUE(rig.port.IsOpen()); // left open
    EXPECT_FALSE(rig.instrument.IsConnected());
    MeasurementRecord record{};
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    EXPECT_TRUE(rig.transport->writes.empty());

    rig.gpsTransport->failOpen = false; // the next start action reopens both
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.transport->opens, 2);
    EXPECT_TRUE(rig.instrument.IsConnected());
    EXPECT_EQ(rig.gpsTransport->device, "/dev/rfcomm8");
    EXPECT_EQ(rig.gpsTransport->line.baud, 4800u);
    EXPECT_TRUE(rig.instrument.GpsReaderStartFailed()); // no reader: the port stays open, and says so
    EXPECT_TRUE(rig.gpsPort.IsOpen());

    // A burst of sentences is read when the line goes quiet, not when 256 bytes have gathered.
    uint8_t buffer[256];
    size_t got = 0;
    rig.gpsPort.Read(buffer, sizeof buffer, got);
    ASSERT_EQ(rig.gpsTransport->readWaits.size(), 1u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].intervalMs, 20u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].totalMs, 500u);

    EXPECT_TRUE(rig.instrument.SetUseGps(false));
    EXPECT_FALSE(rig.gpsPort.IsOpen());
    EXPECT_TRUE(rig.instrument.IsConnected()); // instrument port alone suffices now
    rig.instrument.SetUseGps(true);
    ASSERT_TRUE(rig.instrument.Connect());
    EXPECT_TRUE(rig.instrument.Disconnect());
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.gpsPort.IsOpen());
}

// Switched on at creation when it was off, off again at destruction, which closes the ports.
TEST(InstrumentRadio, LeftAsItWasFound)
{
    InstrumentRig rig;
    for (uint32_t initial : {0u, 1u}) {
        FakeBluetoothStack::Shared radio;
        radio.platformMode = initial;
        {
            CInstrument instrument(InstrumentLinks{
                rig.port, rig.gpsPort, rig.settings,
                std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)), rig.clock, nullptr});
            EXPECT_EQ(instrument.RadioWasOn(), initial == 1);
            EXPECT_EQ(radio.platformMode, 1u);
            instrument.SetUseGps(true);
            instrument.Connect();
            EXPECT_TRUE(rig.port.IsOpen());
        }
        EXPECT_EQ(radio.platformMode, initial);
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_FALSE(rig.gpsPort.IsOpen());
    }
}

} // namespace
