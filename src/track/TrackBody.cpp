#include "track/TrackBody.h"

#include <algorithm>
#include <cmath>

#include "survey/SessionLayout.h"
#include "survey/ByteReader.h"
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

std::string ParseTrackBody(ByteReader& file, SessionImage& image, const ReadingVisitor& visit, CutShortFile cutShort)
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
    const std::string shorter = "the file is shorter than its " + std::to_string(count) + " readings";
    image.announced = count;
    image.intact = uint32_t(std::min<uint64_t>(count, file.Remaining() / entry));
    if (image.intact < count && cutShort == CutShortFile::Refuse)
        return shorter;
    if (!visit) {
        image.records.reserve(image.intact);
        image.fixes.reserve(image.intact);
    }
    MeasurementRecord visitedRecord;
    GpsFix visitedFix;
    for (uint32_t k = 0; k < image.intact && file.Ok(); ++k) {
        MeasurementRecord& record = visit ? visitedRecord : image.records.emplace_back();
        GpsFix& fix = visit ? visitedFix : image.fixes.emplace_back();
        file.Bytes(record.bytes.data(), MeasurementRecord::kSize);
        if (withFixes) {
            const double longitude = file.F64();
            const double latitude = file.F64();
            fix = FixFrom(longitude, latitude);
        }
        if (visit && file.Ok())
            visit(record, fix);
    }
    // A file read from disk can still end early: it may have shrunk since it was opened.
    if (!file.Ok())
        return shorter;
    // Whatever follows the entries is ours to read or not: a block that does not check out
    // leaves the positions of unknown quality.
    if (withFixes && !visit && image.intact == count)
        ReadTrackQualityBlock(file, image.fixes);
    return {};
}
