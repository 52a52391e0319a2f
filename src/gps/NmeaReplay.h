#pragma once
#include <cstddef>
#include <functional>
#include <istream>

#include "gps/GpsData.h"

// Feeds a recorded NMEA stream to a fresh parser in chunks of `chunkSize` bytes, as the
// reader thread does, and calls `onRmc` after each chunk that completed a GPRMC. The
// parser's clock stands at 0, so rmcTick is 0. False if the stream could not be read.
bool ReplayNmea(std::istream& in, size_t chunkSize, const std::function<void(const GpsData&)>& onRmc);
