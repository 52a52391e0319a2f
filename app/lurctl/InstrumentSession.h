#pragma once
#include <cstdint>
#include <string>

#include "instrument/CInstrument.h"
#include "instrument/CSerialPort.h"
#include "survey/ReadingSeries.h"

// An instrument on its own port for one lurctl command that asks it something once; the
// radio is left alone and no setting changes.
class InstrumentSession {
public:
    // Readings ask for the frequencies of `mask`.
    explicit InstrumentSession(uint16_t mask);

    // `port` is a device path or "COMn:" (resolved through the settings file's port map).
    // False, with error set, when the port cannot be opened.
    bool Open(const std::string& port, std::string& error);
    bool RequestReading(MeasurementRecord& record) { return instrument_.RequestReading(record, true, mask_); }
    bool RequestSeries(ReadingSeries& records) { return instrument_.RequestSeries(records); }
    bool ReadBatteryVoltage(uint32_t& value) { return instrument_.ReadBatteryVoltage(value); }

private:
    uint16_t mask_;
    CSerialPort port_;
    CSerialPort unusedGpsPort_;
    CInstrument instrument_;
};

// "COMn:" through the settings file's "Serial ports" entries, else the name itself.
std::string ResolvePort(const std::string& port);
