#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// What a receiver reports at one epoch.
struct GpsEpoch {
    int64_t utcMs = 0; // milliseconds since 1970-01-01 UTC
    double latitude = 0, longitude = 0;
    double speedKnots = 0, courseDegrees = 0;
    double altitude = 0;
    double hdop = 0.92;
    bool valid = true; // false: no fix (status V, quality 0, fix type 1, empty position)
};

// "$" + body + "*hh" + CR LF, hh being the XOR of the body's bytes in upper-case hex.
std::string NmeaSentence(std::string_view body);

// Writes GPRMC, GPGGA, GPGSA and GPGSV text for an epoch, formatted as a u-blox receiver
// does. With the GN talker, RMC, GGA and GSA are GNxxx as on multi-constellation receivers
// while GSV stays GPGSV. Several constellations (GPS, GLONASS, Galileo, BeiDou) are sent as
// a u-blox receiver with NMEA 4.11 does: GNRMC and GNGGA, one GNGSA per system with its
// system id, then a GSV cycle per talker (GP, GL, GA, GB) with its signal id. Number
// formatting ignores the locale.
class NmeaGenerator {
public:
    explicit NmeaGenerator(bool gnTalker = false, bool multiConstellation = false)
        : talker_(gnTalker || multiConstellation ? "GN" : "GP"), multi_(multiConstellation)
    {
    }

    std::string Rmc(const GpsEpoch& e) const;
    std::string Gga(const GpsEpoch& e) const;
    std::string Gsa(const GpsEpoch& e) const;
    std::string Gsv(const GpsEpoch& e) const; // all messages of the satellites in view
    // RMC, GGA, GSA, then the GSV messages.
    std::string Epoch(const GpsEpoch& e) const;

private:
    std::string talker_;
    bool multi_;
};
