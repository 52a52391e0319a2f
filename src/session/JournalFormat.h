#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "gps/GpsFix.h"
#include "survey/Calibration.h"
#include "survey/MeasurementRecord.h"

// Layout of acquisition journals, shared by the writer and the reader. Little-endian.
// File: "LURJ", u32 version, then entries, each
//   u32 payload length | u8 type | payload | u32 CRC-32 of the length, type and payload.
// A checksum that fails marks a torn or damaged entry: everything before it stands.
namespace journal {

constexpr char kMagic[4] = {'L', 'U', 'R', 'J'};
constexpr uint32_t kVersion = 1;
constexpr size_t kFileHeaderSize = 8;
constexpr size_t kEntryOverhead = 9;
// No entry of ours comes near this; a longer length is damage, never an allocation.
constexpr uint32_t kMaxPayload = 4096;
// Header texts are kept up to this many UTF-8 bytes: more than a session file's 255
// code-page bytes can come from.
constexpr size_t kMaxTextBytes = 1024;
constexpr const char* kFileSuffix = ".lurj";

// Payloads (u32 unless said, a fix is f64 latitude, f64 longitude, u32 tick):
//   kTrackReading: index | record (180 bytes) | cursor after it | fix | quality (10 bytes)
//   kFix:          index | fix | quality
// with the quality as track/FixQualityBytes.h lays it out. Journals written before
// positions had a quality lack it (208- and 24-byte payloads); both sizes are read.
enum EntryType : uint8_t {
    kBegin = 1,          // the data set's kind and grid; always the first entry
    kState = 2,          // settings a save writes; again whenever they change
    kSurveyReading = 3,  // storage index, record, position (p, s) after it
    kTrackReading = 4,   // index, record, cursor after it, its fix with its quality
    kFix = 5,            // a later position for the reading at an index, with its quality
    kCurrentFix = 6,     // the live position
};

struct Begin {
    bool track = false;
    int32_t workType = 0;
    uint32_t xSize = 0; // the survey data set's own grid (0: open-ended profile)
    uint32_t ySize = 0;
    int64_t created = 0; // seconds since the epoch
};

struct State {
    std::array<std::string, 3> texts; // header texts, UTF-8
    CalibrationKey key;
    int32_t reportedSerial = 0;
    int32_t extra1 = 0;
    int32_t extra2 = 0;
    float xStep = 0;
    float yStep = 0;
    std::array<uint8_t, 14> usedFrequencies{};

    bool operator==(const State&) const = default;
};

struct Reading {
    uint32_t index = 0;
    MeasurementRecord record;
    uint32_t positionA = 0; // survey: profile; track: cursor
    uint32_t positionB = 0; // survey: station
    GpsFix fix;             // track only
};

std::string FileHeader();
// Appends one framed entry to `out`.
void AppendEntry(std::string& out, EntryType type, std::string_view payload);

std::string EncodeBegin(const Begin& begin);
std::string EncodeState(const State& state);
std::string EncodeReading(const Reading& reading, bool track);
std::string EncodeFix(uint32_t index, const GpsFix& fix);
std::string EncodeCurrentFix(const GpsFix& fix);

// Decoders: false when the payload does not have exactly the shape of its type, or holds
// values no writer produces (steps that are not finite).
bool DecodeBegin(std::string_view payload, Begin& begin);
bool DecodeState(std::string_view payload, State& state);
bool DecodeReading(std::string_view payload, bool track, Reading& reading);
bool DecodeFix(std::string_view payload, uint32_t& index, GpsFix& fix);
bool DecodeCurrentFix(std::string_view payload, GpsFix& fix);

struct Entry {
    EntryType type = kBegin;
    std::string_view payload;
};

// Walks the framed entries of a whole journal; views point into `file`.
class EntryCursor {
public:
    explicit EntryCursor(std::string_view file);
    // The next intact entry; false at the end or at the first damaged entry (Problem()).
    bool Next(Entry& entry);
    // Empty at a clean end; otherwise why reading stopped.
    const std::string& Problem() const { return problem_; }
    // Bytes up to the end of the last intact entry.
    size_t IntactBytes() const { return pos_; }
    // Reading stopped at an entry that ends the file unfinished: a write cut short by a
    // crash, which was never reported as done. Everything ever flushed came before it.
    bool TornTail() const { return tornTail_; }

private:
    std::string_view file_;
    size_t pos_ = 0;
    std::string problem_;
    bool tornTail_ = false;
};

} // namespace journal
