#include "instrument/CInstrument.h"

#include <algorithm>
#include <cstring>

#include "instrument/InstrumentFrames.h"

namespace {

constexpr uint32_t kEmptyReadPauseMs = 10;

} // namespace

CInstrument::CInstrument(InstrumentLinks links) : links_(links) {}

CInstrument::~CInstrument()
{
    Disconnect();
}

bool CInstrument::Exchange(const uint8_t* frame, size_t frameSize, uint8_t* reply, size_t replySize,
                           uint32_t& t0, uint32_t& t1)
{
    lastReplyBytes_ = 0;
    if (!IsConnected())
        return false;
    CSerialPort& port = links_.instrumentPort;
    port.Purge();
    size_t written = 0;
    if (!port.Write(frame, frameSize, written) || written != frameSize)
        return false;
    platform::Clock& clock = links_.clock;
    t0 = clock.Now();
    t1 = t0;
    size_t received = 0;
    while (received < replySize) {
        size_t n = 0;
        bool ok = port.Read(reply + received, replySize - received, n);
        if (ok && n > 0) {
            if (received == 0)
                t1 = clock.Now();
            received += n;
            lastReplyBytes_ = received;
            if (received == replySize)
                break;
        } else if (ok) {
            clock.Sleep(kEmptyReadPauseMs);
        } else if (port.LinkLost()) {
            // The peer hung up or the port was closed: nothing more can arrive.
            return false;
        }
        if (static_cast<uint32_t>(clock.Now() - t0) > kReplyLimitMs)
            return false;
    }
    return true;
}

bool CInstrument::RequestReading(MeasurementRecord& record, bool selected, uint16_t mask)
{
    frames::Frame frame = frames::ReadingFrame(selected, mask);
    uint8_t reply[frames::kReadingReplySize];
    uint32_t t0 = 0, t1 = 0;
    if (!Exchange(frame.bytes.data(), frame.size, reply, sizeof reply, t0, t1))
        return false;
    record.SetTimeStamp(t0 + (t1 - t0) / 2);
    return record.StoreReply(reply);
}

bool CInstrument::RequestSeries(ReadingSeries& records)
{
    frames::Frame frame = frames::SeriesFrame();
    uint8_t reply[frames::kReadingReplySize];
    uint32_t t0 = 0, t1 = 0;
    if (!Exchange(frame.bytes.data(), frame.size, reply, sizeof reply, t0, t1))
        return false;
    for (uint32_t k = 0; k < kFrequencyCount; ++k) {
        MeasurementRecord& record = records[k];
        record.SetTimeStamp(t0 + (k * (t1 - t0)) / 13);
        uint8_t image[frames::kReadingReplySize] = {};
        std::memcpy(image, reply + 12 * k, 12);
        image[168] = 0x01;
        record.StoreReply(image);
    }
    return true;
}

bool CInstrument::ReadBatteryVoltage(uint32_t& value)
{
    frames::Frame frame = frames::BatteryFrame();
    uint8_t reply[frames::kBatteryReplySize];
    uint32_t t0 = 0, t1 = 0;
    if (!Exchange(frame.bytes.data(), frame.size, reply, sizeof reply, t0, t1))
        return false;
    value = uint32_t(reply[0]) * 256 + reply[1];
    return true;
}

bool CInstrument::IsConnected() const
{
    return links_.instrumentPort.IsOpen();
}

bool CInstrument::Connect(const std::string& device)
{
    return links_.instrumentPort.Open(device, nullptr, nullptr, kInstrumentBaud);
}

bool CInstrument::ConnectGps(const std::string& device, uint32_t baud)
{
    return links_.gpsPort.Open(device, nullptr, &kGpsPortTimeouts, baud);
}

void CInstrument::Disconnect()
{
    DisconnectInstrument();
    links_.gpsPort.Close();
}

void CInstrument::DisconnectInstrument()
{
    links_.instrumentPort.Close();
}
