#pragma once
#include <vector>

#include "instrument/InstrumentSettings.h"

// Settings the tests set directly; InstallSet calls are recorded.
class FakeInstrumentSettings final : public InstrumentSettings {
public:
    uint16_t mask = 0x3FFF;
    uint32_t instrumentPort = 5;
    uint32_t gpsPort = 8;
    uint32_t gpsBaud = 4800;
    int32_t reportedSerial = 0;
    CalibrationKey key{9, 2007, 2, 28};
    std::vector<CalibrationKey> installed;

    uint16_t FrequencyMask() const override { return mask; }
    uint32_t InstrumentPortNumber() const override { return instrumentPort; }
    uint32_t GpsPortNumber() const override { return gpsPort; }
    uint32_t GpsBaudRate() const override { return gpsBaud; }
    int32_t ReportedSerial() const override { return reportedSerial; }
    void SetReportedSerial(int32_t serial) override { reportedSerial = serial; }
    CalibrationKey CurrentCalibrationKey() const override { return key; }
    void InstallSet(CalibrationKey k) override
    {
        installed.push_back(k);
        key = k;
    }
};
