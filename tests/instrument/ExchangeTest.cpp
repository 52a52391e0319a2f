// The command exchange over a fake port on a manual clock: assembly, stamps, the 40 000 ms
// limit, and what a reply does to records and calibration. Not-connected, stale input and
// whole-reply assembly are checked for any input by fuzz_instrument_reply.
#include <gtest/gtest.h>

#include "instrument/InstrumentRig.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Exchange : public ::testing::Test {
protected:
    void SetUp() override { rig.ConnectPort(); }
    bool Read(std::vector<FakeTransport::Piece> reply)
    {
        rig.transport->QueueReply(std::move(reply));
        return rig.instrument.RequestReading(record, true);
    }
    InstrumentRig rig;
    MeasurementRecord record{};
};

TEST_F(Exchange, StampIsTheMidpointOfWriteAndFirstPieceAndWraps)
{
    const Bytes reply = ReadingReply(0x01, 0x20, 9);
    ASSERT_TRUE(Read({{300, Slice(reply, 0, 10)}, {50, Slice(reply, 10, 100)}, {50, Slice(reply, 100, 176)}}));
    EXPECT_EQ(Bytes(record.bytes.begin(), record.bytes.begin() + 176), reply);
    EXPECT_EQ(record.TimeStamp(), 1150u);
    rig.clock.Set(0xFFFFFF00);
    ASSERT_TRUE(Read({{0x200, reply}}));
    EXPECT_EQ(record.TimeStamp(), 0xFFFFFF00u + 0x100u);
}

TEST_F(Exchange, ReadsAskForTheMissingBytesWithTheirTimeouts)
{
    const Bytes reply = ReadingReply(0x01, 0x00, 9);
    ASSERT_TRUE(Read({{0, Slice(reply, 0, 100)}, {5000, Slice(reply, 100, 176)}}));
    const auto& waits = rig.transport->readWaits;
    ASSERT_GE(waits.size(), 2u);
    EXPECT_EQ(waits[0].totalMs, 10u * 176 + 1000);
    EXPECT_EQ(waits[1].totalMs, 10u * 76 + 1000);
    EXPECT_EQ(waits[0].intervalMs, 0u);
}

TEST_F(Exchange, LimitIsFortyThousandMsFromTheWrite)
{
    ASSERT_TRUE(Read({{39990, ReadingReply(0x01, 0x00, 9)}}));
    EXPECT_EQ(record.TimeStamp(), 1000u + 39990 / 2);

    // The last byte came at 30 000 ms; the limit still counts from the write.
    rig.clock.Set(1000);
    record.bytes.fill(0xAB);
    EXPECT_FALSE(Read({{30000, Slice(ReadingReply(0x01, 0x00, 9), 0, 175)}}));
    EXPECT_GT(rig.clock.Now() - 1000, 40000u);
    EXPECT_LE(rig.clock.Now() - 1000, 40000u + 10 * 1 + 1000 + 10);
    for (uint8_t b : record.bytes)
        ASSERT_EQ(b, 0xAB); // a partial reply never reaches the record

    rig.clock.Set(1000);
    uint32_t volts = 12345;
    EXPECT_FALSE(rig.instrument.ReadBatteryVoltage(volts));
    EXPECT_EQ(volts, 12345u);
    EXPECT_GT(rig.clock.Now() - 1000, 40000u);
    EXPECT_LT(rig.clock.Now() - 1000, 40000u + 1020 + 10);
}

TEST_F(Exchange, FailedWriteShortWriteOrHangUpEndsAtOnce)
{
    rig.transport->failWrite = true;
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    rig.transport->failWrite = false;
    rig.transport->writeLimit = 8;
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    for (const std::string& e : rig.transport->events)
        EXPECT_NE(e, "read");
    EXPECT_EQ(rig.clock.Now(), 1000u);

    rig.transport->writeLimit = SIZE_MAX;
    rig.transport->hangUpWhenDone = true;
    EXPECT_FALSE(Read({{100, Slice(ReadingReply(0x01, 0x00, 9), 0, 90)}}));
    EXPECT_EQ(rig.clock.Now(), 1100u);
}

TEST_F(Exchange, PresenceBitsDecideSuccess)
{
    // Only bits 6 and 7 of the high presence byte: an empty reply.
    EXPECT_FALSE(Read({{10, ReadingReply(0x00, 0xC0, 7)}}));
    EXPECT_EQ(record.bytes[175], 7); // the record holds the reply anyway
    EXPECT_EQ(record.TimeStamp(), 1005u);
    EXPECT_TRUE(rig.settings.installed.empty()); // an empty record adopts nothing
    EXPECT_EQ(rig.settings.reportedSerial, 0);
    EXPECT_TRUE(Read({{10, ReadingReply(0x00, 0x20, 0)}})); // frequency 13 only
    EXPECT_TRUE(record.ChannelPresent(13));
}

TEST_F(Exchange, SerialNumberAdoption)
{
    auto read = [&](uint8_t serial) { return Read({{10, ReadingReply(0x01, 0x00, serial)}}); };
    rig.settings.key = {3, 2010, 6, 15};
    ASSERT_TRUE(read(0));
    EXPECT_TRUE(rig.settings.installed.empty());
    ASSERT_TRUE(read(7));
    ASSERT_EQ(rig.settings.installed.size(), 1u);
    EXPECT_EQ(rig.settings.installed[0], (CalibrationKey{7, 2010, 6, 15}));
    EXPECT_EQ(rig.settings.reportedSerial, 7);
    ASSERT_TRUE(read(7));
    EXPECT_EQ(rig.settings.installed.size(), 1u);
    // The store may have moved the date to the set it chose; the new serial keeps that date.
    rig.settings.key = {7, 2009, 1, 1};
    ASSERT_TRUE(read(8));
    ASSERT_EQ(rig.settings.installed.size(), 2u);
    EXPECT_EQ(rig.settings.installed[1], (CalibrationKey{8, 2009, 1, 1}));
    EXPECT_EQ(rig.settings.reportedSerial, 8);
}

TEST_F(Exchange, SeriesSpreadsStampsBetweenCommandAndReply)
{
    const Bytes reply = ReadingReply(0xFF, 0x3F, 12);
    std::array<MeasurementRecord, kFrequencyCount> records{};
    rig.transport->QueueReply({{10, Slice(reply, 0, 170)}});
    records[3].bytes.fill(0x42);
    EXPECT_FALSE(rig.instrument.RequestSeries(records));
    EXPECT_EQ(records[3].bytes[0], 0x42); // a failed series leaves the records alone
    EXPECT_EQ(records[0].bytes[168], 0);

    rig.clock.Set(1000);
    rig.transport->QueueReply({{1300, reply}});
    ASSERT_TRUE(rig.instrument.RequestSeries(records));
    for (size_t k = 0; k < records.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(records[k].TimeStamp(), 1000u + 100 * k);
        EXPECT_EQ(Bytes(records[k].bytes.begin(), records[k].bytes.begin() + 12), Slice(reply, 12 * k, 12 * k + 12));
        for (size_t b = 12; b < 176; ++b)
            ASSERT_EQ(records[k].bytes[b], b == 168 ? 0x01 : 0); // serial number included
    }
    EXPECT_TRUE(rig.settings.installed.empty());

    rig.transport->QueueReply({{20, reply}});
    ASSERT_TRUE(rig.instrument.RequestSeries(records));
    const uint32_t t0 = rig.clock.Now() - 20;
    for (uint32_t k = 0; k < kFrequencyCount; ++k)
        EXPECT_EQ(records[k].TimeStamp(), t0 + 20 * k / 13);
}

TEST_F(Exchange, BatteryVoltage)
{
    uint32_t volts = 0;
    rig.transport->QueueReply({{30, {0x01}}, {30, {0x9A}}});
    ASSERT_TRUE(rig.instrument.ReadBatteryVoltage(volts));
    EXPECT_EQ(volts, 410u);
    rig.transport->QueueReply({{0, {0xFF, 0xFF}}});
    ASSERT_TRUE(rig.instrument.ReadBatteryVoltage(volts));
    EXPECT_EQ(volts, 65535u);
}

} // namespace
