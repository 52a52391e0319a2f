#pragma once
#include <string>

// Start-up and shutdown of the window program.
struct AppOptions {
    bool simulate = false;        // instrument and GPS receiver simulated on pseudo-terminals
    uint32_t simulatedDelayMs = 700; // the simulated instrument's measurement time
    double simulatedGpsLag = 0;          // s the simulated receiver reports late
    double simulatedAntennaAhead = 0;    // m its antenna rides ahead of the instrument
    bool simulatedMultiGnss = false;     // GPS, GLONASS, Galileo and BeiDou
};

class CLurControlApp {
public:
    // Builds the program's parts, shows the sheet until Exit (or SIGTERM/SIGINT) and shuts
    // down in order; the process exit code.
    int Run(int& argc, char** argv, const AppOptions& options);
};
