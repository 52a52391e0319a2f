// The instrument object over a fake port on a manual clock: the frames it writes, stamps, the
// 40 000 ms limit, what a reply does to records, connecting, and the radio left as found.
// Stale input, whole-reply assembly, series layout and battery values are checked for any
// input by fuzz_instrument_reply.
#include <gtest/gtest.h>

#include "acquisition/InstrumentExchanger.h"
#include "instrument/BluetoothRadio.h"
#include "instrument/FakeBluetoothStack.h"
#include "instrument/InstrumentFrames.h"
#include "instrument/InstrumentRig.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Exchange : public ::testing::Test {
protected:
    void SetUp() override { rig.instrument.Connect("/dev/rfcomm5"); }
    bool Read(std::vector<FakeTransport::Piece> reply)
    {
        rig.transport->QueueReply(std::move(reply));
        return rig.instrument.RequestReading(record, true, 0x3FFF);
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
    rig.instrument.Connect("/dev/rfcomm5");
    MeasurementRecord record{};
    rig.instrument.RequestReading(record, true, 0x2005);
    rig.instrument.RequestReading(record, false, 0x2005);
    ReadingSeries series{};
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
    EXPECT_FALSE(rig.instrument.RequestReading(record, true, 0x3FFF));
    rig.transport->failWrite = false;
    rig.transport->writeLimit = 8;
    EXPECT_FALSE(rig.instrument.RequestReading(record, true, 0x3FFF));
    EXPECT_TRUE(rig.transport->readWaits.empty());
    EXPECT_EQ(rig.clock.Now(), 1000u);
    rig.transport->writeLimit = SIZE_MAX;
    rig.transport->hangUpWhenDone = true;
    EXPECT_FALSE(Read({{100, Slice(ReadingReply(0x01, 0x00, 9), 0, 90)}}));
    EXPECT_EQ(rig.clock.Now(), 1100u);
}

// Only bits 6 and 7 of the high presence byte: an empty reply, kept but refused.
TEST_F(Exchange, AReplyWithoutAnyFrequencyIsRefusedButKept)
{
    EXPECT_FALSE(Read({{10, ReadingReply(0x00, 0xC0, 7)}}));
    EXPECT_EQ(record.bytes[175], 7);
    EXPECT_TRUE(record.Empty());
    EXPECT_TRUE(Read({{10, ReadingReply(0x00, 0x20, 7)}})); // frequency 13 only
}

TEST_F(Exchange, SeriesSpreadsStampsBetweenCommandAndReply)
{
    const Bytes reply = ReadingReply(0xFF, 0x3F, 12);
    ReadingSeries records{};
    rig.transport->QueueReply({{10, Slice(reply, 0, 170)}});
    records[3].bytes.fill(0x42);
    EXPECT_FALSE(rig.instrument.RequestSeries(records));
    EXPECT_EQ(records[3].bytes[0], 0x42); // a failed series leaves the records alone
    rig.clock.Set(1000);
    rig.transport->QueueReply({{1300, reply}});
    ASSERT_TRUE(rig.instrument.RequestSeries(records));
    for (size_t k = 0; k < records.size(); ++k) {
        EXPECT_EQ(records[k].TimeStamp(), 1000u + 100 * k) << k;
        // Record k is the k-th 12-byte block of the reply, as channel 0 of its own reading.
        EXPECT_EQ(Bytes(records[k].bytes.begin(), records[k].bytes.begin() + 12), Slice(reply, 12 * k, 12 * k + 12))
            << k;
    }
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

    rig.gpsTransport->failOpen = true;
    EXPECT_FALSE(rig.instrument.ConnectGps("/dev/rfcomm8", 4800));
    rig.gpsTransport->failOpen = false;
    EXPECT_TRUE(rig.instrument.ConnectGps("/dev/rfcomm8", 4800));
    EXPECT_EQ(rig.gpsTransport->device, "/dev/rfcomm8");
    EXPECT_EQ(rig.gpsTransport->line.baud, 4800u);
    // A burst of sentences is read when the line goes quiet, not when 256 bytes have gathered.
    uint8_t buffer[256];
    size_t got = 0;
    rig.gpsPort.Read(buffer, sizeof buffer, got);
    ASSERT_EQ(rig.gpsTransport->readWaits.size(), 1u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].intervalMs, 20u);
    EXPECT_EQ(rig.gpsTransport->readWaits[0].totalMs, 500u);
    rig.instrument.Disconnect();
    EXPECT_FALSE(rig.instrument.IsConnected());
    EXPECT_FALSE(rig.gpsPort.IsOpen());
    EXPECT_FALSE(rig.instrument.RequestReading(record, true, 0x3FFF));
    EXPECT_TRUE(rig.transport->writes.empty());
}

// A tray left with another title by an interrupted run is still found, and gets that title back.
TEST(InstrumentRadio, TheTrayAsksForTheGpsDeviceWhileThePortOpens)
{
    FakeBluetoothStack::Shared radio;
    radio.platformMode = 1;
    radio.trayExists = true;
    radio.trayTitle = "My tray";
    BluetoothRadio keeper(std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)));
    keeper.AskForGpsDevice();
    keeper.AskForGpsDevice(); // asked once
    keeper.GpsDeviceChosen();
    keeper.GpsDeviceChosen();
    EXPECT_EQ(radio.titles, (std::vector<std::string>{"Выберите устройство GPS", "My tray"}));
}

// Switched on at start when it was off, off again at the end; one that was on stays on.
TEST(InstrumentRadio, LeftAsItWasFound)
{
    for (uint32_t initial : {0u, 1u}) {
        FakeBluetoothStack::Shared radio;
        radio.platformMode = initial;
        {
            BluetoothRadio keeper(std::make_unique<CBluetoothControl>(std::make_unique<FakeBluetoothStack>(radio)));
            EXPECT_EQ(keeper.WasOn(), initial == 1);
            EXPECT_EQ(radio.platformMode, 1u);
        }
        EXPECT_EQ(radio.platformMode, initial);
    }
}

// The instrument object closes its ports when it goes.
TEST(InstrumentPorts, ClosedWhenTheInstrumentGoes)
{
    platform::ManualClock clock;
    CSerialPort port{std::make_unique<FakeTransport>(clock)};
    CSerialPort gpsPort{std::make_unique<FakeTransport>(clock)};
    {
        CInstrument instrument(InstrumentLinks{port, gpsPort, clock});
        ASSERT_TRUE(instrument.Connect("/dev/a") && instrument.ConnectGps("/dev/b", 9600));
        EXPECT_TRUE(port.IsOpen() && gpsPort.IsOpen());
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(gpsPort.IsOpen());
}

} // namespace

// Two bytes, high first, in hundredths of a volt; a short reply leaves the value alone.
TEST_F(Exchange, BatteryVoltageIsTheReplysTwoBytesHighFirst)
{
    uint32_t volts = 7;
    rig.transport->QueueReply({{10, {0x04, 0xB1}}});
    ASSERT_TRUE(rig.instrument.ReadBatteryVoltage(volts));
    EXPECT_EQ(volts, 0x04B1u);
    rig.transport->QueueReply({{10, {0x05}}});
    EXPECT_FALSE(rig.instrument.ReadBatteryVoltage(volts));
    EXPECT_EQ(volts, 0x04B1u);
}

// What the window tells the operator rests on these: silence, something that is not the
// instrument (part of a reply, or one without any frequency), and a line that went dead.
TEST_F(Exchange, FailedReadingsAreToldApart)
{
    InstrumentExchanger exchanger(rig.instrument, rig.port);
    ExchangeRequest reading;
    reading.kind = ExchangeKind::Reading;
    reading.frequencyMask = 0x3FFF;
    const Bytes reply = ReadingReply(0x01, 0x00, 9);
    const struct {
        const char* what;
        std::vector<FakeTransport::Piece> pieces;
        bool hangUp;
        ExchangeFailure failure;
    } cases[] = {
        {"silence", {}, false, ExchangeFailure::NoAnswer},
        {"part of a reply", {{10, Slice(reply, 0, 40)}}, false, ExchangeFailure::WrongReply},
        {"no frequency", {{10, ReadingReply(0x00, 0xC0, 9)}}, false, ExchangeFailure::WrongReply},
        {"hung up", {{10, Slice(reply, 0, 40)}}, true, ExchangeFailure::LinkLost},
        {"whole", {{10, reply}}, false, ExchangeFailure::None},
    };
    for (const auto& c : cases) {
        rig.transport->hangUpWhenDone = c.hangUp;
        rig.transport->QueueReply(c.pieces);
        const ExchangeResult result = exchanger.Perform(reading);
        EXPECT_EQ(result.failure, c.failure) << c.what;
        EXPECT_EQ(result.ok, c.failure == ExchangeFailure::None) << c.what;
        if (c.hangUp) {
            rig.instrument.Connect("/dev/rfcomm5");
            rig.transport->hangUpWhenDone = false;
        }
    }
}
