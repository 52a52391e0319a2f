#include "track/TrackQualityBlock.h"

#include <string_view>

#include "session/Crc32.h"
#include "survey/ByteReader.h"
#include "survey/ByteStream.h"
#include "track/FixQualityBytes.h"

namespace {

constexpr char kTag[4] = {'L', 'U', 'R', 'Q'};
constexpr uint16_t kVersion = 1;

} // namespace

void WriteTrackQualityBlock(ByteWriter& file, std::span<const GpsFix> fixes)
{
    ByteWriter block;
    block.Bytes(kTag, sizeof kTag);
    block.U16(kVersion);
    block.U16(uint16_t(kFixQualitySize));
    block.U32(uint32_t(fixes.size()));
    for (const GpsFix& fix : fixes)
        WriteFixQuality(block, fix.quality);
    block.U32(Crc32(block.Data().data(), block.Data().size()));
    file.Bytes(block.Data().data(), block.Data().size());
}

bool ReadTrackQualityBlock(ByteReader& file, std::vector<GpsFix>& fixes)
{
    const size_t bodySize = 12 + fixes.size() * kFixQualitySize;
    if (file.Remaining() < bodySize + 4)
        return false;
    std::string block(bodySize, '\0');
    file.Bytes(block.data(), bodySize);
    const uint32_t crc = file.U32();
    ByteReader in(block);
    char tag[4] = {};
    in.Bytes(tag, 4);
    const uint16_t version = in.U16();
    const uint16_t entrySize = in.U16();
    const uint32_t count = in.U32();
    if (std::string_view(tag, 4) != std::string_view(kTag, 4) || version != kVersion ||
        entrySize != kFixQualitySize || count != fixes.size() || Crc32(block.data(), block.size()) != crc)
        return false;
    for (GpsFix& fix : fixes)
        fix.quality = ReadFixQuality(in);
    return true;
}
