#pragma once
#include <cstddef>

#include "survey/DataSet.h"

class ByteWriter;
class CSettings;

// Session files (.lur): common header, dispatch block, survey or track body. Little-endian.
namespace session {
constexpr size_t kHeaderSize = 782;
constexpr size_t kTextFieldSize = 256;
constexpr size_t kSurveyRecordsOffset = 828;
constexpr size_t kTrackEntriesOffset = 800;
constexpr size_t kTrackEntrySize = 196;
constexpr size_t kTrackEntrySizeWithoutFix = 180;
// Larger files are refused unread: more than the most records a data set may hold.
constexpr size_t kMaxFileSize = kTrackEntriesOffset + DataSet::kMaxRecords * kTrackEntrySize;
inline constexpr char kMagic[4] = {'L', 'U', 'R', 0};
} // namespace session

// Writes the common header from the settings: magic, the three texts, calibration date and
// the serial of the last instrument seen (else that of the calibration key).
void WriteSessionHeader(ByteWriter& file, const CSettings& settings);
