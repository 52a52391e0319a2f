// The instrument object over a real pseudo-terminal against the simulator. Replies in pieces,
// stale input and hang-ups are pinned on the fake port (ExchangeTest) and on the real port
// (SerialPortTest); the series and battery replies in SimulatedInstrumentTest and LursimTest.
#include <gtest/gtest.h>

#include "instrument/PortMap.h"
#include "instrument/InstrumentRig.h"
#include "sim/InstrumentSimulator.h"

namespace {

// An instrument object on real ports and the real clock.
struct PtyRig {
    explicit PtyRig(const std::string& device)
    {
        PortMap::Instance().SetOverride(settings.instrumentPort, device);
        radio.platformMode = 1;
    }
    ~PtyRig() { PortMap::Instance().ClearOverrides(); }

    FakeInstrumentSettings settings;
    FakeBluetoothStack::Shared radio;
    CSerialPort port, gpsPort;
    CInstrument instrument{InstrumentLinks{port, gpsPort, settings,
                                           std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)),
                                           platform::SystemTicks(), nullptr}};
};

class AgainstSimulator : public ::testing::Test {
protected:
    void Start(InstrumentOptions options = {})
    {
        rig_.reset(); // its port map entry goes before the next one is set
        options_ = options;
        simulator_ = std::make_unique<InstrumentSimulator>(options, BuiltInCalibrationSet());
        ASSERT_TRUE(simulator_->Start());
        rig_ = std::make_unique<PtyRig>(simulator_->DevicePath());
        ASSERT_TRUE(rig_->instrument.Connect());
    }

    InstrumentOptions options_;
    std::unique_ptr<InstrumentSimulator> simulator_;
    std::unique_ptr<PtyRig> rig_;
};

TEST_F(AgainstSimulator, ReadingCarriesTheMaskSerialAndGroundValues)
{
    Start();
    rig_->settings.mask = 0x2005;
    MeasurementRecord record{};
    ASSERT_TRUE(rig_->instrument.RequestReading(record, true));
    EXPECT_EQ(record.bytes[168], 0x05);
    EXPECT_EQ(record.bytes[169], 0x20);
    EXPECT_EQ(record.SerialNumber(), 9);
    const CalibrationSet& calibration = BuiltInCalibrationSet();
    for (int i : {0, 2, 13}) {
        double sigma = options_.ground.ApparentConductivity(calibration, i, 0.0, 0.0);
        ChannelValues expected = SimulatedChannel(calibration, i, sigma);
        for (int v = 0; v < 4; ++v)
            EXPECT_EQ(record.Raw(i, v), expected[static_cast<size_t>(v)]) << i << "," << v;
    }
    for (int i : {1, 3, 12})
        EXPECT_EQ(record.Raw(i, 0), 0); // not measured
    EXPECT_EQ(rig_->settings.reportedSerial, 9);
}

TEST_F(AgainstSimulator, FaultsReachTheRecordsAndCalibration)
{
    InstrumentOptions options;
    options.faults.serialChangeAfter = 2;
    options.faults.changedSerial = 17;
    Start(options);
    MeasurementRecord record{};
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(rig_->instrument.RequestReading(record, true));
    ASSERT_EQ(rig_->settings.installed.size(), 2u);
    EXPECT_EQ(rig_->settings.installed[0].serial, 9);
    EXPECT_EQ(rig_->settings.installed[1].serial, 17);

    options = {};
    options.faults.emptyReply = true;
    Start(options);
    EXPECT_FALSE(rig_->instrument.RequestReading(record, true));
    EXPECT_TRUE(record.Empty());
    EXPECT_EQ(record.bytes[175], 9);
    EXPECT_TRUE(rig_->settings.installed.empty());

    options = {};
    options.faults.garbageBeforeReply = 4;
    Start(options);
    rig_->settings.mask = 0x0001;
    rig_->instrument.RequestReading(record, true);
    // Four bytes of noise, then the reply without its last four: its presence byte at 172.
    EXPECT_EQ(record.bytes[172], 0x01);
    // The four bytes left over are purged before the next command.
    uint32_t volts = 0;
    ASSERT_TRUE(rig_->instrument.ReadBatteryVoltage(volts));
}

} // namespace
