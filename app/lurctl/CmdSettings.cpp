#include <cstdio>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "settings/CSettings.h"

const char* const kSettingsUsage =
    "Usage:\n"
    "  lurctl settings show\n"
    "      Every persisted setting as \"name = value\", under its value name in the settings\n"
    "      file (@ is the unnamed value, the GPS baud rate id). Values that could not be read\n"
    "      are reported on standard error and shown with their defaults.\n";

namespace {

void ShowChart(const char* name, const ColorChart& chart)
{
    std::printf("%s =", name);
    for (Colour c : chart.Stops())
        std::printf(" 0x%06X", c);
    auto [low, high] = chart.GetRange();
    std::printf("\n%s minimum value = %.9g\n%s maximum value = %.9g\n", name, low, name, high);
}

} // namespace

int RunSettings(const std::vector<std::string>& words)
{
    Args args(words);
    std::vector<std::string> positional;
    if (!args.Finish(1, 1, positional) || positional[0] != "show")
        return UsageError("settings", args.Error().empty() ? "only \"show\" is known" : args.Error());

    CSettings& s = CSettings::Instance();
    for (const std::string& problem : s.Problems())
        std::fprintf(stderr, "lurctl settings: %s: %s\n", s.SettingsFile().c_str(), problem.c_str());
    for (const auto& v : CSettings::PersistedValues()) {
        const char* name = *v.name ? v.name : "@";
        if (v.intField) {
            std::printf("%s = %d\n", name, s.*v.intField);
        } else if (v.floatField) {
            std::printf("%s = %.9g\n", name, static_cast<double>(s.*v.floatField));
        } else if (v.loadStep == 2) {
            std::printf("%s =", name);
            for (int32_t used : s.usedFrequencies)
                std::printf(" %d", used);
            std::printf("\n");
        } else if (v.loadStep == 4) {
            const CalibrationKey& key = s.calibrationKey;
            std::printf("%s = 0x%08X (%02d/%02d/%d)\n", name, key.PackedDate(), key.day, key.month, key.year);
            std::printf("LUR serial number = %d\n", key.serial);
        } else if (v.loadStep == 8) {
            ShowChart(name, s.mapChart);
        } else if (v.loadStep == 9) {
            ShowChart(name, s.sectionChart);
        }
    }
    // Nothing was changed, so nothing is written back.
    return 0;
}
