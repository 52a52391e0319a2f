#pragma once
#include "model/ForwardModel.h"
#include "model/Inversion.h"

class CSettings;

// The ranges the settings of the background inversion are kept within.
struct InversionSettingsLimits {
    static constexpr double kMaxNoisePercent = 100;
    static constexpr double kMaxNoiseFloorUnits = 1e6;
    static constexpr double kMaxHeight = 10;
};

// The inversion the settings ask for: "inversionNoisePercent", "inversionNoiseFloorUnits" and
// "instrumentHeight", each clamped into its range (NaN as its default); noise of 0 % and 0
// units, which no datum could be weighed by, as 1 unit.
InversionOptions InversionOptionsFrom(const CSettings& settings);

// The frequencies the settings use ("usedFrequencies").
FrequencyMask UsedFrequencyMask(const CSettings& settings);
