#include "instrument/GpsReaderLink.h"

#include <mutex>

std::atomic<bool> gpsReaderRunning{false};

namespace {

std::mutex startMutex;
GpsReaderStart registeredStart;

} // namespace

void SetGpsReaderStart(GpsReaderStart start)
{
    std::lock_guard lock(startMutex);
    registeredStart = std::move(start);
}

bool StartGpsReader(CSerialPort& gpsPort)
{
    GpsReaderStart start;
    {
        std::lock_guard lock(startMutex);
        start = registeredStart;
    }
    return start && start(gpsPort);
}
