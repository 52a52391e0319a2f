#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ConfigDirectory.h"
#include "CLurControlApp.h"

namespace {

const char* const kUsage =
    "Usage: lurcontrol [--simulate [--gps-lag S] [--antenna-ahead M] [--multi-gnss]] [--config-dir DIR]\n"
    "  --simulate        run against the built-in instrument and GPS simulators on\n"
    "                    pseudo-terminals instead of the configured Bluetooth ports\n"
    "  --gps-lag S       the simulated receiver reports S seconds late (0 to 5)\n"
    "  --antenna-ahead M its antenna rides M metres ahead of the instrument (-10 to 10)\n"
    "  --multi-gnss      it sends GPS, GLONASS, Galileo and BeiDou\n"
    "  --config-dir DIR  keep settings and calibration in DIR\n";

// A number from `text` within [min, max]; false when it is not one.
bool ParseNumber(const char* text, double min, double max, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= min && value <= max;
}

} // namespace

int main(int argc, char** argv)
{
    AppOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0) {
            options.simulate = true;
        } else if (std::strcmp(argv[i], "--multi-gnss") == 0) {
            options.simulatedMultiGnss = true;
        } else if ((std::strcmp(argv[i], "--gps-lag") == 0 || std::strcmp(argv[i], "--antenna-ahead") == 0) &&
                   i + 1 < argc) {
            const bool lag = std::strcmp(argv[i], "--gps-lag") == 0;
            double& value = lag ? options.simulatedGpsLag : options.simulatedAntennaAhead;
            if (!ParseNumber(argv[++i], lag ? 0 : -10, lag ? 5 : 10, value)) {
                std::fprintf(stderr, "lurcontrol: %s takes a number from %s\n%s", argv[i - 1],
                             lag ? "0 to 5" : "-10 to 10", kUsage);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--config-dir") == 0 && i + 1 < argc) {
            platform::SetConfigDirectoryOverride(argv[++i]);
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argv[i][0] == '-' && std::strncmp(argv[i], "-platform", 9) != 0 && std::strncmp(argv[i], "-style", 6) != 0) {
            std::fprintf(stderr, "lurcontrol: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    return CLurControlApp().Run(argc, argv, options);
}
