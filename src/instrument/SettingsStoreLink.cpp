#include "instrument/SettingsStoreLink.h"

#include "instrument/InstrumentFrames.h"
#include "settings/CSettings.h"

uint16_t SettingsStoreLink::FrequencyMask() const
{
    return frames::FrequencyMask(CSettings::Instance().usedFrequencies);
}

uint32_t SettingsStoreLink::InstrumentPortNumber() const
{
    return static_cast<uint32_t>(CSettings::Instance().btInboundPort);
}

uint32_t SettingsStoreLink::GpsPortNumber() const
{
    return static_cast<uint32_t>(CSettings::Instance().btOutboundPort);
}

uint32_t SettingsStoreLink::GpsBaudRate() const
{
    return static_cast<uint32_t>(CSettings::Instance().GpsBaudRate());
}

int32_t SettingsStoreLink::ReportedSerial() const
{
    return CSettings::Instance().reportedSerial;
}

void SettingsStoreLink::SetReportedSerial(int32_t serial)
{
    CSettings::Instance().reportedSerial = serial;
}

CalibrationKey SettingsStoreLink::CurrentCalibrationKey() const
{
    return CSettings::Instance().calibrationKey;
}

void SettingsStoreLink::InstallSet(CalibrationKey key)
{
    CSettings::Instance().InstallSet(key);
}
