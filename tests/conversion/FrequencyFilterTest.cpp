#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <utility>
#include <vector>

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

struct Expect {
    int index;
    float value;
    float tolerance = 1e-3f;
};

struct FilterCase {
    const char* name;
    std::vector<std::pair<int, int32_t>> values; // changed from kFlat
    std::array<int32_t, kFrequencyCount> used;
    int32_t unitMeasure;
    int32_t filter;
    std::vector<Expect> spectrum; // out[index] of ConvertSpectrum
    std::vector<Expect> single;   // ConvertReadingFiltered(index)
};

const std::array<int32_t, kFrequencyCount> kAll{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
const std::array<int32_t, kFrequencyCount> kNo4No8{1, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1};

// A value departing from the mean m of its used neighbours (two each side, inside the range) by
// more than 0.5·min(value, m) takes that mean.
const FilterCase kFilterCases[] = {
    // 1000 is replaced; 120 departs by 20 <= 50 and stays; 5 sees the unfiltered spike:
    // mean (100+100+1000+100)/4 = 325, |100 - 325| > 50, so a good value takes the mean.
    {"Spike", {{6, 1000}, {9, 120}}, kAll, 1, 1, {{6, 100}, {9, 120}, {5, 325}}, {{6, 100}, {5, 325}}},
    // 3 and 10 would move the means of 0 and 13 if they counted.
    {"Ends", {{0, 10}, {1, 300}, {2, 300}, {3, 100000}, {13, 10}, {12, 500}, {11, 700}, {10, 100000}}, kAll, 1, 1,
     {{0, 300}, {13, 600}}, {{0, 300}, {13, 600}}},
    // An unused spike is no neighbour; an unused frequency is 0 and takes its neighbours' mean.
    {"UnusedFiltered", {{4, 5000}}, kNo4No8, 1, 1, {{3, 100}, {5, 100}, {4, 100}, {8, 100}}, {}},
    // Unfiltered it stays 0; the single-index form converts it anyway.
    {"UnusedUnfiltered", {{4, 5000}}, kNo4No8, 1, 0, {{4, 0, 0}}, {{4, 5000, 1e-2f}}},
    {"FewerThanTwoNeighbours", {{7, 9000}}, {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0}, 1, 1, {}, {{7, 9000, 1e-2f}}},
    // The threshold 0.5·(-100) is negative, so even |-100 - (-100)| = 0 exceeds it; 5 takes
    // the mean of 3, 4, 6, 7.
    {"Negative", {{6, -100}, {5, -90}, {7, -110}, {4, -100}, {8, -100}}, kAll, 1, 1, {{6, -100}},
     {{5, (100 - 100 - 100 - 110) / 4.0f}}},
    {"InstrumentUnitsUnfiltered", {{6, 1000}}, kAll, 0, 1, {{6, 1000, 0}}, {{6, 1000, 0}}},
};

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

TEST(FrequencyFilter, Cases)
{
    for (const FilterCase& c : kFilterCases) {
        auto values = kFlat;
        for (auto [i, v] : c.values) values[size_t(i)] = v;
        const MeasurementRecord r = Spectrum(values);
        ConversionSettings s = FilterOn();
        s.usedFrequencies = c.used;
        s.unitMeasure = c.unitMeasure;
        s.applySignalFilter = c.filter;
        std::array<float, kFrequencyCount> out{};
        ConvertSpectrum(s, IdentityCalibration(), r, out);
        for (const Expect& e : c.spectrum)
            EXPECT_NEAR(out[size_t(e.index)], e.value, e.tolerance) << c.name << " out[" << e.index << "]";
        for (const Expect& e : c.single)
            EXPECT_NEAR(ConvertReadingFiltered(s, IdentityCalibration(), r, e.index), e.value, e.tolerance)
                << c.name << " single " << e.index;
    }
}
