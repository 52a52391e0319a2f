#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileIO.h"
#include "survey/DataSet.h"
#include "survey/SessionImage.h"

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
} // namespace session

// Writes the common header from the settings: magic, the three texts, calibration date and
// the serial of the last instrument seen (else that of the calibration key).
void WriteSessionHeader(ByteWriter& file, const CSettings& settings);

// Parses and checks a whole session file. On failure returns the reason and leaves image
// unspecified; nothing outside is touched either way.
std::string ParseSession(std::string_view bytes, SessionImage& image);

struct OpenSessionResult {
    std::unique_ptr<DataSet> dataSet; // null when the file was refused
    std::string error;
};

// Reads a session file. A file that is not a complete session changes nothing; otherwise the
// header texts, calibration (InstallSet), work type, grid and used frequencies go into the
// settings and the new data set (unnamed, unmodified, at its first position) is returned.
OpenSessionResult OpenSession(const std::string& path, CSettings& settings);

// Applies an already parsed session to the settings and builds its data set.
std::unique_ptr<DataSet> ApplySession(const SessionImage& image, CSettings& settings);

// Serializes the data set and replaces `path` atomically; on success the data set is named
// `path`, no longer modified, and its journal file is removed. A failed save leaves the old
// file, the flag and the journal as they were.
platform::FileResult SaveSession(DataSet& dataSet, const std::string& path);
