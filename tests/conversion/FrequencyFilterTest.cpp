#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "conversion/ReadingConversion.h"
#include "support/RecordBuilder.h"

using testing_support::PutChannel;

namespace {

const double kPi = 3.14159265358979323846;

// Calibration under which the apparent conductivity in S/m of a quadrature reading equals
// the shifted raw signal: unit current, no undercompensation, no phase turn, unit gain and
// M2_i chosen so that K1_i = M2_i·(ω_i·μ0)² = 1 (M1 = 0, r2 = rt = 1, nt = 16).
CalibrationSet IdentityCalibration()
{
    CalibrationSet c;
    const double mu0 = 4 * kPi * 1e-7;
    for (int i = 0; i < kFrequencyCount; ++i) {
        c.F[i] = 1.0 + i;
        c.XP[i] = 1;
        c.IA[i] = 1;
        c.CC[i] = 1;
        c.GF[i] = 1;
        const double omega = 2 * kPi * 1000 * c.F[i];
        c.M2[i] = 1 / ((omega * mu0) * (omega * mu0));
    }
    c.rt = 1;
    c.nt = 16;
    c.r1 = 1;
    c.r2 = 1;
    return c;
}

// Every channel present, channel i reading values[i] (after the shift by 7).
MeasurementRecord Spectrum(const std::array<int32_t, kFrequencyCount>& values)
{
    MeasurementRecord r;
    for (int i = 0; i < kFrequencyCount; ++i)
        PutChannel(r, i, values[size_t(i)] * 128, 0, 1, 0);
    return r;
}

ConversionSettings FilterOn()
{
    ConversionSettings s;
    s.unitMeasure = 1;
    s.signalComponent = 1;
    s.apparentValueKind = 2; // S/m
    s.applySignalFilter = 1;
    return s;
}

const std::array<int32_t, kFrequencyCount> kFlat{100, 100, 100, 100, 100, 100, 100,
                                                 100, 100, 100, 100, 100, 100, 100};

} // namespace

TEST(FrequencyFilter, IdentityCalibrationGivesRawValues)
{
    ConversionSettings s = FilterOn();
    s.applySignalFilter = 0;
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(s, IdentityCalibration(), Spectrum(kFlat), out);
    for (float v : out)
        EXPECT_NEAR(v, 100.0f, 1e-3f);
}

TEST(FrequencyFilter, SpikeIsReplacedByNeighbourMeanAndModestValueKept)
{
    auto values = kFlat;
    values[6] = 1000; // departs by 900 > 0.5·min(1000, m)
    values[9] = 120;  // neighbours 100, 100, 100, 100: |120 - 100| = 20 <= 50
    const MeasurementRecord r = Spectrum(values);
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(FilterOn(), IdentityCalibration(), r, out);
    EXPECT_NEAR(out[6], 100.0f, 1e-3f);
    EXPECT_NEAR(out[9], 120.0f, 1e-3f);
    // Neighbours of 5 are 3, 4, 6, 7 with the unfiltered spike: mean (100+100+1000+100)/4.
    // |100 - 325| = 225 > 50, so even a good value next to a spike takes the mean.
    EXPECT_NEAR(out[5], 325.0f, 1e-3f);
    EXPECT_NEAR(ConvertReadingFiltered(FilterOn(), IdentityCalibration(), r, 6), 100.0f, 1e-3f);
    EXPECT_NEAR(ConvertReadingFiltered(FilterOn(), IdentityCalibration(), r, 5), 325.0f, 1e-3f);
}

TEST(FrequencyFilter, EndsUseOnlyNeighboursInsideTheRange)
{
    auto values = kFlat;
    values[0] = 10;
    values[1] = 300;
    values[2] = 300;
    values[3] = 100000; // would move the mean of frequency 0 if it counted
    values[13] = 10;
    values[12] = 500;
    values[11] = 700;
    values[10] = 100000;
    const MeasurementRecord r = Spectrum(values);
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(FilterOn(), IdentityCalibration(), r, out);
    EXPECT_NEAR(out[0], 300.0f, 1e-3f);
    EXPECT_NEAR(out[13], 600.0f, 1e-3f);
    EXPECT_NEAR(ConvertReadingFiltered(FilterOn(), IdentityCalibration(), r, 0), 300.0f, 1e-3f);
    EXPECT_NEAR(ConvertReadingFiltered(FilterOn(), IdentityCalibration(), r, 13), 600.0f, 1e-3f);
}

TEST(FrequencyFilter, UnusedFrequenciesAreZeroAndNotNeighbours)
{
    auto values = kFlat;
    values[4] = 5000;
    const MeasurementRecord r = Spectrum(values);
    ConversionSettings s = FilterOn();
    s.usedFrequencies[4] = 0; // its spike no longer counts for 2, 3, 5, 6
    s.usedFrequencies[8] = 0;
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(s, IdentityCalibration(), r, out);
    EXPECT_NEAR(out[3], 100.0f, 1e-3f);
    EXPECT_NEAR(out[5], 100.0f, 1e-3f);
    // An unused frequency is 0 and then takes the mean of its used neighbours.
    EXPECT_NEAR(out[4], 100.0f, 1e-3f);
    EXPECT_NEAR(out[8], 100.0f, 1e-3f);
    // Without the filter it stays 0; the single-index form converts it anyway.
    s.applySignalFilter = 0;
    ConvertSpectrum(s, IdentityCalibration(), r, out);
    EXPECT_EQ(out[4], 0.0f);
    EXPECT_NEAR(ConvertReadingFiltered(s, IdentityCalibration(), r, 4), 5000.0f, 1e-2f);
}

TEST(FrequencyFilter, FewerThanTwoNeighboursKeepsTheValue)
{
    auto values = kFlat;
    values[7] = 9000;
    const MeasurementRecord r = Spectrum(values);
    ConversionSettings s = FilterOn();
    s.usedFrequencies = {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_NEAR(ConvertReadingFiltered(s, IdentityCalibration(), r, 7), 9000.0f, 1e-2f);
}

TEST(FrequencyFilter, NegativeValuesAreAlwaysReplaced)
{
    auto values = kFlat;
    values[6] = -100;
    values[5] = -90;
    values[7] = -110;
    values[4] = -100;
    values[8] = -100;
    const MeasurementRecord r = Spectrum(values);
    // |-100 - (-100)| = 0 > 0.5·(-100) holds: the threshold is negative.
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(FilterOn(), IdentityCalibration(), r, out);
    EXPECT_NEAR(out[6], -100.0f, 1e-3f);
    EXPECT_NEAR(ConvertReadingFiltered(FilterOn(), IdentityCalibration(), r, 5), (100 - 100 - 100 - 110) / 4.0f, // 3, 4, 6, 7
                1e-3f);
}

TEST(FrequencyFilter, HasNoEffectOnInstrumentUnits)
{
    auto values = kFlat;
    values[6] = 1000;
    const MeasurementRecord r = Spectrum(values);
    ConversionSettings s = FilterOn();
    s.unitMeasure = 0;
    std::array<float, kFrequencyCount> out{};
    ConvertSpectrum(s, IdentityCalibration(), r, out);
    EXPECT_EQ(out[6], 1000.0f);
    EXPECT_EQ(ConvertReadingFiltered(s, IdentityCalibration(), r, 6), 1000.0f);
}
