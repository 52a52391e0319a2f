#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "model/BatchInversion.h"
#include "track/TrackCorrection.h"

struct SessionImage;

// A measured station of a saved survey, or reading of a track, as an inversion takes it.
struct SessionStation {
    size_t index = 0;                  // the record's index in the session
    uint32_t profile = 0, station = 0; // surveys
    double x = 0, y = 0;               // surveys: metres along the profiles and across them
    bool located = false;              // tracks: the reading has a position
    double latitude = 0, longitude = 0; // tracks: WGS 84, corrected for the GPS lag and antenna offset
    double east = 0, north = 0;        // tracks: metres from the first positioned reading
    StationInput input;
};

struct SessionStations {
    bool track = false;
    uint32_t width = 0;   // stations per profile (surveys)
    double xStep = 0, yStep = 0;
    std::vector<SessionStation> stations; // in walking order
};

// The measured stations of `image` (only those of `profile` of a survey, when given), their
// data at the frequencies of the first measured record, as opening a session uses them;
// `calibration` may be null, which refuses every station. A track's readings are placed as
// the track graphs place them, corrected by `correction`.
SessionStations StationsOfSession(const SessionImage& image, const CalibrationSet* calibration,
                                  std::optional<uint32_t> profile, const TrackCorrectionSettings& correction);
