#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// One reading: the instrument's 176-byte reply exactly as received, then a little-endian
// u32 tick stamp. Kept by value, 180 bytes, in the data sets' record arrays and in files.
struct MeasurementRecord {
    static constexpr size_t kReplySize = 176;
    static constexpr size_t kSize = 180;
    static constexpr int kChannels = 14;

    std::array<uint8_t, kSize> bytes{};

    // Signed 24-bit big-endian value `value` (0..3) of channel block `channel`.
    int32_t Raw(int channel, int value) const;
    // Signal values shifted right by 7 (rounding toward minus infinity); currents unshifted.
    int32_t SignalQuadrature(int channel) const { return Raw(channel, 0) >> 7; }
    int32_t SignalInphase(int channel) const { return Raw(channel, 1) >> 7; }
    int32_t CurrentReal(int channel) const { return Raw(channel, 2); }
    int32_t CurrentImaginary(int channel) const { return Raw(channel, 3); }

    bool Empty() const { return bytes[168] == 0 && (bytes[169] & 0x3F) == 0; }
    bool ChannelPresent(int channel) const;
    uint8_t SerialNumber() const { return Empty() ? 0 : bytes[175]; }

    uint32_t TimeStamp() const;
    void SetTimeStamp(uint32_t ticks);

    // Copies a reply into the first 176 bytes; true when the result is not empty.
    bool StoreReply(const uint8_t* reply);
    // Zeroes the presence bits, the serial number and the time stamp.
    void Clear();
};
static_assert(sizeof(MeasurementRecord) == MeasurementRecord::kSize);
