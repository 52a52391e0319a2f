#pragma once
#include <cmath>
#include <cstdint>

// How good a position is. A live fix carries what its epoch reported; a reading's position
// carries the values of the fix nearest to it in time and says whether it can be trusted.
struct GpsFixQuality {
    static constexpr uint8_t kUnknown = 0xFF;

    uint8_t ggaQuality = kUnknown; // GGA fix quality: 0 none, 1 GNSS, 2 DGNSS, 4/5 RTK, 6 dead reckoning
    uint8_t fixType = 0;           // GSA: 1 none, 2 2-D, 3 3-D; 0 unknown
    uint8_t satellitesUsed = 0;
    double hdop = 0;               // 0 unknown
    uint32_t ageMs = 0;            // from the nearest fix the position was taken from
    // False when the position was interpolated across a gap longer than the limit, or from
    // a fix without a valid 2-D or 3-D solution.
    bool placedOk = true;
};

// Whether the quality tells of a real 2-D or 3-D solution; what is unknown does not count
// against it.
inline bool HasSolution(const GpsFixQuality& q)
{
    const bool ggaOk = q.ggaQuality == GpsFixQuality::kUnknown || (q.ggaQuality >= 1 && q.ggaQuality <= 5);
    const bool gsaOk = q.fixType == 0 || q.fixType == 2 || q.fixType == 3;
    return ggaOk && gsaOk;
}

// Whether anything is known of the quality: a position read from a session saved without
// qualities carries the default one throughout.
inline bool QualityRecorded(const GpsFixQuality& q)
{
    const GpsFixQuality none;
    return q.ggaQuality != none.ggaQuality || q.fixType != none.fixType || q.satellitesUsed != none.satellitesUsed ||
           q.hdop != none.hdop || q.ageMs != none.ageMs || q.placedOk != none.placedOk;
}

// One position: degrees north and east positive, stamped with the millisecond tick counter.
struct GpsFix {
    GpsFix() = default;
    GpsFix(double lat, double lon, uint32_t stamp, const GpsFixQuality& q = {})
        : latitude(lat), longitude(lon), tick(stamp), quality(q)
    {
    }

    double latitude = 0;
    double longitude = 0;
    uint32_t tick = 0;
    GpsFixQuality quality;
};

// A reading's position of 0° 0° is none: the reading was taken before the first fix. So is
// one that is no number.
inline bool HasPosition(const GpsFix& fix)
{
    return (fix.latitude != 0 || fix.longitude != 0) && std::isfinite(fix.latitude) && std::isfinite(fix.longitude);
}
