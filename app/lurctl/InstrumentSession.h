#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "instrument/CInstrument.h"
#include "instrument/CSerialPort.h"

#include "instrument/InstrumentSettings.h"

// An instrument object for one lurctl command: its own port and the radio left alone.
class InstrumentSession {
public:
    // The given frequency mask, the settings untouched (no calibration is adopted).
    explicit InstrumentSession(uint16_t mask);
    // The settings object's frequencies; the calibration of the instrument is adopted.
    InstrumentSession();
    ~InstrumentSession();

    // `port` is a device path or "COMn:" (resolved through the settings' port map).
    // False, with error set, when the port cannot be opened.
    bool Open(const std::string& port, std::string& error);
    CInstrument& Instrument() { return *instrument_; }
    // The line went dead: the peer hung up or the device went away.
    bool LinkLost() const { return port_.LinkLost(); }

private:
    explicit InstrumentSession(std::unique_ptr<InstrumentSettings> settings);

    class Settings;
    std::unique_ptr<InstrumentSettings> settings_;
    CSerialPort port_;
    CSerialPort unusedGpsPort_;
    std::unique_ptr<CInstrument> instrument_;
};
