#include "track/TrackBody.h"

#include <cmath>

#include "survey/ByteStream.h"
#include "survey/SessionImage.h"
#include "survey/SessionLayout.h"
#include "track/TrackQualityBlock.h"

namespace {

// Coordinates that are no position on Earth are kept as "no position yet".
GpsFix FixFrom(double longitude, double latitude)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90 ||
        std::fabs(longitude) > 180)
        return {};
    return {latitude, longitude, 0};
}

} // namespace

std::string ParseTrackBody(ByteReader& file, SessionImage& image)
{
    const uint32_t count = file.U32();
    image.trackFlags = file.U32();
    const uint32_t entriesOffset = file.U32();
    if (!file.Ok())
        return "the track body is cut short";
    if (count > DataSet::kMaxRecords)
        return "the record count is impossible";
    if (!file.Seek(entriesOffset))
        return "the entries offset lies past the end of the file";
    const bool withFixes = (image.trackFlags & 2) == 0;
    const size_t entry = withFixes ? session::kTrackEntrySize : session::kTrackEntrySizeWithoutFix;
    if (uint64_t(count) * entry > file.Remaining())
        return "the file is shorter than its " + std::to_string(count) + " readings";
    image.records.resize(count);
    image.fixes.resize(count);
    for (uint32_t k = 0; k < count; ++k) {
        file.Bytes(image.records[k].bytes.data(), MeasurementRecord::kSize);
        if (withFixes) {
            const double longitude = file.F64();
            const double latitude = file.F64();
            image.fixes[k] = FixFrom(longitude, latitude);
        }
    }
    // Whatever follows the entries is ours to read or not: a block that does not check out
    // leaves the positions of unknown quality.
    if (withFixes)
        ReadTrackQualityBlock(file, image.fixes);
    return {};
}
