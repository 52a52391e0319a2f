// The instrument object over a fake port on a manual clock: the frames it writes, stamps, the
// 40 000 ms limit, what a reply does to records and calibration, connecting and the radio.
// Stale input, whole-reply assembly, series layout and battery values are checked for any
// input by fuzz_instrument_reply.
#include <gtest/gtest.h>

#include "instrument/InstrumentFrames.h"
#include "instrument/InstrumentRig.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Exchange : public ::testing::Test {
protected:
    void SetUp() override { rig.instrument.Connect(); }
    bool Read(std::vector<FakeTransport::Piece> reply)
    {
        rig.transport->QueueReply(std::move(reply));
        return rig.instrument.RequestReading(record, true);
    }
    InstrumentRig rig;
    MeasurementRecord record{};
};

TEST(Frames, OperationsWriteExactlyTheirFrame)
{
    std::array<int32_t, kFrequencyCount> flags{};
    flags[0] = flags[2] = flags[13] = -7; // any non-zero value counts as on
    EXPECT_EQ(frames::FrequencyMask(flags), 0x2005);
    flags.fill(1);
    EXPECT_EQ(frames::FrequencyMask(flags), 0x3FFF); // bits 14 and 15 never set

    InstrumentRig rig;
    rig.instrument.Connect();
    rig.settings.mask = 0x2005;
    MeasurementRecord record{};
    rig.instrument.RequestReading(record, true);
    rig.instrument.RequestReading(record);
    std::array<MeasurementRecord, kFrequencyCount> series{};
    rig.instrument.RequestSeries(series);
    uint32_t volts = 0;
    rig.instrument.ReadBatteryVoltage(volts);
    ASSERT_EQ(rig.transport->writes.size(), 4u);
    EXPECT_EQ(rig.transport->writes[0], (Bytes{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x20, 0x05, 0x03}));
    EXPECT_EQ(rig.transport->writes[1], (Bytes{0x02, 0xF1, 0x03, 0x02, 0x00, 0xF6, 0x20, 0x05, 0x03}));
    // The series header is 0xF5, not the sum 0xFD.
    EXPECT_EQ(rig.transport->writes[2], (Bytes{0x02, 0xF1, 0x0A, 0x02, 0x00, 0xF5, 0xFF, 0xFF, 0x03}));
    EXPECT_EQ(rig.transport->writes[3], (Bytes{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03}));
}

TEST_F(Exchange, StampIsTheMidpointOfWriteAndFirstPieceAndWraps)
{
    const Bytes reply = ReadingReply(0x01, 0x20, 9);
    ASSERT_TRUE(Read({{300, Slice(reply, 0, 10)}, {50, Slice(reply, 10, 100)}, {50, Slice(reply, 100, 176)}}));
    EXPECT_EQ(Bytes(record.bytes.begin(), record.bytes.begin() + 176), reply);
    EXPECT_EQ(record.TimeStamp(), 1150u);
    // Each read asks for the missing bytes only, with their time-out.
    const auto& waits = rig.transport->readWaits;
    ASSERT_GE(waits.size(), 2u);
    EXPECT_EQ(waits[0].totalMs, 10u * 176 + 1000);
    EXPECT_EQ(waits[1].totalMs, 10u * 166 + 1000);
    EXPECT_EQ(waits[0].intervalMs, 0u);
    rig.clock.Set(0xFFFFFF00);
    ASSERT_TRUE(Read({{0x200, reply}}));
    EXPECT_EQ(record.TimeStamp(), 0xFFFFFF00u + 0x100u);
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
}

TEST_F(Exchange, FailedWriteShortWriteOrHangUpEndsAtOnce)
{
    rig.transport->failWrite = true;
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    rig.transport->failWrite = false;
    rig.transport->writeLimit = 8;
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    EXPECT_TRUE(rig.transport->readWaits.empty());
    EXPECT_EQ(rig.clock.Now(), 1000u);
    rig.transport->writeLimit = SIZE_MAX;
    rig.transport->hangUpWhenDone = true;
    EXPECT_FALSE(Read({{100, Slice(ReadingReply(0x01, 0x00, 9), 0, 90)}}));
    EXPECT_EQ(rig.clock.Now(), 1100u);
}

TEST_F(Exchange, PresenceBitsAndSerialNumberAdoption)
{
    // Only bits 6 and 7 of the high presence byte: an empty reply, kept, adopting nothing.
    EXPECT_FALSE(Read({{10, ReadingReply(0x00, 0xC0, 7)}}));
    EXPECT_EQ(record.bytes[175], 7);
    EXPECT_TRUE(rig.settings.installed.empty());
    EXPECT_EQ(rig.settings.reportedSerial, 0);
    auto read = [&](uint8_t serial) { return Read({{10, ReadingReply(0x00, 0x20, serial)}}); };
    rig.settings.key = {3, 2010, 6, 15};
    ASSERT_TRUE(read(0)); // frequency 13 only
    EXPECT_TRUE(rig.settings.installed.empty());
    ASSERT_TRUE(read(7));
    ASSERT_TRUE(read(7));
    ASSERT_EQ(rig.settings.installed.size(), 1u);
    EXPECT_EQ(rig.settings.installed[0], (CalibrationKey{7, 2010, 6, 15}));
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
    rig.clock.Set(1000);
    rig.transport->QueueReply({{1300, reply}});
    ASSERT_TRUE(rig.instrument.RequestSeries(records));
    for (size_t k = 0; k < records.size(); ++k)
        EXPECT_EQ(records[k].TimeStamp(), 1000u + 100 * k) << k;
    rig.transport->QueueReply({{20, reply}});
    ASSERT_TRUE(rig.instrument.RequestSeries(records));
    const uint32_t t0 = rig.clock.Now() - 20;
    for (uint32_t k = 0; k < kFrequencyCount; ++k)
        EXPECT_EQ(records[k].TimeStamp(), t0 + 20 * k / 13);
}

TEST_F(Exchange, ConnectOpensThePortsWithTheirLines)
{
    EXPECT_EQ(rig.transport->device, "/dev/rfcomm5");
    EXPECT_EQ(rig.transport->line.baud, 9600u);
    EXPECT_EQ(rig.transport->line.dataBits, 8);
    EXPECT_FALSE(rig.transport->line.parity);
    EXPECT_EQ(rig.transport->line.stopBits, 1);
    EXPECT_FALSE(rig.gpsTransport->IsOpen());

    // With GPS both ports must open; a failure leaves the instrument port open.
    EXPECT_FALSE(rig.instrument.SetUseGps(true));
    rig.gpsTransport->failOpen = true;
    EXPECT_FALSE(rig.instrument.Connect());
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_FALSE(rig.instrument.IsConnected());
    EXPECT_FALSE(rig.instrument.RequestReading(record, true));
    EXPECT_TRUE(rig.transport->writes.empty());
    rig.gpsTransport->failOpen = false;
    EXPECT_TRUE(rig.instrument.Connect());
    EXPECT_EQ(rig.gpsTransport->device, "/dev/rfcomm8");
    EXPECT_EQ(rig.gpsTransport->line.baud, 4800u);
    EXPECT_TRUE(rig.instrument.GpsReaderStartFailed()); // no reader: the port stays open, and says so
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
}

// A tray left with another title by an interrupted run is still found, and gets that title back.
TEST_F(Exchange, TheTrayAsksForTheGpsDeviceWhileThePortOpens)
{
    rig.radio.trayExists = true;
    rig.radio.trayTitle = "My tray";
    EXPECT_TRUE(rig.instrument.ConnectGps());
    EXPECT_EQ(rig.radio.titles, (std::vector<std::string>{"Выберите устройство GPS", "My tray"}));
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
