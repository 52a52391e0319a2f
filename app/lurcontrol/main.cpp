#include <cstdio>
#include <cstring>

#include "platform/ConfigDirectory.h"
#include "CLurControlApp.h"

namespace {

const char* const kUsage =
    "Usage: lurcontrol [--simulate] [--config-dir DIR]\n"
    "  --simulate        run against the built-in instrument and GPS simulators on\n"
    "                    pseudo-terminals instead of the configured Bluetooth ports\n"
    "  --config-dir DIR  keep settings and calibration in DIR\n";

} // namespace

int main(int argc, char** argv)
{
    AppOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0) {
            options.simulate = true;
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
