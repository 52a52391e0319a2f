#pragma once
#include <array>
#include <cstdint>

constexpr int kMaxSatellites = 36;
constexpr int kUsedPrnCount = 36;
constexpr int kFixPrnFields = 12; // GPGSA carries twelve PRNs

struct SatelliteInfo {
    uint16_t prn = 0;
    uint16_t elevation = 0; // degrees
    uint16_t azimuth = 0;   // degrees
    uint16_t snr = 0;
    uint32_t used = 0;      // 1 when the PRN is among the GPGSA PRNs at decoding time
};

// The last decoded NMEA values; each sentence overwrites only the fields it carries.
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
    std::array<uint16_t, kUsedPrnCount> usedPrn{};
    double pdop = 0, gsaHdop = 0, vdop = 0;
    uint32_t gsaCount = 0;

    uint16_t satellitesInView = 0;
    std::array<SatelliteInfo, kMaxSatellites> satellites{};
    uint32_t gsvCount = 0;

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
    uint32_t rmcTick = 0; // tick of the Feed call that completed the last GPRMC
};
