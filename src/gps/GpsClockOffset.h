#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

// How far GPS time is ahead of the machine's clock. The program never sets the clock (that
// is the time daemon's job); it keeps this offset to show GPS time and to judge the clock.
// Thread-safe: the GPS reader measures, any thread reads.
class GpsClockOffset {
public:
    using SystemNow = std::function<std::chrono::system_clock::time_point()>;

    // `systemNow` reads the machine's clock; tests give a fixed one.
    explicit GpsClockOffset(SystemNow systemNow = [] { return std::chrono::system_clock::now(); });

    // GPS time `gpsUtc` holds now: keeps gpsUtc minus the machine's time.
    void Measure(std::chrono::system_clock::time_point gpsUtc);
    // Empty until the first measurement.
    std::optional<std::chrono::milliseconds> Offset() const;
    // The time of day as GPS tells it: the machine's clock, corrected once a fix has dated it.
    std::chrono::system_clock::time_point Now() const;

private:
    static constexpr int64_t kNone = INT64_MIN;

    SystemNow systemNow_;
    std::atomic<int64_t> offsetMs_{kNone};
};
