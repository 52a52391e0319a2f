#pragma once
#include <array>

#include "model/ForwardModel.h"
#include "survey/Calibration.h"
#include "survey/MeasurementRecord.h"

// Why a station is not inverted.
enum class StationRefusal {
    None,
    NoCalibration,     // no calibration set, or one the model cannot use
    NoReading,         // the record holds no measured frequency
    TooFewFrequencies, // fewer than two frequencies to invert
    NoCurrent,         // a frequency without transmitter current: its signal cannot be normalised
    Saturated,         // a 24-bit value at the end of its range: the input stage was overdriven
    NotANumber,        // a value or a resolution that is not a finite number
    NoSignal,          // every value is zero
    Cancelled,
};

// A short English reason, for tables and messages.
const char* StationRefusalText(StationRefusal refusal);

// One station's data: the corrected signal Z of each used frequency (the reading
// conversion's units) and the Z that one unit of the shifted signal values makes, the
// instrument's resolution.
struct StationData {
    FrequencyMask used{};
    ModelResponse z{};
    std::array<double, kFrequencyCount> unit{};
};

inline constexpr int kMinimumInvertedFrequencies = 2;

// The refusal that the data alone call for, or None.
StationRefusal CheckStationData(const StationData& data);

// The data of a measured record at the frequencies of `used` that it holds. The signal
// values are taken at the middle of their unit (the instrument's shift by 7 bits rounds
// them down), then converted as apparent values are. `calibration` may be null.
StationRefusal StationDataFromRecord(const CalibrationSet* calibration, const MeasurementRecord& record,
                                     const FrequencyMask& used, StationData& data);
