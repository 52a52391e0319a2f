#pragma once
#include <string>

#include "gps/GpsData.h"

// One-line JSON object of every GpsData field under its own name. Times and the date are
// numbers, latitudes and longitudes have 9 decimals, other reals the shortest exact form;
// satellite systems are their names ("GPS", "GLONASS", ...; "" for none).
std::string GpsDataToJson(const GpsData& data);
