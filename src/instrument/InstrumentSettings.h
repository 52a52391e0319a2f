#pragma once
#include <cstdint>

#include "survey/Calibration.h"

// What the instrument object reads from and does to the settings store. The program uses
// the store itself (SettingsStoreLink); tests give their own.
class InstrumentSettings {
public:
    virtual ~InstrumentSettings() = default;
    virtual uint16_t FrequencyMask() const = 0;
    virtual uint32_t InstrumentPortNumber() const = 0;
    virtual uint32_t GpsPortNumber() const = 0;
    virtual uint32_t GpsBaudRate() const = 0;
    virtual int32_t ReportedSerial() const = 0;
    virtual void SetReportedSerial(int32_t serial) = 0;
    virtual CalibrationKey CurrentCalibrationKey() const = 0;
    virtual void InstallSet(CalibrationKey key) = 0;
};
