#pragma once
#include <cstddef>

#include "gps/GpsFix.h"

class ByteReader;
class ByteWriter;

// A position's quality as journals and session files keep it, 10 bytes little-endian:
//   u8 GGA quality (0xFF unknown) | u8 GSA fix type | u8 satellites used |
//   u8 flags (bit 0: placed well; the others 0) | u16 HDOP in hundredths (0 unknown) |
//   u32 age in ms.
// An HDOP past 655.35 is kept as 655.35. Every 10 bytes read as some quality, which
// writes back as the same bytes save for unused flag bits.
constexpr size_t kFixQualitySize = 10;

void WriteFixQuality(ByteWriter& out, const GpsFixQuality& quality);
GpsFixQuality ReadFixQuality(ByteReader& in);
