#include "gps/GpsClockOffset.h"

GpsClockOffset::GpsClockOffset(SystemNow systemNow) : systemNow_(std::move(systemNow)) {}

void GpsClockOffset::Measure(std::chrono::system_clock::time_point gpsUtc)
{
    using namespace std::chrono;
    offsetMs_.store(duration_cast<milliseconds>(gpsUtc - systemNow_()).count());
}

std::optional<std::chrono::milliseconds> GpsClockOffset::Offset() const
{
    const int64_t value = offsetMs_.load();
    if (value == kNone)
        return std::nullopt;
    return std::chrono::milliseconds(value);
}

std::chrono::system_clock::time_point GpsClockOffset::Now() const
{
    const auto now = systemNow_();
    const std::optional<std::chrono::milliseconds> offset = Offset();
    return offset ? now + *offset : now;
}
