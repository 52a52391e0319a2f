#pragma once
#include <string>

// Start-up and shutdown of the window program.
struct AppOptions {
    bool simulate = false;        // instrument and GPS receiver simulated on pseudo-terminals
    uint32_t simulatedDelayMs = 700; // the simulated instrument's measurement time
};

class CLurControlApp {
public:
    // Builds the program's parts, shows the sheet until Exit (or SIGTERM/SIGINT) and shuts
    // down in order; the process exit code.
    int Run(int& argc, char** argv, const AppOptions& options);
};
