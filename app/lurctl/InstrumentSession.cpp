#include "InstrumentSession.h"

#include <cerrno>
#include <cstring>

#include "instrument/PortMap.h"
#include "instrument/RadioLeftAlone.h"
#include "instrument/SettingsStoreLink.h"
#include "settings/CSettings.h"

class InstrumentSession::Settings final : public InstrumentSettings {
public:
    explicit Settings(uint16_t mask) : mask_(mask) {}
    uint16_t FrequencyMask() const override { return mask_; }
    uint32_t InstrumentPortNumber() const override { return 0; }
    uint32_t GpsPortNumber() const override { return 0; }
    uint32_t GpsBaudRate() const override { return 9600; }
    int32_t ReportedSerial() const override { return reported_; }
    void SetReportedSerial(int32_t serial) override { reported_ = serial; }
    CalibrationKey CurrentCalibrationKey() const override { return {}; }
    void InstallSet(CalibrationKey) override {}

private:
    uint16_t mask_;
    int32_t reported_ = 0;
};

InstrumentSession::InstrumentSession(uint16_t mask) : InstrumentSession(std::make_unique<Settings>(mask)) {}

InstrumentSession::InstrumentSession() : InstrumentSession(std::make_unique<SettingsStoreLink>()) {}

InstrumentSession::InstrumentSession(std::unique_ptr<InstrumentSettings> settings) : settings_(std::move(settings))
{
    instrument_ = std::make_unique<CInstrument>(
        InstrumentLinks{port_, unusedGpsPort_, *settings_,
                        std::make_unique<CBluetoothControl>(std::make_unique<RadioLeftAlone>()),
                        platform::SystemTicks(), nullptr});
}

InstrumentSession::~InstrumentSession() = default;

bool InstrumentSession::Open(const std::string& port, std::string& error)
{
    if (port.rfind("COM", 0) == 0)
        PortMap::Instance().Load(CSettings::Instance().Registry());
    std::string device = PortMap::Instance().Resolve(port);
    errno = 0;
    if (port_.Open(device, nullptr, nullptr, CInstrument::kInstrumentBaud))
        return true;
    error = "cannot open " + device + ": " + (errno ? std::strerror(errno) : "not a serial port");
    return false;
}
