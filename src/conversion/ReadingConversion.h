#pragma once
#include <array>
#include <complex>
#include <optional>

#include "conversion/ConversionSettings.h"
#include "survey/Calibration.h"
#include "survey/MeasurementRecord.h"

// Raw readings to displayed values. Pure functions: the record, the processing settings and
// the calibration set are all passed in. Every invalid case (missing frequency, index out
// of 0..13, out-of-range mode, zero divisor, non-finite intermediate) yields 0.

// Value of frequency i of one record, unfiltered.
double ConvertReading(const ConversionSettings& settings, const CalibrationSet& calibration,
                      const MeasurementRecord& record, int i);

// The corrected signal Z of frequency i that apparent values are computed from (quadrature
// real, in-phase imaginary): the signal pair divided by the magnitude of the current pair
// scaled by CC, less the undercompensation measured in air, times the phase correction and
// GF. Nothing when the current, CC·IA or i leaves it undefined.
std::optional<std::complex<double>> CorrectedSignal(const CalibrationSet& calibration, std::complex<double> signal,
                                                    std::complex<double> current, int i);

// Inverts the two-receiver induction model for component value v at frequency i; S/m.
double ApparentConductivity(const ConversionSettings& settings, const CalibrationSet& calibration,
                            double v, int i);

// All 14 frequencies; unused ones are 0 before filtering; filtered when the filter applies.
void ConvertSpectrum(const ConversionSettings& settings, const CalibrationSet& calibration,
                     const MeasurementRecord& record, std::array<float, kFrequencyCount>& out);

// One frequency, filtered against its used neighbours when the filter applies.
float ConvertReadingFiltered(const ConversionSettings& settings, const CalibrationSet& calibration,
                             const MeasurementRecord& record, int i);

// Pseudo-depth of frequency i in metres: DC_i × depth scale factor.
float FrequencyDepth(const ConversionSettings& settings, const CalibrationSet& calibration, int i);
