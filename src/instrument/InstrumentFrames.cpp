#include "instrument/InstrumentFrames.h"

namespace frames {

namespace {

Frame Build(uint8_t command, const uint8_t* payload, uint8_t length)
{
    Frame frame;
    auto& b = frame.bytes;
    b[0] = 0x02;
    b[1] = 0xF1;
    b[2] = command;
    b[3] = length;
    b[4] = 0x00;
    b[5] = static_cast<uint8_t>(b[1] + b[2] + b[3] + b[4]);
    for (uint8_t i = 0; i < length; ++i)
        b[6 + i] = payload[i];
    b[6 + length] = 0x03;
    frame.size = 7u + length;
    return frame;
}

} // namespace

uint16_t FrequencyMask(const std::array<int32_t, kFrequencyCount>& usedFrequencies)
{
    uint16_t mask = 0;
    for (int i = 0; i < kFrequencyCount; ++i)
        if (usedFrequencies[static_cast<size_t>(i)] != 0)
            mask = static_cast<uint16_t>(mask | 1u << i);
    return mask;
}

Frame ReadingFrame(bool selected, uint16_t mask)
{
    const uint8_t payload[2] = {static_cast<uint8_t>(mask >> 8), static_cast<uint8_t>(mask & 0xFF)};
    return Build(selected ? kReadSelected : kReadAll, payload, 2);
}

Frame BatteryFrame()
{
    const uint8_t payload[1] = {0x00};
    return Build(kBattery, payload, 1);
}

Frame SeriesFrame()
{
    const uint8_t payload[2] = {0xFF, 0xFF};
    Frame frame = Build(kSeries, payload, 2);
    frame.bytes[5] = 0xF5;
    return frame;
}

size_t ReplySize(uint8_t command)
{
    switch (command) {
    case kReadSelected:
    case kReadAll:
    case kSeries:
        return kReadingReplySize;
    case kBattery:
        return kBatteryReplySize;
    default:
        return 0;
    }
}

} // namespace frames
