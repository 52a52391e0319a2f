#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportFrequencies.h"

class CSettings;
class TrackDataSet;

// The measured readings of a track that have a position, in the order taken.
struct TrackReadings {
    std::vector<size_t> index;      // reading index in the session
    std::vector<double> latitude;   // WGS 84 degrees
    std::vector<double> longitude;
    std::vector<uint32_t> time;     // ms tick stamp
    std::vector<uint32_t> serial;
    std::vector<float> values;      // reading after reading, one value per exported frequency

    size_t Count() const { return index.size(); }
};

// Values as the graphs convert them, with the settings' processing and installed calibration.
// False with the reason when no reading is both measured and positioned.
bool CollectTrackReadings(const TrackDataSet& data, const CSettings& settings, const ExportFrequencies& frequencies,
                          TrackReadings& readings, std::string& error);
