// Session files of any content: what the opener accepts builds a data set whose saved file
// opens again with the same records and positions, and saves to the very same bytes.
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzSettings.h"
#include "survey/ByteStream.h"
#include "session/SessionFile.h"
#include "track/TrackDataSet.h"

namespace {

bool SameRecord(const MeasurementRecord& a, const MeasurementRecord& b) { return a.bytes == b.bytes; }

bool SameFix(const GpsFix& a, const GpsFix& b) { return a.latitude == b.latitude && a.longitude == b.longitude; }

// The file the data set saves, and the check that it opens with what the data set holds.
std::string SavedAndChecked(DataSet& dataSet)
{
    ByteWriter file;
    if (!dataSet.Serialize(file, false))
        std::abort();
    SessionImage image;
    if (!ParseSession(file.Data(), image).empty() || image.records.size() != dataSet.RecordCount())
        std::abort();
    for (size_t k = 0; k < image.records.size(); ++k)
        if (!SameRecord(image.records[k], dataSet.Record(k)))
            std::abort();
    if (auto* track = AsTrack(dataSet)) {
        if (!image.track || track->FixCount() != image.fixes.size())
            std::abort();
        for (size_t k = 0; k < image.fixes.size(); ++k)
            if (!SameFix(image.fixes[k], track->FixAt(k)))
                std::abort();
    } else if (image.track) {
        std::abort();
    }
    return file.Data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSettings& settings = FuzzSettings();
    settings.SetDefaults();
    SessionImage image;
    if (!ParseSession(std::string_view(reinterpret_cast<const char*>(data), size), image).empty())
        return 0;
    const std::unique_ptr<DataSet> opened = ApplySession(image, settings);
    if (!opened || opened->Modified() || opened->RecordCount() < image.records.size())
        std::abort();
    // Every record of the file is where the file put it.
    for (size_t k = 0; k < image.records.size(); ++k)
        if (!SameRecord(image.records[k], opened->Record(k)))
            std::abort();
    const std::string saved = SavedAndChecked(*opened);

    SessionImage again;
    if (!ParseSession(saved, again).empty())
        std::abort();
    const std::unique_ptr<DataSet> reopened = ApplySession(again, settings);
    if (SavedAndChecked(*reopened) != saved)
        std::abort();
    return 0;
}
