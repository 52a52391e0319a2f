#include "track/TrackCorrection.h"

#include <algorithm>
#include <cmath>

#include "settings/CSettings.h"
#include "track/TrackProjection.h"

namespace {

struct Sample {
    int64_t timeMs; // since the first reading with a position
    double east, north;
};

double Clamped(double value, double limit)
{
    return std::isfinite(value) ? std::clamp(value, -limit, limit) : 0.0;
}

// The track's position at `timeMs`; false when it lies past the end or in a long gap.
bool PositionAt(const std::vector<Sample>& track, int64_t timeMs, double& east, double& north)
{
    const auto after = std::upper_bound(track.begin(), track.end(), timeMs,
                                        [](int64_t t, const Sample& s) { return t < s.timeMs; });
    if (after == track.end()) {
        east = track.back().east;
        north = track.back().north;
        return track.back().timeMs == timeMs;
    }
    const Sample& b = *after;
    const Sample& a = after == track.begin() ? b : *(after - 1);
    const int64_t span = b.timeMs - a.timeMs;
    const double f = span > 0 ? double(timeMs - a.timeMs) / double(span) : 0.0;
    east = a.east + (b.east - a.east) * f;
    north = a.north + (b.north - a.north) * f;
    return span <= kMaxLagGapMs;
}

// The unit walking direction at sample k of `points` (time order); false without a metre of
// travel within reach.
bool HeadingAt(const std::vector<Sample>& points, size_t k, double& east, double& north)
{
    size_t i = k, j = k;
    for (int step = 0; step < 2 * kMaxHeadingReach; ++step) {
        const bool growBack = step % 2 == 0;
        if (growBack && i > 0 && k - i < size_t(kMaxHeadingReach)) --i;
        else if (!growBack && j + 1 < points.size() && j - k < size_t(kMaxHeadingReach)) ++j;
        else continue;
        const double de = points[j].east - points[i].east;
        const double dn = points[j].north - points[i].north;
        const double length = std::hypot(de, dn);
        if (length >= kMinHeadingTravelMetres) {
            east = de / length;
            north = dn / length;
            return true;
        }
    }
    return false;
}

} // namespace

TrackCorrectionSettings EffectiveCorrection(TrackCorrectionSettings settings)
{
    return {std::max(0.0, Clamped(settings.lagSeconds, TrackCorrectionSettings::kMaxLagSeconds)),
            Clamped(settings.antennaAheadMetres, TrackCorrectionSettings::kMaxAntennaAheadMetres)};
}

std::vector<CorrectedPosition> CorrectTrack(const std::vector<GpsFix>& readings, TrackCorrectionSettings settings)
{
    const TrackCorrectionSettings effective = EffectiveCorrection(settings);
    const double lag = effective.lagSeconds;
    const double ahead = effective.antennaAheadMetres;
    const auto lagMs = static_cast<int64_t>(std::llround(lag * 1000));

    std::vector<CorrectedPosition> out(readings.size());
    std::vector<size_t> placed; // readings with a position, in time order
    for (size_t k = 0; k < readings.size(); ++k)
        if (HasPosition(readings[k]))
            placed.push_back(k);
    if (placed.empty())
        return out;
    const GpsFix& origin = readings[placed.front()];
    const TrackProjection projection(origin);
    // Ticks wrap; a session is far shorter than the 24 days a signed difference covers.
    const auto timeOf = [&](size_t k) { return int64_t(int32_t(readings[k].tick - origin.tick)); };
    std::stable_sort(placed.begin(), placed.end(), [&](size_t a, size_t b) { return timeOf(a) < timeOf(b); });

    std::vector<Sample> raw(placed.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        raw[i].timeMs = timeOf(placed[i]);
        projection.Project(readings[placed[i]], raw[i].east, raw[i].north);
    }
    std::vector<Sample> antenna(raw.size());
    std::vector<bool> covered(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        antenna[i].timeMs = raw[i].timeMs;
        covered[i] = lagMs == 0 || PositionAt(raw, raw[i].timeMs + lagMs, antenna[i].east, antenna[i].north);
        if (lagMs == 0) {
            antenna[i].east = raw[i].east;
            antenna[i].north = raw[i].north;
        }
    }

    for (size_t i = 0; i < antenna.size(); ++i) {
        CorrectedPosition& c = out[placed[i]];
        double east = antenna[i].east, north = antenna[i].north;
        double headingEast = 0, headingNorth = 0;
        if (ahead != 0) {
            c.headingFound = HeadingAt(antenna, i, headingEast, headingNorth);
            east -= ahead * headingEast;
            north -= ahead * headingNorth;
        }
        c.hasPosition = true;
        c.lagCovered = covered[i];
        if (lagMs == 0 && ahead == 0) { // exactly the stored position, not its projection's round trip
            c.latitude = readings[placed[i]].latitude;
            c.longitude = readings[placed[i]].longitude;
        } else {
            projection.Unproject(east, north, c.latitude, c.longitude);
        }
    }
    return out;
}

TrackCorrectionSettings TrackCorrectionFrom(const CSettings& settings)
{
    return {double(settings.gpsLagSeconds), double(settings.antennaAheadMetres)};
}

TrackCorrectionSettings TrackCorrectionFor(const CSettings& settings, const TrackCorrectionOptions& options)
{
    TrackCorrectionSettings correction = TrackCorrectionFrom(settings);
    correction.lagSeconds = options.lagSeconds.value_or(correction.lagSeconds);
    correction.antennaAheadMetres = options.antennaAheadMetres.value_or(correction.antennaAheadMetres);
    return EffectiveCorrection(correction);
}

std::vector<GpsFix> StampedFixes(const std::vector<MeasurementRecord>& records, const std::vector<GpsFix>& fixes)
{
    std::vector<GpsFix> stamped(records.size());
    for (size_t k = 0; k < records.size(); ++k) {
        if (k < fixes.size())
            stamped[k] = fixes[k];
        stamped[k].tick = records[k].TimeStamp();
    }
    return stamped;
}

std::optional<GpsFix> TrackOrigin(const std::vector<CorrectedPosition>& placed)
{
    for (const CorrectedPosition& p : placed)
        if (p.hasPosition)
            return GpsFix{p.latitude, p.longitude, 0};
    return std::nullopt;
}
