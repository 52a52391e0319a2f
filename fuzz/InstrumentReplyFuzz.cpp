// Instrument replies of any length, content, timing and cut, over the in-memory port on a
// manual clock: exchanges end within the reply limit, never take stale bytes, and give
// back exactly the bytes the instrument sent when they came in time.
#include <algorithm>
#include <memory>
#include <vector>

#include "Fuzz.h"
#include "instrument/CInstrument.h"
#include "instrument/FakeTransport.h"
#include "instrument/InstrumentFrames.h"

namespace {

// Reads the fuzz input front to back; zeros once it runs out.
struct Input {
    const uint8_t* data;
    size_t size;
    bool Empty() const { return size == 0; }
    uint8_t Byte() { return size ? (--size, *data++) : 0; }
    // Low byte first: the operands of | are unsequenced.
    uint16_t U16()
    {
        const uint8_t low = Byte();
        return uint16_t(low | Byte() << 8);
    }
    std::vector<uint8_t> Bytes(size_t count)
    {
        count = std::min(count, size);
        data += count;
        size -= count;
        return std::vector<uint8_t>(data - count, data);
    }
};

enum Operation { kReadSelected, kReadAll, kSeries, kBattery, kConnect, kDisconnect, kOperationCount };

// A reply needs at most a read's wait (10 ms a byte + 1000 ms) past the limit to be given up,
// and each piece may arrive up to one 10 ms pause late.
constexpr uint32_t kReadWaitMs = 10 * frames::kReadingReplySize + 1000;
constexpr uint32_t kGiveUpMs = CInstrument::kReplyLimitMs + kReadWaitMs + 10;
constexpr uint32_t kSurelyInTimeMs = CInstrument::kReplyLimitMs - kReadWaitMs - 200;
constexpr uint32_t kPieceSlackMs = 10;

struct Script {
    std::vector<FakeTransport::Piece> pieces;
    std::vector<uint8_t> bytes; // everything the pieces carry, in order
};

Script ReadScript(Input& in)
{
    Script script;
    const int count = in.Byte() % 8;
    for (int k = 0; k < count; ++k) {
        FakeTransport::Piece piece;
        piece.afterMs = in.U16();
        piece.bytes = in.Bytes(in.Byte());
        script.bytes.insert(script.bytes.end(), piece.bytes.begin(), piece.bytes.end());
        script.pieces.push_back(std::move(piece));
    }
    return script;
}

// When the first `need` bytes have arrived, in ms after the write, with each piece
// `slack` late; UINT64_MAX when the script carries fewer.
uint64_t Arrival(const Script& script, size_t need, uint32_t slack)
{
    uint64_t at = 0;
    size_t carried = 0;
    for (const FakeTransport::Piece& piece : script.pieces) {
        at += piece.afterMs + slack;
        carried += piece.bytes.size();
        if (carried >= need)
            return at;
    }
    return UINT64_MAX;
}

bool Starts(const uint8_t* bytes, const std::vector<uint8_t>& script, size_t offset, size_t count)
{
    return std::equal(bytes, bytes + count, script.begin() + std::ptrdiff_t(offset));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    platform::ManualClock clock(in.Byte() & 1 ? 0xFFFFF000u : 1000u); // near the wrap, or not
    auto* transport = new FakeTransport(clock);
    CSerialPort port{std::unique_ptr<SerialTransport>(transport)};
    CSerialPort gpsPort{std::make_unique<FakeTransport>(clock)};
    CInstrument instrument{InstrumentLinks{port, gpsPort, clock}};
    Check(instrument.Connect("/dev/fuzz"));
    uint16_t mask = 0x3FFF;

    for (int op = 0; op < 16 && !in.Empty(); ++op) {
        const uint8_t code = in.Byte();
        const int operation = (code & 7) % kOperationCount;
        if (code & 0x08)
            transport->AddStale(in.Bytes(in.Byte() % 64));
        if (code & 0x20)
            mask = in.U16();
        transport->hangUpWhenDone = (code & 0x10) != 0;

        if (operation == kConnect) {
            Check(instrument.Connect("/dev/fuzz") && instrument.IsConnected() && !transport->LinkLost());
            continue;
        }
        if (operation == kDisconnect) {
            instrument.Disconnect();
            Check(!instrument.IsConnected());
            continue;
        }

        const bool connected = instrument.IsConnected();
        const bool alive = connected && !transport->LinkLost();
        const Script script = ReadScript(in);
        if (connected)
            transport->QueueReply(script.pieces); // released by this exchange's write
        const size_t writes = transport->writes.size();
        const uint32_t before = clock.Now();
        const size_t need = operation == kBattery ? frames::kBatteryReplySize : frames::kReadingReplySize;

        bool ok = false;
        MeasurementRecord record{};
        ReadingSeries series{};
        uint32_t volts = 0;
        if (operation == kReadSelected || operation == kReadAll)
            ok = instrument.RequestReading(record, operation == kReadSelected, mask);
        else if (operation == kSeries)
            ok = instrument.RequestSeries(series);
        else
            ok = instrument.ReadBatteryVoltage(volts);
        const uint32_t took = clock.Now() - before;

        if (!connected) {
            // Nothing is sent and no time passes.
            Check(!ok && took == 0 && transport->writes.size() == writes);
            continue;
        }
        Check(took <= kGiveUpMs);
        Check(transport->writes.size() == writes + 1);
        const bool complete = script.bytes.size() >= need;
        const bool inTime = Arrival(script, need, kPieceSlackMs) <= kSurelyInTimeMs;
        const bool tooLate = Arrival(script, need, 0) > kGiveUpMs;
        const bool exchanged = alive && complete && inTime;
        if (!complete || tooLate || !alive)
            Check(!ok);

        if (operation == kReadSelected || operation == kReadAll) {
            const frames::Frame frame = frames::ReadingFrame(operation == kReadSelected, mask);
            Check(transport->writes.back() == std::vector<uint8_t>(frame.bytes.begin(), frame.bytes.begin() + frame.size));
            if (exchanged)
                Check(ok == !record.Empty());
            if (ok)
                Check(Starts(record.bytes.data(), script.bytes, 0, need));
        } else if (operation == kSeries) {
            if (exchanged)
                Check(ok);
            if (ok) {
                for (size_t k = 0; k < series.size(); ++k) {
                    const MeasurementRecord& r = series[k];
                    Check(Starts(r.bytes.data(), script.bytes, 12 * k, 12));
                    Check(r.bytes[168] == 1 && !r.Empty() && r.SerialNumber() == 0);
                    Check(std::all_of(r.bytes.begin() + 12, r.bytes.begin() + 168, [](uint8_t b) { return b == 0; }));
                    if (k > 0)
                        Check(r.TimeStamp() - series[0].TimeStamp() >= series[k - 1].TimeStamp() - series[0].TimeStamp());
                }
            }
        } else {
            if (exchanged)
                Check(ok);
            if (ok)
                Check(volts == uint32_t(script.bytes[0]) * 256 + script.bytes[1]);
        }
    }
    return 0;
}
