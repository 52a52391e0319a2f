#pragma once
#include <atomic>
#include <mutex>

#include "instrument/SerialTransport.h"

// A serial device (or pseudo-terminal slave) through termios: raw 8-bit, no flow control,
// non-blocking descriptor driven by poll(). Read/Write/Purge belong to one thread at a time;
// Close may be called from any thread and wakes a pending read, which then fails.
class PosixSerialTransport final : public SerialTransport {
public:
    PosixSerialTransport();
    ~PosixSerialTransport() override;
    PosixSerialTransport(const PosixSerialTransport&) = delete;
    PosixSerialTransport& operator=(const PosixSerialTransport&) = delete;

    bool Open(const std::string& device, const SerialLine& line) override;
    bool Close() override;
    bool IsOpen() const override { return fd_.load() >= 0; }
    bool Read(uint8_t* buffer, size_t count, const ReadWait& wait, size_t& got) override;
    bool Write(const uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t& written) override;
    bool Purge() override;
    bool LinkLost() const override { return !IsOpen() || hungUp_.load(); }

private:
    // Waits for `events` on the device or a wake-up; false on wake-up, hang-up or error.
    bool WaitFor(short events, int timeoutMs, bool& ready);
    bool CloseLocked();
    void DrainWake();

    std::mutex ioMutex_;
    std::atomic<int> fd_{-1};
    std::atomic<bool> hungUp_{false};
    int wake_[2] = {-1, -1};
};
