#pragma once
#include <chrono>

// Sets the machine's UTC clock; the GPS reader sets it once from GPS time.
class SystemClockSetter {
public:
    virtual ~SystemClockSetter() = default;
    virtual void SetUtc(std::chrono::system_clock::time_point utc) = 0;
};

// clock_settime(CLOCK_REALTIME). Without the right to set the clock it fails, and the
// failure is ignored: GPS time is a convenience, not a requirement.
class PosixSystemClockSetter final : public SystemClockSetter {
public:
    void SetUtc(std::chrono::system_clock::time_point utc) override;
};
