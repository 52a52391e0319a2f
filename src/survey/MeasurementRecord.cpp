#include "survey/MeasurementRecord.h"

#include <cstring>

int32_t MeasurementRecord::Raw(int channel, int value) const
{
    const uint8_t* p = &bytes[static_cast<size_t>(12 * channel + 3 * value)];
    int32_t v = p[0] << 16 | p[1] << 8 | p[2];
    return p[0] < 128 ? v : v - 16777216;
}

bool MeasurementRecord::ChannelPresent(int channel) const
{
    if (channel < 0 || channel >= kChannels)
        return false;
    return channel < 8 ? (bytes[168] >> channel) & 1 : (bytes[169] >> (channel - 8)) & 1;
}

uint32_t MeasurementRecord::TimeStamp() const
{
    return uint32_t(bytes[176]) | uint32_t(bytes[177]) << 8 | uint32_t(bytes[178]) << 16 |
           uint32_t(bytes[179]) << 24;
}

void MeasurementRecord::SetTimeStamp(uint32_t ticks)
{
    for (int i = 0; i < 4; ++i)
        bytes[176 + static_cast<size_t>(i)] = static_cast<uint8_t>(ticks >> (8 * i));
}

bool MeasurementRecord::StoreReply(const uint8_t* reply)
{
    std::memcpy(bytes.data(), reply, kReplySize);
    return !Empty();
}

void MeasurementRecord::Clear()
{
    bytes[168] = 0;
    bytes[169] = 0;
    for (size_t i = 175; i < kSize; ++i)
        bytes[i] = 0;
}
