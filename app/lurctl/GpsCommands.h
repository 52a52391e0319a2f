#pragma once
#include <string>
#include <vector>

// `lurctl gps`: decode recorded NMEA or read a GPS receiver. `args` follow the command name.
int RunGps(const std::vector<std::string>& args);

inline constexpr const char* kGpsUsage =
    "gps --replay FILE [--chunk N] | gps --port DEV [--baud N] [--seconds S]\n"
    "  Decodes NMEA 0183 (GPGGA, GPGSA, GPGSV, GPRMC) and prints the decoded GPS data as one JSON\n"
    "  object per line whenever a new GPRMC has been decoded. --replay feeds FILE to the parser in\n"
    "  chunks of N bytes (default 256, at most 65536), as the reader thread does; rmcTick is then 0.\n"
    "  --port reads a serial device (raw 8N1, default 9600 baud) for S seconds (default 10).\n";
