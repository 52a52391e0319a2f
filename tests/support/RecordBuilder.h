#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "survey/MeasurementRecord.h"

namespace testing_support {

// Writes value `value` (0..3) of channel block `channel` as a 24-bit big-endian
// two's-complement number, as the instrument sends it.
inline void Put24(MeasurementRecord& r, int channel, int value, int32_t v)
{
    const uint32_t u = uint32_t(v) & 0xFFFFFF;
    const size_t at = size_t(12 * channel + 3 * value);
    r.bytes[at] = uint8_t(u >> 16);
    r.bytes[at + 1] = uint8_t(u >> 8);
    r.bytes[at + 2] = uint8_t(u);
}

inline void SetPresent(MeasurementRecord& r, int channel)
{
    if (channel < 8)
        r.bytes[168] = uint8_t(r.bytes[168] | (1 << channel));
    else
        r.bytes[169] = uint8_t(r.bytes[169] | (1 << (channel - 8)));
}

// A record with the given raw values on one channel, marked present.
inline void PutChannel(MeasurementRecord& r, int channel, int32_t sq, int32_t si, int32_t cq, int32_t ci)
{
    Put24(r, channel, 0, sq);
    Put24(r, channel, 1, si);
    Put24(r, channel, 2, cq);
    Put24(r, channel, 3, ci);
    SetPresent(r, channel);
}

// A measured record whose bytes are recognisable by `seed` (serial and stamp included).
inline MeasurementRecord SampleRecord(uint32_t seed, uint8_t serial = 7)
{
    MeasurementRecord r;
    for (size_t i = 0; i < 168; ++i)
        r.bytes[i] = uint8_t(seed * 31 + i);
    r.bytes[168] = 0xFF;
    r.bytes[169] = 0x3F;
    for (size_t i = 170; i < 175; ++i)
        r.bytes[i] = uint8_t(seed + i);
    r.bytes[175] = serial;
    r.SetTimeStamp(1000 + seed);
    return r;
}

// Byte-for-byte equality of two record arrays.
inline bool SameRecords(const std::vector<MeasurementRecord>& a, const std::vector<MeasurementRecord>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].bytes != b[i].bytes)
            return false;
    return true;
}

// The same records where either holds a reading; empty ones past the end of the shorter
// array count as missing.
inline bool SameMeasured(const std::vector<MeasurementRecord>& a, const std::vector<MeasurementRecord>& b)
{
    const MeasurementRecord empty{};
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const MeasurementRecord& x = i < a.size() ? a[i] : empty;
        const MeasurementRecord& y = i < b.size() ? b[i] : empty;
        if ((!x.Empty() || !y.Empty()) && x.bytes != y.bytes)
            return false;
    }
    return true;
}

} // namespace testing_support
