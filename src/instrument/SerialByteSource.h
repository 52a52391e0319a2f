#pragma once
#include "gps/ByteSource.h"
#include "instrument/CSerialPort.h"

// The GPS port as the GPS reader's byte source: reads wait the port's time-out. Used by one
// thread at a time, as the port is.
class SerialByteSource final : public ByteSource {
public:
    explicit SerialByteSource(CSerialPort& port) : port_(port) {}

    bool IsOpen() const override { return port_.IsOpen(); }
    bool Read(uint8_t* buffer, size_t count, size_t& read) override;
    int LastError() const override { return lastError_; }
    bool Close() override { return port_.Close(); }

private:
    CSerialPort& port_;
    int lastError_ = 0;
};
