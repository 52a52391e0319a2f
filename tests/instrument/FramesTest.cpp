// Every byte the program puts on the wire, pinned from the command table.
#include <gtest/gtest.h>

#include "instrument/InstrumentFrames.h"
#include "instrument/InstrumentRig.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Frames, MaskFollowsUsedFrequencyFlags)
{
    std::array<int32_t, kFrequencyCount> flags{};
    EXPECT_EQ(frames::FrequencyMask(flags), 0x0000);
    flags[0] = flags[2] = flags[13] = 1;
    EXPECT_EQ(frames::FrequencyMask(flags), 0x2005);
    flags.fill(1);
    EXPECT_EQ(frames::FrequencyMask(flags), 0x3FFF); // bits 14 and 15 never set
    flags.fill(0);
    flags[5] = -7; // any non-zero value counts as on
    EXPECT_EQ(frames::FrequencyMask(flags), 0x0020);
}

// What the instrument object writes, one frame per operation and nothing else.
TEST(Frames, OperationsWriteExactlyTheirFrame)
{
    InstrumentRig rig;
    rig.ConnectPort();
    rig.settings.mask = 0x2005;
    MeasurementRecord record{};
    rig.instrument.RequestReading(record, true);
    rig.instrument.RequestReading(record);
    rig.settings.mask = 0x0000;
    rig.instrument.RequestReading(record, true);
    std::array<MeasurementRecord, kFrequencyCount> series{};
    rig.instrument.RequestSeries(series);
    uint32_t volts = 0;
    rig.instrument.ReadBatteryVoltage(volts);

    ASSERT_EQ(rig.transport->writes.size(), 5u);
    EXPECT_EQ(rig.transport->writes[0], (Bytes{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x20, 0x05, 0x03}));
    EXPECT_EQ(rig.transport->writes[1], (Bytes{0x02, 0xF1, 0x03, 0x02, 0x00, 0xF6, 0x20, 0x05, 0x03}));
    EXPECT_EQ(rig.transport->writes[2], (Bytes{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x00, 0x00, 0x03}));
    // The series header is 0xF5, not the sum 0xFD.
    EXPECT_EQ(rig.transport->writes[3], (Bytes{0x02, 0xF1, 0x0A, 0x02, 0x00, 0xF5, 0xFF, 0xFF, 0x03}));
    EXPECT_EQ(rig.transport->writes[4], (Bytes{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03}));
}

} // namespace
