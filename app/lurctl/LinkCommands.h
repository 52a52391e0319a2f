#pragma once
#include <string>
#include <vector>

// lurctl commands that talk to an instrument over a serial port.
int RunRead(const std::vector<std::string>& args);
int RunBattery(const std::vector<std::string>& args);

extern const char* const kReadUsage;
extern const char* const kBatteryUsage;
