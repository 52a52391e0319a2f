#pragma once
#include <string>

namespace platform {

constexpr int kBatteryUnknown = 255;

// Charge of the machine's first battery in percent (0..100), from the power-supply class
// of sysfs; kBatteryUnknown when there is none or it cannot be read.
int DeviceBatteryPercent(const std::string& powerSupplyRoot = "/sys/class/power_supply");

} // namespace platform
