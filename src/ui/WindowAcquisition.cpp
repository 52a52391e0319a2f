#include "ui/WindowAcquisition.h"

#include "instrument/GpsReaderControl.h"

WindowAcquisition::WindowAcquisition(CSettings& settings, const PortMap& ports, GpsReaderControl& gpsReader,
                                     BluetoothRadio* radio)
    : clock_(platform::SystemTicks()), instrument_(InstrumentLinks{instrumentPort_, gpsPort_, clock_}),
      exchanger_(instrument_, instrumentPort_), gps_{gpsReader, gpsPort_, radio},
      engine_(AcquisitionParts{settings, worker_, bridge_, ports, &gps_}), worker_(exchanger_, bridge_)
{
    bridge_.SetEngine(&engine_);
}

WindowAcquisition::~WindowAcquisition()
{
    gps_.reader.Stop();
}
