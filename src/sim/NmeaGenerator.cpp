#include "sim/NmeaGenerator.h"

#include <charconv>
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Satellite {
    int prn, elevation, azimuth, snr;
};
// A fixed sky of ten GPS satellites; the first eight are used in the fix.
constexpr Satellite kSky[] = {{2, 67, 152, 44}, {5, 48, 291, 41}, {6, 12, 51, 30}, {12, 35, 88, 39},
                              {13, 72, 3, 46},  {15, 21, 210, 33}, {19, 40, 330, 40}, {24, 8, 120, 24},
                              {25, 55, 250, 42}, {29, 3, 15, 0}};
constexpr int kSkySize = 10;
constexpr int kUsedInFix = 8;

// The other constellations of a multi-constellation receiver, each with its first `used`
// satellites in the fix.
constexpr Satellite kGlonassSky[] = {{65, 41, 70, 38}, {66, 15, 121, 29}, {72, 58, 300, 43}, {73, 25, 12, 35},
                                     {80, 33, 205, 37}, {81, 9, 264, 22}, {87, 62, 96, 44}};
constexpr Satellite kGalileoSky[] = {{3, 27, 45, 34}, {5, 51, 160, 40}, {9, 14, 233, 27}, {13, 70, 310, 45},
                                     {24, 33, 80, 36}, {31, 6, 190, 0}};
constexpr Satellite kBeiDouSky[] = {{6, 18, 115, 30}, {11, 44, 52, 38}, {12, 66, 270, 42}, {23, 29, 340, 33},
                                    {37, 11, 140, 25}};
struct Constellation {
    const char* talker;
    int systemId;
    int signalId; // NMEA 4.11: GPS L1 C/A, GLONASS L1 OF, Galileo E1, BeiDou B1I
    const Satellite* sky;
    int size;
    int used;
};
constexpr Constellation kConstellations[] = {{"GP", 1, 1, kSky, kSkySize, kUsedInFix},
                                             {"GL", 2, 1, kGlonassSky, 7, 5},
                                             {"GA", 3, 7, kGalileoSky, 6, 4},
                                             {"GB", 4, 1, kBeiDouSky, 5, 3}};
constexpr int kUsedInMultiFix = kUsedInFix + 5 + 4 + 3;

std::string Fixed(double value, int decimals)
{
    char buffer[48];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string TwoDigits(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value % 100);
    return buffer;
}

std::string ThreeDigits(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03d", value % 1000);
    return buffer;
}

// ddmm.mmmmm,N or dddmm.mmmmm,E; empty fields when there is no fix.
std::string Coordinate(double degrees, int degreeDigits, char positive, char negative, bool valid)
{
    if (!valid) return ",";
    const double magnitude = std::fabs(degrees);
    int whole = static_cast<int>(magnitude);
    double minutes = std::round((magnitude - whole) * 60.0 * 1e5) / 1e5;
    if (minutes >= 60.0) {
        ++whole;
        minutes -= 60.0;
    }
    char head[8];
    std::snprintf(head, sizeof head, degreeDigits == 2 ? "%02d" : "%03d", whole);
    std::string minuteText = Fixed(minutes, 5);
    if (minutes < 10) minuteText.insert(0, "0");
    return head + minuteText + "," + (degrees < 0 ? negative : positive);
}

struct Civil {
    int year, month, day, hour, minute, second, centis;
};

Civil ToCivil(int64_t utcMs)
{
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds(utcMs)};
    const auto days = floor<std::chrono::days>(t);
    const year_month_day ymd{days};
    const hh_mm_ss<milliseconds> hms{t - days};
    return {int(ymd.year()),          int(unsigned(ymd.month())), int(unsigned(ymd.day())),
            int(hms.hours().count()), int(hms.minutes().count()), int(hms.seconds().count()),
            int(hms.subseconds().count() / 10)};
}

std::string Time(const Civil& c)
{
    return TwoDigits(c.hour) + TwoDigits(c.minute) + TwoDigits(c.second) + "." + TwoDigits(c.centis);
}

} // namespace

std::string NmeaSentence(std::string_view body)
{
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(body.size() + 6);
    out += '$';
    out += body;
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 15];
    out += "\r\n";
    return out;
}

std::string NmeaGenerator::Rmc(const GpsEpoch& e) const
{
    const Civil c = ToCivil(e.utcMs);
    const std::string date = TwoDigits(c.day) + TwoDigits(c.month) + TwoDigits(c.year);
    std::string body = talker_ + "RMC," + Time(c) + (e.valid ? ",A," : ",V,");
    body += Coordinate(e.latitude, 2, 'N', 'S', e.valid) + "," + Coordinate(e.longitude, 3, 'E', 'W', e.valid);
    body += e.valid ? "," + Fixed(e.speedKnots, 3) + "," + Fixed(e.courseDegrees, 2) : std::string(",,");
    body += "," + date + ",,," + (e.valid ? "A" : "N");
    return NmeaSentence(body);
}

std::string NmeaGenerator::Gga(const GpsEpoch& e) const
{
    const Civil c = ToCivil(e.utcMs);
    std::string body = talker_ + "GGA," + Time(c) + ",";
    body += Coordinate(e.latitude, 2, 'N', 'S', e.valid) + "," + Coordinate(e.longitude, 3, 'E', 'W', e.valid);
    if (e.valid)
        body += ",1," + TwoDigits(multi_ ? kUsedInMultiFix : kUsedInFix) + "," + Fixed(e.hdop, 2) + "," +
                Fixed(e.altitude, 1) + ",M,14.2,M,,";
    else
        body += ",0,00,99.99,,,,,,";
    return NmeaSentence(body);
}

namespace {

// PDOP and VDOP grow with HDOP, as they do when the geometry turns bad.
std::string Dops(const GpsEpoch& e)
{
    if (!e.valid)
        return ",99.99,99.99,99.99";
    const double scale = e.hdop / 0.92;
    return "," + Fixed(1.65 * scale, 2) + "," + Fixed(e.hdop, 2) + "," + Fixed(1.37 * scale, 2);
}

std::string GsaBody(const std::string& talker, const GpsEpoch& e, const Constellation& c)
{
    std::string body = talker + "GSA,A," + (e.valid ? "3" : "1");
    for (int i = 0; i < 12; ++i) body += "," + (e.valid && i < c.used ? TwoDigits(c.sky[i].prn) : std::string());
    return body + Dops(e);
}

std::string GsvCycle(const std::string& talker, const Constellation& c, const std::string& signal)
{
    const int messages = (c.size + 3) / 4;
    std::string out;
    for (int m = 0; m < messages; ++m) {
        std::string body = talker + "GSV," + std::to_string(messages) + "," + std::to_string(m + 1) + "," + TwoDigits(c.size);
        for (int k = m * 4; k < std::min(c.size, m * 4 + 4); ++k) {
            const Satellite& s = c.sky[k];
            body += "," + TwoDigits(s.prn) + "," + TwoDigits(s.elevation) + "," + ThreeDigits(s.azimuth) + "," +
                    (s.snr > 0 ? TwoDigits(s.snr) : std::string());
        }
        out += NmeaSentence(body + signal);
    }
    return out;
}

} // namespace

std::string NmeaGenerator::Gsa(const GpsEpoch& e) const
{
    if (!multi_)
        return NmeaSentence(GsaBody(talker_, e, kConstellations[0]));
    std::string out;
    for (const Constellation& c : kConstellations)
        out += NmeaSentence(GsaBody(talker_, e, c) + "," + std::to_string(c.systemId));
    return out;
}

std::string NmeaGenerator::Gsv(const GpsEpoch& e) const
{
    (void)e; // the sky is the same with or without a fix
    if (!multi_)
        return GsvCycle("GP", kConstellations[0], "");
    std::string out;
    for (const Constellation& c : kConstellations)
        out += GsvCycle(c.talker, c, "," + std::to_string(c.signalId));
    return out;
}

std::string NmeaGenerator::Epoch(const GpsEpoch& e) const
{
    return Rmc(e) + Gga(e) + Gsa(e) + Gsv(e);
}
