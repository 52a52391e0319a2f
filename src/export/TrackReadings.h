#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportFrequencies.h"
#include "export/SessionExport.h"
#include "gps/GpsFix.h"
#include "track/TrackCorrection.h"

class CSettings;
class TrackDataSet;

// The measured readings of a track an export carries, in the order taken.
struct TrackReadings {
    std::vector<size_t> index;      // reading index in the session
    std::vector<double> latitude;   // WGS 84 degrees, corrected for the GPS lag and antenna offset
    std::vector<double> longitude;
    std::vector<bool> located;      // false: kept without a position, latitude and longitude 0
    std::vector<GpsFixQuality> quality; // of the reading's position as the GPS side gave it
    // Placed well: a position that the GPS side placed well and the correction could
    // correct (the lag lies within the track, a walking direction was found).
    std::vector<bool> placedOk;
    std::vector<uint32_t> time;     // ms tick stamp
    std::vector<uint32_t> serial;
    std::vector<float> values;      // reading after reading, one value per exported frequency

    size_t Count() const { return index.size(); }
    size_t LocatedCount() const;
};

// Values as the graphs convert them, with the settings' processing and installed calibration;
// positions corrected by `correction`. Readings without a position (unless kept) or lacking
// an exported frequency go into leftOut. False with the reason when no measured reading
// remains.
bool CollectTrackReadings(const TrackDataSet& data, const CSettings& settings,
                          const TrackCorrectionSettings& correction, const ExportFrequencies& frequencies,
                          bool keepUnlocated, TrackReadings& readings, LeftOut& leftOut, ExportError& error);
