#pragma once
#include <string>

#include "gps/GpsData.h"

// The GPS page's line of satellites per system, used/in view, for the systems that have
// any: "GPS 9/11, ГЛОНАСС 5/7, Galileo 4/6". The compact form fits a 240-pixel page with
// all five systems: "GP 9/11 ГЛ 5/7 GA 4/6 BD 3/5 QZ 1/2". Empty with no satellites. UTF-8.
std::string GnssSystemsText(const GpsData& data, bool compact = false);
