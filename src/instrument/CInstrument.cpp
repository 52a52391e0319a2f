#include "instrument/CInstrument.h"

#include <algorithm>
#include <cstring>

#include "instrument/InstrumentFrames.h"
#include "instrument/PortMap.h"

namespace {

const std::string kDefaultTrayTitle = "Bluetooth Console";
const std::string kChooseGpsTitle = "Выберите устройство GPS";
constexpr uint32_t kEmptyReadPauseMs = 10;

} // namespace

CInstrument::CInstrument(InstrumentLinks links) : links_(std::move(links))
{
    radioWasOn_ = links_.bluetooth->GetRadioMode() == 1;
    if (!radioWasOn_)
        links_.bluetooth->RadioOn();
}

CInstrument::~CInstrument()
{
    Disconnect();
    if (!radioWasOn_)
        links_.bluetooth->RadioOff();
}

bool CInstrument::Exchange(const uint8_t* frame, size_t frameSize, uint8_t* reply, size_t replySize,
                           uint32_t& t0, uint32_t& t1)
{
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

bool CInstrument::RequestReading(MeasurementRecord& record, bool selected)
{
    frames::Frame frame = frames::ReadingFrame(selected, links_.settings.FrequencyMask());
    uint8_t reply[frames::kReadingReplySize];
    uint32_t t0 = 0, t1 = 0;
    if (!Exchange(frame.bytes.data(), frame.size, reply, sizeof reply, t0, t1))
        return false;
    record.SetTimeStamp(t0 + (t1 - t0) / 2);
    bool present = record.StoreReply(reply);
    AdoptSerialNumber(record);
    return present;
}

bool CInstrument::RequestReading(MeasurementRecord& record)
{
    return RequestReading(record, false);
}

bool CInstrument::RequestSeries(std::array<MeasurementRecord, kFrequencyCount>& records)
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
    AdoptSerialNumber(records[0]);
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

void CInstrument::AdoptSerialNumber(const MeasurementRecord& record)
{
    uint8_t serial = record.bytes[175];
    if (record.Empty() || serial == 0)
        return;
    InstrumentSettings& settings = links_.settings;
    if (serial == settings.ReportedSerial())
        return;
    settings.SetReportedSerial(serial);
    CalibrationKey key = settings.CurrentCalibrationKey();
    key.serial = serial;
    settings.InstallSet(key);
}

bool CInstrument::IsConnected() const
{
    return links_.instrumentPort.IsOpen() && (!useGps_ || links_.gpsPort.IsOpen());
}

bool CInstrument::Connect()
{
    std::string name = PortMap::PortName(links_.settings.InstrumentPortNumber());
    if (!links_.instrumentPort.Open(name, nullptr, nullptr, kInstrumentBaud))
        return false;
    return useGps_ ? ConnectGps() : true;
}

bool CInstrument::ConnectGps()
{
    CBluetoothControl& bluetooth = *links_.bluetooth;
    std::string title = kDefaultTrayTitle;
    std::string current;
    if (bluetooth.GetTrayTitle(current))
        title = current;
    bluetooth.SetTrayTitle(kChooseGpsTitle);
    std::string name = PortMap::PortName(links_.settings.GpsPortNumber());
    // A reader still running on the port would read it while it reopens, and close it as it ends.
    StopGps();
    bool opened = links_.gpsPort.Open(name, nullptr, &kGpsPortTimeouts, links_.settings.GpsBaudRate());
    bluetooth.SetTrayTitle(title);
    readerStartFailed_ = opened && !(links_.gpsReader && links_.gpsReader->Start(links_.gpsPort));
    return opened;
}

bool CInstrument::Disconnect()
{
    bool closed = links_.instrumentPort.Close();
    bool stopped = StopGps();
    return closed && stopped;
}

bool CInstrument::StopGps()
{
    if (links_.gpsReader)
        links_.gpsReader->Stop();
    return links_.gpsPort.Close();
}

bool CInstrument::SetUseGps(bool use)
{
    bool previous = useGps_;
    useGps_ = use;
    if (!use)
        StopGps();
    return previous;
}
