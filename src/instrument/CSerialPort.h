#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "instrument/SerialSettings.h"
#include "instrument/SerialTransport.h"

// One serial port. Used by one thread at a time, except that Close may come from another
// thread and then ends a pending Read promptly (it fails).
class CSerialPort {
public:
    // Without a transport the port drives a real device through termios.
    explicit CSerialPort(std::unique_ptr<SerialTransport> transport = nullptr);
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens a device path. Without `line` the port runs raw 8N1 at `baud`; without
    // `timeouts` the defaults of SerialTimeouts. On failure errno says why.
    virtual bool Open(const std::string& device, const SerialLine* line, const SerialTimeouts* timeouts,
                      uint32_t baud);
    virtual bool Close();
    virtual bool IsOpen() const;
    // Waits at most readTotalMultiplier × count + readTotalConstant ms; true with 0 bytes
    // when nothing came; false when the port is closed or the peer has gone.
    virtual bool Read(void* buffer, size_t count, size_t& bytesRead);
    virtual bool Write(const void* buffer, size_t count, size_t& bytesWritten);

    // Discards everything pending in both directions.
    bool Purge();
    // True when the port is closed or its peer has hung up: further reads cannot succeed.
    bool LinkLost() const;
    const SerialTimeouts& Timeouts() const { return timeouts_; }

private:
    std::unique_ptr<SerialTransport> transport_;
    SerialTimeouts timeouts_;
};
