#pragma once
#include <cstdint>
#include <string>

// Pinned sentences from the NMEA 0183 literature, checksums as published.
inline const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
inline const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
inline const std::string kGsa = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
inline const std::string kGsv = "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n";

// "$" + body + "*hh\r\n" with the XOR of the body's bytes.
inline std::string Sentence(const std::string& body)
{
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    static const char* hex = "0123456789ABCDEF";
    return "$" + body + "*" + hex[sum >> 4] + hex[sum & 15] + "\r\n";
}
