#include "instrument/CSerialPort.h"

#include <algorithm>

#include "instrument/PosixSerialTransport.h"

namespace {

uint32_t TotalMs(uint32_t multiplier, uint32_t constant, size_t count)
{
    uint64_t total = uint64_t(multiplier) * count + constant;
    return static_cast<uint32_t>(std::min<uint64_t>(total, 0x7FFFFFFF));
}

} // namespace

CSerialPort::CSerialPort(std::unique_ptr<SerialTransport> transport)
    : transport_(transport ? std::move(transport) : std::make_unique<PosixSerialTransport>())
{
}

CSerialPort::~CSerialPort()
{
    Close();
}

bool CSerialPort::Open(const std::string& device, const SerialLine* line, const SerialTimeouts* timeouts,
                       uint32_t baud)
{
    if (IsOpen())
        Close();
    SerialLine applied;
    if (line)
        applied = *line;
    else
        applied.baud = baud;
    if (!transport_->Open(device, applied))
        return false;
    timeouts_ = timeouts ? *timeouts : SerialTimeouts{};
    return true;
}

bool CSerialPort::Close()
{
    return transport_->Close();
}

bool CSerialPort::IsOpen() const
{
    return transport_->IsOpen();
}

bool CSerialPort::Read(void* buffer, size_t count, size_t& bytesRead)
{
    ReadWait wait;
    wait.totalMs = TotalMs(timeouts_.readTotalMultiplier, timeouts_.readTotalConstant, count);
    wait.intervalMs = timeouts_.readInterval == SerialTimeouts::kNoInterval ? 0 : timeouts_.readInterval;
    return transport_->Read(static_cast<uint8_t*>(buffer), count, wait, bytesRead);
}

bool CSerialPort::Write(const void* buffer, size_t count, size_t& bytesWritten)
{
    uint32_t timeout = TotalMs(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, count);
    return transport_->Write(static_cast<const uint8_t*>(buffer), count, timeout, bytesWritten);
}

bool CSerialPort::Purge()
{
    return transport_->Purge();
}

bool CSerialPort::LinkLost() const
{
    return transport_->LinkLost();
}
