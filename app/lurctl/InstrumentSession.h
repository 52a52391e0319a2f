#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "instrument/CInstrument.h"
#include "instrument/CSerialPort.h"

// An instrument object for one lurctl command: its own port, the given frequency mask,
// the radio left alone and the settings untouched (no calibration is adopted).
class InstrumentSession {
public:
    explicit InstrumentSession(uint16_t mask);
    ~InstrumentSession();

    // `port` is a device path or "COMn:" (resolved through the settings' port map).
    // False, with error set, when the port cannot be opened.
    bool Open(const std::string& port, std::string& error);
    CInstrument& Instrument() { return *instrument_; }

private:
    class Settings;
    std::unique_ptr<Settings> settings_;
    CSerialPort port_;
    CSerialPort unusedGpsPort_;
    std::unique_ptr<CInstrument> instrument_;
};
