#pragma once
#include "instrument/InstrumentSettings.h"

// InstrumentSettings over the one settings object, CSettings::Instance().
class SettingsStoreLink final : public InstrumentSettings {
public:
    uint16_t FrequencyMask() const override;
    uint32_t InstrumentPortNumber() const override;
    uint32_t GpsPortNumber() const override;
    uint32_t GpsBaudRate() const override;
    int32_t ReportedSerial() const override;
    void SetReportedSerial(int32_t serial) override;
    CalibrationKey CurrentCalibrationKey() const override;
    void InstallSet(CalibrationKey key) override;
};
