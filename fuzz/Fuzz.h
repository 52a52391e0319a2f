#pragma once
#include <cstdlib>
#include <string>

#include "session/SessionFile.h"
#include "settings/CSettings.h"
#include "survey/ByteStream.h"
#include "track/TrackDataSet.h"

// A broken property ends the run where libFuzzer sees it.
inline void AbortIf(bool broken)
{
    if (broken)
        std::abort();
}

inline void Check(bool holds) { AbortIf(!holds); }

// The settings object of a fuzz target: defaults, from files that do not exist, and never
// written (no Release()).
inline CSettings& FuzzSettings()
{
    static CSettings& settings = []() -> CSettings& {
        CSettings::SetEnvironment({"/nonexistent/lur-fuzz/settings.reg", "/nonexistent/lur-fuzz/cal.ini", {}});
        return CSettings::Instance();
    }();
    return settings;
}

inline bool SameRecord(const MeasurementRecord& a, const MeasurementRecord& b) { return a.bytes == b.bytes; }

inline bool SameFix(const GpsFix& a, const GpsFix& b)
{
    const GpsFixQuality &p = a.quality, &q = b.quality;
    return a.latitude == b.latitude && a.longitude == b.longitude && p.ggaQuality == q.ggaQuality &&
           p.fixType == q.fixType && p.satellitesUsed == q.satellitesUsed && p.hdop == q.hdop && p.ageMs == q.ageMs &&
           p.placedOk == q.placedOk;
}

// The file the data set saves, and the check that it opens with what the data set holds,
// positions with their qualities.
inline std::string SavedAndChecked(DataSet& dataSet)
{
    ByteWriter file;
    AbortIf(!dataSet.Serialize(file, false));
    SessionImage image;
    AbortIf(!ParseSession(file.Data(), image).empty() || image.records.size() != dataSet.RecordCount());
    for (size_t k = 0; k < image.records.size(); ++k)
        AbortIf(!SameRecord(image.records[k], dataSet.Record(k)));
    const TrackDataSet* track = AsTrack(dataSet);
    AbortIf(image.track != (track != nullptr));
    if (track) {
        AbortIf(track->FixCount() != image.fixes.size());
        for (size_t k = 0; k < image.fixes.size(); ++k)
            AbortIf(!SameFix(image.fixes[k], track->FixAt(k)));
    }
    return file.Data();
}
