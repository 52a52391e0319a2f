#pragma once
#include <memory>
#include <string>
#include <vector>

#include "sim/GpsSimulator.h"
#include "sim/PseudoTerminal.h"

extern const char* const kGpsModeUsage;

// The simulated GPS receiver on its own pseudo-terminal.
class GpsDevice {
public:
    explicit GpsDevice(GpsSimulatorOptions options);
    bool Start();
    void Stop();
    const std::string& DevicePath() const { return pty_.SlavePath(); }

private:
    PseudoTerminal pty_;
    GpsSimulator simulator_;
};

// Builds the GPS device from the options of "lursim gps", removing the ones it took; null,
// with error set, when an option is wrong. The device is not started.
std::unique_ptr<GpsDevice> MakeGpsDevice(std::vector<std::string>& args, std::string& error);
