#include <cstdio>

#include "Args.h"
#include "Commands.h"
#include "InstrumentSession.h"
#include "Commands.h"

const char* const kBatteryUsage =
    "Usage:\n"
    "  lurctl battery --port DEV\n"
    "      Reads the battery voltage of the instrument on DEV (a device path, or COMn: through\n"
    "      the \"Serial ports\" section of the settings file) and prints it as the measurement\n"
    "      pages do, e.g. 4.1V; prints N/A and exits with status 1 when there is no reply.\n";

int RunBattery(const std::vector<std::string>& words)
{
    Args args(words);
    std::optional<std::string> port = args.TakeOption("--port");
    std::vector<std::string> positional;
    if (!args.Finish(0, 0, positional))
        return UsageError("battery", args.Error());
    if (!port)
        return UsageError("battery", "--port DEV is needed");

    InstrumentSession session(0);
    std::string error;
    if (!session.Open(*port, error)) {
        std::fprintf(stderr, "lurctl battery: %s\n", error.c_str());
        std::printf("N/A\n");
        return 1;
    }
    uint32_t value = 0;
    if (!session.ReadBatteryVoltage(value)) {
        std::printf("N/A\n");
        return 1;
    }
    std::printf("%.1fV\n", value * 0.01);
    return 0;
}
