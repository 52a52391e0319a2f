#include "model/InversionSettings.h"

#include <algorithm>
#include <cmath>

#include "settings/CSettings.h"

namespace {

double Within(float value, double low, double high, double byDefault)
{
    return std::isnan(value) ? byDefault : std::clamp(double(value), low, high);
}

} // namespace

InversionOptions InversionOptionsFrom(const CSettings& settings)
{
    using Limits = InversionSettingsLimits;
    const InversionOptions defaults;
    InversionOptions options;
    options.noise.relative =
        Within(settings.inversionNoisePercent, 0, Limits::kMaxNoisePercent, 100 * defaults.noise.relative) / 100;
    options.noise.floorUnits =
        Within(settings.inversionNoiseFloorUnits, 0, Limits::kMaxNoiseFloorUnits, defaults.noise.floorUnits);
    if (options.noise.relative == 0 && options.noise.floorUnits == 0)
        options.noise.floorUnits = 1;
    options.height = Within(settings.instrumentHeight, 0, Limits::kMaxHeight, defaults.height);
    return options;
}

FrequencyMask UsedFrequencyMask(const CSettings& settings)
{
    FrequencyMask used{};
    for (size_t i = 0; i < used.size(); ++i)
        used[i] = settings.usedFrequencies[i] != 0;
    return used;
}
