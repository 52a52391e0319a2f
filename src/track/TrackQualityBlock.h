#pragma once
#include <cstddef>
#include <span>
#include <vector>

#include "gps/GpsFix.h"

class ByteWriter;
class ByteReader;

// The quality of every reading's position, kept in a session file right after the track
// body's entries. A reader of the plain layout reads the N entries the body announces and
// stops, so it never sees the block, and a file without one (an older file) is complete:
// its positions are of unknown quality. Little-endian:
//   "LURQ" | u16 version 1 | u16 entry size 10 | u32 count N |
//   N × quality (FixQualityBytes.h) | u32 CRC-32 of everything before it in the block.
namespace session {
constexpr size_t kQualityBlockOverhead = 16;
} // namespace session

// Appends the block for the fixes of the readings, one each.
void WriteTrackQualityBlock(ByteWriter& file, std::span<const GpsFix> fixes);

// Reads the block at the reader's position into the quality of `fixes`, one per reading.
// False, and nothing changed, when there is none or it is cut short, damaged, of another
// version or entry size, or counts other readings.
bool ReadTrackQualityBlock(ByteReader& file, std::vector<GpsFix>& fixes);
