#pragma once
#include <chrono>
#include <optional>

#include "gps/GpsData.h"

// The UTC date and time of the last GPRMC; empty when the fields do not form a valid time.
std::optional<std::chrono::system_clock::time_point> RmcDateTime(const GpsData& data);
