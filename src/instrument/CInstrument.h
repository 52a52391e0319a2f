#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "instrument/CBluetoothControl.h"
#include "instrument/CSerialPort.h"
#include "instrument/InstrumentSettings.h"
#include "platform/Clock.h"
#include "survey/MeasurementRecord.h"
#include "survey/ReadingSource.h"

// What the instrument object works with; the ports, settings and clock are not owned.
struct InstrumentLinks {
    CSerialPort& instrumentPort;
    CSerialPort& gpsPort;
    InstrumentSettings& settings;
    std::unique_ptr<CBluetoothControl> bluetooth;
    platform::Clock& clock;
};

// The instrument: its command exchanges and the on-demand connection of the instrument and
// GPS ports. UI thread only; an exchange blocks for up to a little over 40 seconds.
class CInstrument : public ReadingSource {
public:
    static constexpr uint32_t kReplyLimitMs = 40000;
    static constexpr uint32_t kInstrumentBaud = 9600;

    explicit CInstrument(InstrumentLinks links);
    CInstrument(const CInstrument&) = delete;
    CInstrument& operator=(const CInstrument&) = delete;

    // Command 0x02 (selected) or 0x03 with the frequency mask; true for a complete reply
    // with at least one frequency present.
    bool RequestReading(MeasurementRecord& record, bool selected) override;
    virtual bool RequestReading(MeasurementRecord& record);
    // Command 0x0A: 14 single-frequency records stamped between command and reply.
    bool RequestSeries(ReadingSeries& records) override;
    // Command 0x07: battery voltage in hundredths of a volt.
    virtual bool ReadBatteryVoltage(uint32_t& value);
    ~CInstrument() override;

    // Installs the calibration of a newly seen instrument serial number.
    void AdoptSerialNumber(const MeasurementRecord& record);

    bool IsConnected() const;
    bool Connect();
    bool ConnectGps();
    bool Disconnect();
    bool StopGps();
    // Returns the previous flag; clearing it also stops the GPS reader.
    bool SetUseGps(bool use);
    // The last ConnectGps opened the GPS port but could not start the reader thread
    // (the caller reports "Ошибка чтения данных NMEA").
    bool GpsReaderStartFailed() const { return readerStartFailed_; }
    bool RadioWasOn() const { return radioWasOn_; }

private:
    // Purge, one write, then the reply within the limit; t0 after the write, t1 at the first bytes.
    bool Exchange(const uint8_t* frame, size_t frameSize, uint8_t* reply, size_t replySize, uint32_t& t0,
                  uint32_t& t1);

    bool radioWasOn_ = false;
    InstrumentLinks links_;
    bool useGps_ = false;
    bool readerStartFailed_ = false;
};

// The one instrument object, created on first use (switching the radio on if it was off).
CInstrument* GetInstrument();
// At shutdown: asks the GPS reader to end, then destroys the object (ports closed, radio
// left as found).
void ReleaseInstrument();
