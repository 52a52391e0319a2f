#pragma once
#include <cstddef>
#include <cstdint>

// The port the GPS reader reads. Used by one thread at a time: opened before the reader
// starts, then read and closed by the reader thread.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool IsOpen() const = 0;
    // Reads up to `count` bytes, waiting at most the source's read time-out; `read` is 0 when
    // nothing came. False on failure, with the errno value in LastError().
    virtual bool Read(uint8_t* buffer, size_t count, size_t& read) = 0;
    virtual int LastError() const = 0;
    virtual bool Close() = 0;
};
