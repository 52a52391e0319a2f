#include "instrument/CInstrument.h"
#include "instrument/PortMap.h"
#include "instrument/RfkillBluetoothStack.h"
#include "instrument/SerialPorts.h"
#include "instrument/SettingsStoreLink.h"
#include "settings/CSettings.h"

namespace {

std::unique_ptr<CInstrument>& TheInstrument()
{
    static std::unique_ptr<CInstrument> instrument;
    return instrument;
}

} // namespace

CInstrument* GetInstrument(GpsReaderControl* gpsReader)
{
    // The ports are made first so that they outlive an instrument never released.
    CSerialPort& instrumentPort = InstrumentSerialPort();
    CSerialPort& gpsPort = GpsSerialPort();
    auto& instrument = TheInstrument();
    if (!instrument) {
        static SettingsStoreLink settings;
        PortMap::Instance().Load(CSettings::Instance().Registry());
        instrument = std::make_unique<CInstrument>(InstrumentLinks{
            instrumentPort, gpsPort, settings,
            std::make_unique<CBluetoothControl>(std::make_unique<RfkillBluetoothStack>()),
            platform::SystemTicks(), gpsReader});
    }
    return instrument.get();
}

void ReleaseInstrument()
{
    TheInstrument().reset();
}
