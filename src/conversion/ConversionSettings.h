#pragma once
#include <array>
#include <cstdint>

#include "survey/Calibration.h"

class CSettings;

// The processing settings that reading conversion depends on, copied out of the settings
// object so conversion stays a pure function of its arguments.
struct ConversionSettings {
    std::array<int32_t, kFrequencyCount> usedFrequencies{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int32_t signalChannelIsCurrent = 0;
    int32_t unitMeasure = 0;     // 0 ADC quanta, 1 apparent values
    int32_t signalComponent = 1; // 0 module, 1 quadrature, 2 in-phase
    int32_t normalizeToCurrent = 0;
    int32_t subtractUndercompensation = 0;
    int32_t phaseEqualization = 0;
    int32_t normalizeToFrequency = 0;
    float modulePower = 2.0f;
    float quadraturePower = 2.0f;
    float inphasePower = 2.5f;
    int32_t apparentValueKind = 0; // 0 ohm·m, 1 mS/m, other S/m
    int32_t applySignalFilter = 0;
    double filterThreshold = 0.5;
    float depthScaleFactor = 10.0f;
};

ConversionSettings ConversionSettingsFrom(const CSettings& settings);
