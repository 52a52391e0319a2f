#include "session/JournalFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "survey/ByteReader.h"
#include "survey/ByteStream.h"
#include "session/Crc32.h"
#include "track/FixQualityBytes.h"

namespace journal {
namespace {

void F32(ByteWriter& out, float v)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    out.U32(bits);
}

float F32(ByteReader& in)
{
    const uint32_t bits = in.U32();
    float v = 0;
    std::memcpy(&v, &bits, 4);
    return v;
}

void WriteFix(ByteWriter& out, const GpsFix& fix)
{
    out.F64(fix.latitude);
    out.F64(fix.longitude);
    out.U32(fix.tick);
}

GpsFix ReadFix(ByteReader& in)
{
    GpsFix fix;
    fix.latitude = in.F64();
    fix.longitude = in.F64();
    fix.tick = in.U32();
    return fix;
}

// A reading's position with its quality; journals written before positions had one end
// after the fix, and their positions keep the unknown quality.
void WriteReadingFix(ByteWriter& out, const GpsFix& fix)
{
    WriteFix(out, fix);
    WriteFixQuality(out, fix.quality);
}

GpsFix ReadReadingFix(ByteReader& in)
{
    GpsFix fix = ReadFix(in);
    if (in.Remaining() == kFixQualitySize)
        fix.quality = ReadFixQuality(in);
    return fix;
}

// A decode succeeds only when every read fitted and nothing is left over.
bool Exact(const ByteReader& in) { return in.Ok() && in.Remaining() == 0; }

uint32_t Little32(const char* p)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uint8_t(p[i]);
    return v;
}

} // namespace

std::string FileHeader()
{
    ByteWriter out;
    out.Bytes(kMagic, sizeof kMagic);
    out.U32(kVersion);
    return out.Data();
}

void AppendEntry(std::string& out, EntryType type, std::string_view payload)
{
    ByteWriter frame;
    frame.U32(uint32_t(payload.size()));
    frame.U8(type);
    frame.Bytes(payload.data(), payload.size());
    frame.U32(Crc32(frame.Data().data(), frame.Data().size()));
    out += frame.Data();
}

std::string EncodeBegin(const Begin& begin)
{
    ByteWriter out;
    out.U8(begin.track ? 1 : 0);
    out.U32(uint32_t(begin.workType));
    out.U32(begin.xSize);
    out.U32(begin.ySize);
    out.U32(uint32_t(uint64_t(begin.created)));
    out.U32(uint32_t(uint64_t(begin.created) >> 32));
    return out.Data();
}

bool DecodeBegin(std::string_view payload, Begin& begin)
{
    ByteReader in(payload);
    const uint8_t kind = in.U8();
    begin.track = kind == 1;
    begin.workType = int32_t(in.U32());
    begin.xSize = in.U32();
    begin.ySize = in.U32();
    const uint64_t low = in.U32();
    begin.created = int64_t(uint64_t(in.U32()) << 32 | low);
    return Exact(in) && kind <= 1;
}

std::string EncodeState(const State& state)
{
    ByteWriter out;
    for (const std::string& text : state.texts) {
        const size_t size = std::min(text.size(), kMaxTextBytes);
        out.U16(uint16_t(size));
        out.Bytes(text.data(), size);
    }
    out.U16(state.key.serial);
    out.U16(state.key.year);
    out.U8(state.key.month);
    out.U8(state.key.day);
    out.U32(uint32_t(state.reportedSerial));
    out.U32(uint32_t(state.extra1));
    out.U32(uint32_t(state.extra2));
    F32(out, state.xStep);
    F32(out, state.yStep);
    out.Bytes(state.usedFrequencies.data(), state.usedFrequencies.size());
    return out.Data();
}

bool DecodeState(std::string_view payload, State& state)
{
    ByteReader in(payload);
    for (std::string& text : state.texts) {
        const uint16_t size = in.U16();
        if (!in.Ok() || size > kMaxTextBytes || size > in.Remaining())
            return false;
        text.assign(payload.substr(payload.size() - in.Remaining(), size));
        in.Seek(payload.size() - in.Remaining() + size);
    }
    state.key.serial = in.U16();
    state.key.year = in.U16();
    state.key.month = in.U8();
    state.key.day = in.U8();
    state.reportedSerial = int32_t(in.U32());
    state.extra1 = int32_t(in.U32());
    state.extra2 = int32_t(in.U32());
    state.xStep = F32(in);
    state.yStep = F32(in);
    in.Bytes(state.usedFrequencies.data(), state.usedFrequencies.size());
    // Steps that are no numbers would make the saved session unreadable.
    return Exact(in) && std::isfinite(state.xStep) && std::isfinite(state.yStep);
}

std::string EncodeReading(const Reading& reading, bool track)
{
    ByteWriter out;
    out.U32(reading.index);
    out.Bytes(reading.record.bytes.data(), MeasurementRecord::kSize);
    out.U32(reading.positionA);
    if (track)
        WriteReadingFix(out, reading.fix);
    else
        out.U32(reading.positionB);
    return out.Data();
}

bool DecodeReading(std::string_view payload, bool track, Reading& reading)
{
    ByteReader in(payload);
    reading.index = in.U32();
    in.Bytes(reading.record.bytes.data(), MeasurementRecord::kSize);
    reading.positionA = in.U32();
    if (track)
        reading.fix = ReadReadingFix(in);
    else
        reading.positionB = in.U32();
    return Exact(in);
}

std::string EncodeFix(uint32_t index, const GpsFix& fix)
{
    ByteWriter out;
    out.U32(index);
    WriteReadingFix(out, fix);
    return out.Data();
}

bool DecodeFix(std::string_view payload, uint32_t& index, GpsFix& fix)
{
    ByteReader in(payload);
    index = in.U32();
    fix = ReadReadingFix(in);
    return Exact(in);
}

std::string EncodeCurrentFix(const GpsFix& fix)
{
    ByteWriter out;
    WriteFix(out, fix);
    return out.Data();
}

bool DecodeCurrentFix(std::string_view payload, GpsFix& fix)
{
    ByteReader in(payload);
    fix = ReadFix(in);
    return Exact(in);
}

EntryCursor::EntryCursor(std::string_view file) : file_(file)
{
    if (file.size() < kFileHeaderSize || file.substr(0, 4) != std::string_view(kMagic, 4))
        problem_ = "not an acquisition journal";
    else if (Little32(file.data() + 4) != kVersion)
        problem_ = "journal version " + std::to_string(Little32(file.data() + 4)) + " is not supported";
    else
        pos_ = kFileHeaderSize;
}

bool EntryCursor::Next(Entry& entry)
{
    if (!problem_.empty() || pos_ == file_.size())
        return false;
    const size_t left = file_.size() - pos_;
    const char* at = file_.data() + pos_;
    if (left < kEntryOverhead) {
        problem_ = "the last entry is cut short at offset " + std::to_string(pos_);
        tornTail_ = true;
        return false;
    }
    const uint32_t length = Little32(at);
    if (length > kMaxPayload) {
        problem_ = "impossible entry length " + std::to_string(length) + " at offset " + std::to_string(pos_);
        return false;
    }
    if (left < kEntryOverhead + length) {
        problem_ = "the last entry is cut short at offset " + std::to_string(pos_);
        tornTail_ = true;
        return false;
    }
    if (Crc32(at, 5 + length) != Little32(at + 5 + length)) {
        problem_ = "checksum mismatch in the entry at offset " + std::to_string(pos_);
        tornTail_ = left == kEntryOverhead + length;
        return false;
    }
    entry.type = EntryType(uint8_t(at[4]));
    entry.payload = file_.substr(pos_ + 5, length);
    pos_ += kEntryOverhead + length;
    return true;
}

} // namespace journal
