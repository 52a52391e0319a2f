// Journals of any content: recovery never crashes nor allocates without bound, and what it
// rebuilds saves into a session file that reads back with the same records.
#include <string>
#include <string_view>

#include "Fuzz.h"
#include "survey/ByteStream.h"
#include "session/Crc32.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"

namespace {

// Grids up to the data set's limit are legitimate but take up to ~1 s each to build; they
// would only slow the search down.
bool GridTooSlow(std::string_view bytes)
{
    journal::EntryCursor cursor(bytes);
    journal::Entry entry;
    journal::Begin begin;
    return cursor.Next(entry) && entry.type == journal::kBegin && journal::DecodeBegin(entry.payload, begin) &&
           uint64_t(begin.xSize) * begin.ySize > 4096;
}

// The same bytes with every frame's checksum made right, so that mutated payloads reach
// the decoders and the replay instead of stopping at the checksum.
std::string WithChecksumsFixed(std::string bytes)
{
    size_t pos = journal::kFileHeaderSize;
    while (pos + journal::kEntryOverhead <= bytes.size()) {
        const uint32_t length = uint32_t(uint8_t(bytes[pos])) | uint32_t(uint8_t(bytes[pos + 1])) << 8 |
                                uint32_t(uint8_t(bytes[pos + 2])) << 16 | uint32_t(uint8_t(bytes[pos + 3])) << 24;
        if (length > journal::kMaxPayload || bytes.size() - pos - journal::kEntryOverhead < length)
            break;
        const uint32_t crc = Crc32(bytes.data() + pos, 5 + length);
        for (int i = 0; i < 4; ++i)
            bytes[pos + 5 + length + size_t(i)] = char(uint8_t(crc >> (8 * i)));
        pos += journal::kEntryOverhead + length;
    }
    return bytes;
}

void CheckRecovery(std::string_view bytes)
{
    const JournalSummary summary = SummarizeJournal(bytes);
    if (GridTooSlow(bytes))
        return;
    const RecoveryResult result = RecoverJournal(bytes, FuzzSettings());
    if (!result.dataSet)
        return;
    AbortIf(result.readings > summary.readings);
    ByteWriter file;
    result.dataSet->Serialize(file, false);
    SessionImage image;
    AbortIf(!ParseSession(file.Data(), image).empty() || image.records.size() != result.dataSet->RecordCount());
    for (size_t k = 0; k < image.records.size(); ++k)
        AbortIf(!SameRecord(image.records[k], result.dataSet->Record(k)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckRecovery(bytes);
    CheckRecovery(WithChecksumsFixed(std::string(bytes)));
    return 0;
}
