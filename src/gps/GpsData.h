#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int kMaxSatellites = 36;
constexpr int kUsedPrnCount = 36;
constexpr int kFixPrnFields = 12; // a GSA carries twelve PRNs

// Satellite systems, numbered as the system id of NMEA 4.11 GSA and GSV.
enum class GnssSystem : uint8_t { None = 0, Gps = 1, Glonass = 2, Galileo = 3, BeiDou = 4, Qzss = 5 };
constexpr size_t kGnssSystemCount = 6; // indexed by the value; None is never counted

struct SatelliteInfo {
    uint16_t prn = 0;
    uint16_t elevation = 0; // degrees
    uint16_t azimuth = 0;   // degrees
    uint16_t snr = 0;       // the best over the signals the satellite was reported on
    uint32_t used = 0;      // 1 when (system, PRN) is among the epoch's used satellites
    GnssSystem system = GnssSystem::None;
};

struct GnssSystemView {
    uint16_t used = 0;   // satellites of the epoch's GSA sentences
    uint16_t inView = 0; // satellites of the last finished GSV cycles
};

// The last decoded NMEA values; each sentence overwrites only the fields it carries.
//
// Several constellations: GGA and RMC of any talker give the one position. An epoch ends
// when the time of a GGA or RMC changes. The used satellites are the union of the epoch's
// GSA sentences, kept per system; the sky table has one row per satellite (system, PRN),
// each talker's rows replaced only by a finished GSV cycle. With GPS alone every field
// means what it meant when only GP sentences were decoded.
struct GpsData {
    uint32_t sentenceCount = 0;

    uint8_t ggaHour = 0, ggaMinute = 0, ggaSecond = 0;
    uint16_t ggaMillisecond = 0;
    double ggaLatitude = 0;  // degrees, north positive
    double ggaLongitude = 0; // degrees, east positive
    uint8_t fixQuality = 0;
    uint8_t satellitesUsed = 0;
    double hdop = 0;
    double altitude = 0;
    double verticalSpeed = 0; // altitude units per second
    uint32_t ggaCount = 0;

    char gsaMode = 'M';
    uint8_t fixType = 1; // 1 no fix, 2 2D, 3 3D
    // The epoch's used satellites in system order, then order of arrival; 0 past the last.
    std::array<uint16_t, kUsedPrnCount> usedPrn{};
    std::array<GnssSystem, kUsedPrnCount> usedSystem{};
    double pdop = 0, gsaHdop = 0, vdop = 0;
    uint32_t gsaCount = 0;

    uint16_t satellitesInView = 0; // the sum over the systems
    // Rows in talker order (GP, GL, GA, GB/BD, GQ, GN), zero past the last; rows beyond 36
    // are left out but still counted in view.
    std::array<SatelliteInfo, kMaxSatellites> satellites{};
    uint32_t gsvCount = 0;
    std::array<GnssSystemView, kGnssSystemCount> systems{};

    uint8_t rmcHour = 0, rmcMinute = 0, rmcSecond = 0;
    uint16_t rmcMillisecond = 0;
    char rmcStatus = 'V'; // 'A' valid, 'V' void
    double rmcLatitude = 0, rmcLongitude = 0;
    double speedKnots = 0;
    double courseDegrees = 0;
    uint8_t day = 1, month = 1;
    uint16_t year = 2000;
    double magneticVariation = 0; // west negative
    uint32_t rmcCount = 0;
    uint32_t rmcTick = 0; // tick of the Feed call that completed the last RMC

    uint32_t epochCount = 0; // epochs begun
    uint32_t ggaEpoch = 0;   // the epoch of the last GGA (0: none yet)
    uint32_t rmcEpoch = 0;   // the epoch of the last RMC (0: none yet)
};
