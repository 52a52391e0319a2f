#pragma once
#include <atomic>
#include <cstdint>

namespace platform {

// Millisecond tick count that wraps at 2^32, as instrument and GPS stamps expect.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Now() const = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// The process clock: steady_clock milliseconds, truncated to 32 bits.
class SteadyClock final : public Clock {
public:
    uint32_t Now() const override;
    void Sleep(uint32_t ms) override;
};

// A clock that only moves when told to; Sleep advances it, so waits cost no real time.
// Thread-safe: tests may advance it from one thread while another reads it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t Now() const override { return now_.load(); }
    void Sleep(uint32_t ms) override { Advance(ms); }
    void Advance(uint32_t ms) { now_.fetch_add(ms); }
    void Set(uint32_t ticks) { now_.store(ticks); }

private:
    std::atomic<uint32_t> now_;
};

// The clock used by default across the program.
Clock& SystemTicks();

} // namespace platform
