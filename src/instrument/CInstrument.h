#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "instrument/CSerialPort.h"
#include "platform/Clock.h"
#include "survey/MeasurementRecord.h"
#include "survey/ReadingSeries.h"

// The ports an instrument object works on and the clock of its time-outs; not owned.
struct InstrumentLinks {
    CSerialPort& instrumentPort;
    CSerialPort& gpsPort;
    platform::Clock& clock;
};

// The instrument's command exchanges and the opening and closing of its ports. Everything it
// needs comes with the call, and it writes nothing but its ports and the caller's buffers,
// so it can live on a worker thread: it belongs to the thread that calls it (the acquisition
// engine's instrument worker, or a lurctl command's main thread). An exchange blocks for up
// to a little over 40 seconds.
class CInstrument {
public:
    static constexpr uint32_t kReplyLimitMs = 40000;
    static constexpr uint32_t kInstrumentBaud = 9600;

    explicit CInstrument(InstrumentLinks links);
    ~CInstrument(); // closes the ports
    CInstrument(const CInstrument&) = delete;
    CInstrument& operator=(const CInstrument&) = delete;

    // Command 0x02 (selected) or 0x03 with the frequency mask; true for a complete reply
    // with at least one frequency present.
    bool RequestReading(MeasurementRecord& record, bool selected, uint16_t mask);
    // Command 0x0A: 14 single-frequency records stamped between command and reply.
    bool RequestSeries(ReadingSeries& records);
    // Command 0x07: battery voltage in hundredths of a volt.
    bool ReadBatteryVoltage(uint32_t& value);

    bool IsConnected() const;
    // Opens the instrument port, a device path, at 9600 baud.
    bool Connect(const std::string& device);
    // Opens the GPS port, a device path; whoever reads it starts after this returns.
    bool ConnectGps(const std::string& device, uint32_t baud);
    // Closes both ports.
    void Disconnect();
    // Closes the instrument port; the GPS port stays as it is.
    void DisconnectInstrument();

    // The bytes of a reply the last exchange received: after a failure, none means silence,
    // some mean something answered that is not the instrument (or a corrupted line).
    size_t LastReplyBytes() const { return lastReplyBytes_; }

private:
    // Purge, one write, then the reply within the limit; t0 after the write, t1 at the first bytes.
    bool Exchange(const uint8_t* frame, size_t frameSize, uint8_t* reply, size_t replySize, uint32_t& t0,
                  uint32_t& t1);

    InstrumentLinks links_;
    size_t lastReplyBytes_ = 0;
};
