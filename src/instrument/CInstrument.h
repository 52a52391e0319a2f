#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "instrument/CBluetoothControl.h"
#include "instrument/CSerialPort.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/InstrumentSettings.h"
#include "platform/Clock.h"
#include "survey/MeasurementRecord.h"
#include "survey/ReadingSource.h"

// What the instrument object works with; the ports, settings, clock and GPS reader are not
// owned. Without a GPS reader the GPS port opens but nothing reads it.
struct InstrumentLinks {
    CSerialPort& instrumentPort;
    CSerialPort& gpsPort;
    InstrumentSettings& settings;
    std::unique_ptr<CBluetoothControl> bluetooth;
    platform::Clock& clock;
    GpsReaderControl* gpsReader;
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
    // Stops the reader, (re)opens the GPS port and starts the reader on it; true when the
    // port opened.
    bool ConnectGps();
    bool Disconnect();
    // Stops the reader and waits for it, then closes the GPS port.
    bool StopGps();
    // Returns the previous flag; clearing it also stops the GPS reader.
    bool SetUseGps(bool use);
    // The last ConnectGps opened the GPS port but no reader runs on it (no thread could be
    // started, or the instrument has no reader); the reader has told the operator.
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

// The one instrument object, created on first use (switching the radio on if it was off)
// with the GPS reader given then; later calls return it and ignore the argument.
CInstrument* GetInstrument(GpsReaderControl* gpsReader = nullptr);
// At shutdown: destroys the object (GPS reader stopped and joined, ports closed, radio left
// as found).
void ReleaseInstrument();
