#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "survey/Calibration.h"

// Command codes, frames and reply sizes of the instrument's serial protocol.
namespace frames {

constexpr uint8_t kReadSelected = 0x02;
constexpr uint8_t kReadAll = 0x03;
constexpr uint8_t kBattery = 0x07;
constexpr uint8_t kSeries = 0x0A;

constexpr size_t kReadingReplySize = 176;
constexpr size_t kBatteryReplySize = 2;
constexpr size_t kMaxFrameSize = 9;

struct Frame {
    std::array<uint8_t, kMaxFrameSize> bytes{};
    size_t size = 0;
};

// Bit i set when used-frequency flag i is non-zero; bits 14 and 15 stay clear.
uint16_t FrequencyMask(const std::array<int32_t, kFrequencyCount>& usedFrequencies);

// 02 F1 cc 02 00 hh MH ML 03 for commands 0x02 and 0x03, hh the low byte of F1 + cc + 02.
Frame ReadingFrame(bool selected, uint16_t mask);
// 02 F1 07 01 00 F9 00 03
Frame BatteryFrame();
// 02 F1 0A 02 00 F5 FF FF 03: the instrument takes this exact frame (its header is not a sum).
Frame SeriesFrame();

// Reply size for a command code, 0 for a command the instrument does not know.
size_t ReplySize(uint8_t command);

} // namespace frames
