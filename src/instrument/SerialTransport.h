#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "instrument/SerialSettings.h"

// How long one read may wait, already worked out from the time-outs and the byte count.
struct ReadWait {
    uint32_t totalMs = 0;    // 0: return at once with what is there
    uint32_t intervalMs = 0; // 0: no limit between bytes
};

// The byte stream under a serial port: a device on POSIX, or an in-memory fake in tests.
// Read and Write are used by one thread; Close may come from another and ends a pending read.
class SerialTransport {
public:
    virtual ~SerialTransport() = default;
    virtual bool Open(const std::string& device, const SerialLine& line) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    // Waits for `count` bytes within `wait`; true with got = 0 when nothing came in time.
    virtual bool Read(uint8_t* buffer, size_t count, const ReadWait& wait, size_t& got) = 0;
    virtual bool Write(const uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t& written) = 0;
    // Discards everything pending in both directions.
    virtual bool Purge() = 0;
    // True once the peer has gone (hang-up, end of file) or the transport was closed.
    virtual bool LinkLost() const = 0;
};
