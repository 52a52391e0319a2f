#include "acquisition/InstrumentExchanger.h"

#include <cerrno>

ExchangeResult InstrumentExchanger::Perform(const ExchangeRequest& request)
{
    ExchangeResult result;
    result.id = request.id;
    result.kind = request.kind;
    switch (request.kind) {
    case ExchangeKind::Connect:
        if (!request.instrumentDevice.empty()) {
            errno = 0;
            if (!instrument_.Connect(request.instrumentDevice)) {
                result.failure = ExchangeFailure::PortNotOpened;
                result.error = errno;
                return result;
            }
            result.instrumentOpened = true;
        }
        if (!request.gpsDevice.empty()) {
            errno = 0;
            if (!instrument_.ConnectGps(request.gpsDevice, request.gpsBaud)) {
                result.error = errno;
                // Half a connection would be taken for a whole one next time.
                if (result.instrumentOpened)
                    instrument_.DisconnectInstrument();
                result.instrumentOpened = false;
                result.failure = ExchangeFailure::GpsPortNotOpened;
                return result;
            }
            result.gpsOpened = true;
        }
        result.ok = true;
        return result;
    case ExchangeKind::Battery:
        result.ok = instrument_.ReadBatteryVoltage(result.batteryVoltage);
        break;
    case ExchangeKind::Reading:
        result.ok = instrument_.RequestReading(result.records[0], true, request.frequencyMask);
        break;
    case ExchangeKind::Series:
        result.ok = instrument_.RequestSeries(result.records);
        break;
    case ExchangeKind::Disconnect:
        if (request.closeGps)
            instrument_.Disconnect();
        else
            instrument_.DisconnectInstrument();
        result.ok = true;
        return result;
    }
    if (!result.ok)
        result.failure = port_.LinkLost()                     ? ExchangeFailure::LinkLost
                         : instrument_.LastReplyBytes() > 0 ? ExchangeFailure::WrongReply
                                                            : ExchangeFailure::NoAnswer;
    return result;
}
