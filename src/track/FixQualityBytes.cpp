#include "track/FixQualityBytes.h"

#include <cmath>

#include "survey/ByteReader.h"
#include "survey/ByteStream.h"

namespace {

constexpr uint8_t kPlacedOk = 1;

uint16_t HdopHundredths(double hdop)
{
    if (!(hdop > 0)) // NaN too
        return 0;
    return hdop >= 655.35 ? 65535 : uint16_t(std::lround(hdop * 100));
}

} // namespace

void WriteFixQuality(ByteWriter& out, const GpsFixQuality& quality)
{
    out.U8(quality.ggaQuality);
    out.U8(quality.fixType);
    out.U8(quality.satellitesUsed);
    out.U8(quality.placedOk ? kPlacedOk : 0);
    out.U16(HdopHundredths(quality.hdop));
    out.U32(quality.ageMs);
}

GpsFixQuality ReadFixQuality(ByteReader& in)
{
    GpsFixQuality quality;
    quality.ggaQuality = in.U8();
    quality.fixType = in.U8();
    quality.satellitesUsed = in.U8();
    quality.placedOk = (in.U8() & kPlacedOk) != 0;
    quality.hdop = in.U16() / 100.0;
    quality.ageMs = in.U32();
    return quality;
}
