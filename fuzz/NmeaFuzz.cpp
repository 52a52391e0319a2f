// NMEA streams of any content: the decoded state never depends on how the bytes were cut
// into reads, Feed hands out exactly what Snapshot holds, and the satellite tables stay
// consistent: one row per satellite, no gaps, the in-view count the sum over the systems.
#include <algorithm>
#include <cstring>

#include "Fuzz.h"
#include "gps/CNmeaParser.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameSatellite(const SatelliteInfo& a, const SatelliteInfo& b)
{
    return a.prn == b.prn && a.elevation == b.elevation && a.azimuth == b.azimuth && a.snr == b.snr &&
           a.used == b.used && a.system == b.system;
}

bool SameSystems(const GpsData& a, const GpsData& b)
{
    for (size_t s = 0; s < kGnssSystemCount; ++s)
        if (a.systems[s].used != b.systems[s].used || a.systems[s].inView != b.systems[s].inView)
            return false;
    return a.usedSystem == b.usedSystem && a.epochCount == b.epochCount && a.ggaEpoch == b.ggaEpoch &&
           a.rmcEpoch == b.rmcEpoch;
}

void CheckTables(const GpsData& d)
{
    size_t rows = 0;
    for (size_t i = 0; i < d.satellites.size(); ++i) {
        const SatelliteInfo& row = d.satellites[i];
        if (row.prn == 0) {
            AbortIf(row.system != GnssSystem::None);
            continue;
        }
        AbortIf(i != rows++ || row.system == GnssSystem::None || row.used > 1);
        for (size_t j = 0; j < i; ++j)
            AbortIf(d.satellites[j].prn == row.prn && d.satellites[j].system == row.system);
    }
    uint32_t inView = 0, used = 0;
    for (size_t s = 1; s < kGnssSystemCount; ++s) {
        inView += d.systems[s].inView;
        used += d.systems[s].used;
    }
    AbortIf(d.systems[0].used != 0 || d.systems[0].inView != 0);
    AbortIf(d.satellitesInView != std::min<uint32_t>(inView, 0xFFFF) || rows > d.satellitesInView);
    size_t listed = 0;
    for (size_t i = 0; i < d.usedPrn.size(); ++i)
        if (d.usedPrn[i] != 0) {
            AbortIf(i != listed++ || d.usedSystem[i] == GnssSystem::None);
        }
    AbortIf(listed != std::min<size_t>(used, d.usedPrn.size()));
    AbortIf(d.ggaEpoch > d.epochCount || d.rmcEpoch > d.epochCount);
}

// Member by member: the struct has padding, and a NaN must equal itself.
bool Same(const GpsData& a, const GpsData& b)
{
    for (int k = 0; k < kMaxSatellites; ++k)
        if (!SameSatellite(a.satellites[size_t(k)], b.satellites[size_t(k)]))
            return false;
    return a.sentenceCount == b.sentenceCount && a.ggaHour == b.ggaHour && a.ggaMinute == b.ggaMinute &&
           a.ggaSecond == b.ggaSecond && a.ggaMillisecond == b.ggaMillisecond &&
           SameBits(a.ggaLatitude, b.ggaLatitude) && SameBits(a.ggaLongitude, b.ggaLongitude) &&
           a.fixQuality == b.fixQuality && a.satellitesUsed == b.satellitesUsed && SameBits(a.hdop, b.hdop) &&
           SameBits(a.altitude, b.altitude) && SameBits(a.verticalSpeed, b.verticalSpeed) &&
           a.ggaCount == b.ggaCount && a.gsaMode == b.gsaMode && a.fixType == b.fixType && a.usedPrn == b.usedPrn &&
           SameBits(a.pdop, b.pdop) && SameBits(a.gsaHdop, b.gsaHdop) && SameBits(a.vdop, b.vdop) &&
           a.gsaCount == b.gsaCount && a.satellitesInView == b.satellitesInView && a.gsvCount == b.gsvCount &&
           a.rmcHour == b.rmcHour && a.rmcMinute == b.rmcMinute && a.rmcSecond == b.rmcSecond &&
           a.rmcMillisecond == b.rmcMillisecond && a.rmcStatus == b.rmcStatus &&
           SameBits(a.rmcLatitude, b.rmcLatitude) && SameBits(a.rmcLongitude, b.rmcLongitude) &&
           SameBits(a.speedKnots, b.speedKnots) && SameBits(a.courseDegrees, b.courseDegrees) && a.day == b.day &&
           a.month == b.month && a.year == b.year && SameBits(a.magneticVariation, b.magneticVariation) &&
           a.rmcCount == b.rmcCount && a.rmcTick == b.rmcTick && SameSystems(a, b);
}

constexpr size_t kHeaderSize = 4;

} // namespace

// The first four bytes give the sizes of the reads (0 to 31 bytes, in turn); the rest is
// the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return 0;
    const uint8_t* stream = data + kHeaderSize;
    const size_t length = size - kHeaderSize;
    static platform::ManualClock clock(12345);

    CNmeaParser whole(clock);
    GpsData handedOut;
    whole.Feed(stream, length, &handedOut);
    GpsData wholeState;
    whole.Snapshot(wholeState);
    AbortIf(!Same(handedOut, wholeState));
    CheckTables(wholeState);

    CNmeaParser split(clock);
    size_t done = 0;
    for (size_t read = 0; done < length; ++read) {
        const size_t chunk = std::min<size_t>(data[read % kHeaderSize] & 31, length - done);
        split.Feed(stream + done, chunk);
        done += chunk;
        if (read > 2 * length + 8)
            break; // all sizes zero: the stream is fed whole below
    }
    if (done < length)
        split.Feed(stream + done, length - done);
    GpsData splitState;
    split.Snapshot(splitState);
    AbortIf(!Same(splitState, wholeState));

    // Reset forgets everything: the parser then decodes as a new one.
    whole.Reset();
    whole.Feed(stream, length);
    whole.Snapshot(handedOut);
    AbortIf(!Same(handedOut, wholeState));
    return 0;
}
