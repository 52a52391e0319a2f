#pragma once
#include <optional>
#include <vector>

#include "gps/GpsFix.h"
#include "survey/MeasurementRecord.h"

class CSettings;

// How the GPS positions of a track are corrected for the receiver's lag and for where its
// antenna sits on the instrument.
struct TrackCorrectionSettings {
    static constexpr double kMaxLagSeconds = 5;
    static constexpr double kMaxAntennaAheadMetres = 10;

    // The receiver reports a position this late: the place of a reading taken at time t is
    // the reported position at t + lag. 0..5 s.
    double lagSeconds = 0;
    // The antenna's distance ahead of the instrument's centre along the walking direction;
    // negative behind it. -10..10 m.
    double antennaAheadMetres = 0;
};

// The settings as CorrectTrack applies them: clamped into range, NaN as 0.
TrackCorrectionSettings EffectiveCorrection(TrackCorrectionSettings settings);

// The correction the settings ask for: "gpsLagSeconds" and "antennaAheadMetres".
TrackCorrectionSettings TrackCorrectionFrom(const CSettings& settings);

// Tracks: the GPS lag and antenna offset their positions are corrected for, each by default
// the settings' ("gpsLagSeconds", "antennaAheadMetres").
struct TrackCorrectionOptions {
    std::optional<double> lagSeconds;
    std::optional<double> antennaAheadMetres;
};

// The correction an export of a track applies: the options', else the settings', clamped as
// CorrectTrack clamps them.
TrackCorrectionSettings TrackCorrectionFor(const CSettings& settings, const TrackCorrectionOptions& options);

struct CorrectedPosition {
    double latitude = 0;
    double longitude = 0;
    bool hasPosition = false; // false: the reading has no position at all (0, 0)
    // False when t + lag lies past the last reading (the last position is kept) or in a gap
    // between readings longer than kMaxLagGapMs (the position is interpolated across it).
    bool lagCovered = true;
    // False when no metre of travel around the reading gives a walking direction: the
    // antenna's position is kept. Always true without an antenna offset.
    bool headingFound = true;
};

constexpr int64_t kMaxLagGapMs = 10000;
constexpr double kMinHeadingTravelMetres = 1.0;
constexpr int kMaxHeadingReach = 64; // readings searched on each side for that metre

// The corrected position of every reading, in the readings' order. `readings` are the
// readings' own positions, each stamped with its reading's time stamp: exactly what a saved
// session holds, so the correction is computed when wanted and never stored. Positions
// between the readings are interpolated in time between neighbouring readings (in time
// order, so a reading measured again later is in its right place); the walking direction of
// a reading is the chord over at least a metre of the lag-corrected track around it. Out
// of range settings are clamped into range; NaN counts as 0. Without lag and offset every
// position is exactly the reading's own.
std::vector<CorrectedPosition> CorrectTrack(const std::vector<GpsFix>& readings, TrackCorrectionSettings settings);

// A reading is placed well when the GPS side placed its position well (`quality`) and the
// correction had what it needed: a position, the track a lag on, a walking direction.
inline bool PlacedWell(const CorrectedPosition& at, const GpsFixQuality& quality)
{
    return at.hasPosition && at.lagCovered && at.headingFound && quality.placedOk;
}

// The first reading with a position, where a track's metres count from; none without one.
std::optional<GpsFix> TrackOrigin(const std::vector<CorrectedPosition>& placed);

// The readings as CorrectTrack takes them: fix k (none past the fixes) stamped with record
// k's time stamp, since the positions of an opened session carry no ticks of their own.
std::vector<GpsFix> StampedFixes(const std::vector<MeasurementRecord>& records, const std::vector<GpsFix>& fixes);
