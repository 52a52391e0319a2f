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
const double kMu0 = 4 * kPi * 1e-7;

// A calibration set with round numbers on channel 3 and plausible model scalars.
CalibrationSet TestCalibration()
{
    CalibrationSet c;
    for (int i = 0; i < kFrequencyCount; ++i) {
        c.F[i] = 2.5 * (i + 1);
        c.XP[i] = 0.6;
        c.YP[i] = -0.8;
        c.XA[i] = -40;
        c.YA[i] = 12;
        c.IA[i] = 50000;
        c.CC[i] = 0.0001;
        c.M1[i] = 0.04;
        c.M2[i] = 0.19;
        c.GF[i] = 1.4e-8;
        c.DC[i] = std::sqrt(c.F[0] / c.F[i]);
    }
    c.rt = 0.1525;
    c.nt = 38;
    c.r1 = 1.496;
    c.r2 = 2.508;
    return c;
}

// Channel 3: signal (74565, -1000) -> shifted (582, -8); current (30000, -40000).
MeasurementRecord TestRecord()
{
    MeasurementRecord r;
    PutChannel(r, 3, 74565, -1000, 30000, -40000);
    return r;
}

ConversionSettings Apparent(int component, int kind)
{
    return ConversionSettings{.unitMeasure = 1, .signalComponent = component, .apparentValueKind = kind};
}

double Rel(double expected) { return std::fabs(expected) * 1e-12; }

} // namespace

TEST(ConvertReading, MissingChannelOrIndexIsZeroInEveryMode)
{
    const CalibrationSet c = TestCalibration();
    MeasurementRecord other;
    PutChannel(other, 2, 5000, 5000, 100, 100);
    MeasurementRecord highBits = TestRecord(); // only bits 6 and 7 of byte 169: still empty
    highBits.bytes[168] = 0;
    highBits.bytes[169] = 0xC0;
    for (int unit = 0; unit <= 1; ++unit)
        for (int component = 0; component <= 2; ++component) {
            const ConversionSettings s{.unitMeasure = unit, .signalComponent = component, .apparentValueKind = 1};
            EXPECT_EQ(ConvertReading(s, c, MeasurementRecord{}, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, other, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, highBits, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, TestRecord(), -1), 0.0);
            EXPECT_EQ(ConvertReading(s, c, TestRecord(), 14), 0.0);
        }
    EXPECT_EQ(FrequencyDepth({.depthScaleFactor = 12.5f}, c, 14), 0.0f);
    EXPECT_EQ(FrequencyDepth({.depthScaleFactor = 12.5f}, c, -1), 0.0f);
}

TEST(ConvertReading, InstrumentUnitsWithCorrectionsInOrder)
{
    const double w = 0.0001 * 50000.0; // |CC·(30000, -40000)| = 5
    const double re = 582.0 / w - (-40.0 / 5.0), im = -8.0 / w - 12.0 / 5.0; // minus U / (CC·IA)
    const double pre = re * 0.6 - im * -0.8, pim = re * -0.8 + im * 0.6;       // times (0.6 - 0.8i)
    struct Case {
        ConversionSettings s;
        double expected;
    };
    const Case cases[] = {
        {{.signalComponent = 1}, 582.0},
        {{.signalComponent = 2}, -8.0}, // -1000 >> 7 rounds down
        {{.signalComponent = 0}, std::sqrt(582.0 * 582.0 + 8.0 * 8.0)},
        // The current channel is never shifted.
        {{.signalChannelIsCurrent = 1, .signalComponent = 1}, 30000.0},
        {{.signalChannelIsCurrent = 1, .signalComponent = 0}, 50000.0},
        {{.signalComponent = 1, .normalizeToCurrent = 1}, 582.0 / w},
        {{.signalComponent = 1, .normalizeToCurrent = 1, .subtractUndercompensation = 1}, re},
        {{.signalComponent = 2, .normalizeToCurrent = 1, .subtractUndercompensation = 1, .phaseEqualization = 1}, pim},
        {{.signalComponent = 0, .normalizeToCurrent = 1, .subtractUndercompensation = 1, .phaseEqualization = 1},
         std::sqrt(pre * pre + pim * pim)},
        // Without current normalisation the undercompensation is subtracted as stored.
        {{.signalComponent = 1, .subtractUndercompensation = 1}, 582.0 + 40.0},
        // Each component has its own exponent of F_3 = 10 kHz.
        {{.signalComponent = 1, .normalizeToFrequency = 1, .modulePower = 1, .quadraturePower = 3}, 582.0 / 1000.0},
        {{.signalComponent = 2, .normalizeToFrequency = 1, .inphasePower = 0.5f}, -8.0 / std::sqrt(10.0)},
        {{.signalComponent = 0, .normalizeToFrequency = 1, .modulePower = 1}, std::sqrt(582.0 * 582.0 + 64.0) / 10.0},
        {{.signalComponent = 3}, 0.0},
        {{.unitMeasure = 2}, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ConvertReading(c.s, TestCalibration(), TestRecord(), 3), c.expected, Rel(c.expected)) << c.expected;

    MeasurementRecord minusOne;
    PutChannel(minusOne, 0, -1, -8388608, 0, 0);
    EXPECT_DOUBLE_EQ(ConvertReading({.signalComponent = 1}, TestCalibration(), minusOne, 0), -1.0);
    EXPECT_DOUBLE_EQ(ConvertReading({.signalComponent = 2}, TestCalibration(), minusOne, 0), -65536.0);
}

// Undefined and degenerate cases give 0, never infinity or NaN.
TEST(ConvertReading, UndefinedCasesGiveZero)
{
    CalibrationSet c = TestCalibration();
    MeasurementRecord noCurrent;
    PutChannel(noCurrent, 3, 74565, -1000, 0, 0);
    EXPECT_EQ(ConvertReading({.normalizeToCurrent = 1}, c, noCurrent, 3), 0.0);
    EXPECT_EQ(ConvertReading(Apparent(1, 0), c, noCurrent, 3), 0.0);
    EXPECT_EQ(ConvertReading(Apparent(3, 2), c, TestRecord(), 3), 0.0);
    EXPECT_EQ(ApparentConductivity(Apparent(0, 2), c, 0.0, 3), 0.0); // no signal
    c.M2[3] = c.M1[3]; // K2 = 0
    EXPECT_EQ(ApparentConductivity(Apparent(2, 2), c, 1e-6, 3), 0.0);
    c.r2 = c.r1; // K1 = 0
    EXPECT_EQ(ApparentConductivity(Apparent(1, 2), c, 1e-6, 3), 0.0);
    c.r1 = 0.0;
    EXPECT_EQ(ApparentConductivity(Apparent(0, 2), c, 1e-6, 3), 0.0);
    c = TestCalibration();
    c.IA[3] = 0.0;
    EXPECT_EQ(ConvertReading({.normalizeToCurrent = 1, .subtractUndercompensation = 1}, c, TestRecord(), 3), 0.0);
    c.F[3] = 0.0;
    EXPECT_EQ(ConvertReading({.normalizeToFrequency = 1}, c, TestRecord(), 3), 0.0);
    // Resistivity of sigma = 0 is 0.
    MeasurementRecord zeroSignal;
    PutChannel(zeroSignal, 3, 0, 0, 30000, -40000);
    c = TestCalibration();
    c.XA[3] = c.YA[3] = 0;
    EXPECT_EQ(ConvertReading(Apparent(1, 0), c, zeroSignal, 3), 0.0);
}

// The conductivities themselves are pinned against the ground model by the simulator's tests.
TEST(ConvertReading, ApparentUnitsAndBothBranchesOfTheModuleCubic)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord r = TestRecord();
    const double sigma = ConvertReading(Apparent(1, 2), c, r, 3);
    EXPECT_NEAR(ConvertReading(Apparent(1, 1), c, r, 3), 1000 * sigma, Rel(1000 * sigma));
    EXPECT_NEAR(ConvertReading(Apparent(1, 0), c, r, 3), 1 / sigma, Rel(1 / sigma));

    const double omega = 2 * kPi * 1000 * 10.0;
    const double k1 = (0.19 / 2.508 - 0.04 / 1.496) * std::pow(0.1525 * omega * kMu0, 2) * 38 / 16;
    const double k2 = std::pow(omega * kMu0, 2.5) * 38 * 0.1525 * 0.1525 / (15 * std::sqrt(2.0)) * (0.19 - 0.04);
    // σ³ + Aσ² = B: below B = 4(A/3)³ the trigonometric branch, above it Cardano's.
    const double A = (k1 / k2) * (k1 / k2);
    const double threshold = 4 * std::pow(A / 3, 3);
    for (double B : {threshold * 0.5, threshold * 2}) {
        const double v = std::sqrt(B) * k2;
        const double s = ApparentConductivity(Apparent(0, 2), c, v, 3);
        EXPECT_GT(s, 0.0) << B;
        EXPECT_NEAR(s * s * s + A * s * s - B, 0.0, B * 1e-9) << B;
        EXPECT_DOUBLE_EQ(ApparentConductivity(Apparent(0, 2), c, -v, 3), s); // sign does not matter
    }
}

namespace {

// Calibration under which the apparent conductivity in S/m of a quadrature reading equals
// the shifted raw signal: unit current, no undercompensation, no phase turn, unit gain and
// M2_i chosen so that K1_i = M2_i·(ω_i·μ0)² = 1 (M1 = 0, r2 = rt = 1, nt = 16).
CalibrationSet IdentityCalibration()
{
    CalibrationSet c;
    for (int i = 0; i < kFrequencyCount; ++i) {
        c.F[i] = 1.0 + i;
        c.XP[i] = c.IA[i] = c.CC[i] = c.GF[i] = 1;
        const double omega = 2 * kPi * 1000 * c.F[i];
        c.M2[i] = 1 / ((omega * kMu0) * (omega * kMu0));
    }
    c.rt = c.r1 = c.r2 = 1;
    c.nt = 16;
    return c;
}

struct Expect {
    int index;
    float value;
    float tolerance = 1e-3f;
};

struct FilterCase {
    const char* name;
    std::vector<std::pair<int, int32_t>> values; // changed from 100 on every channel
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

TEST(FrequencyFilter, Cases)
{
    for (const FilterCase& c : kFilterCases) {
        MeasurementRecord r;
        for (int i = 0; i < kFrequencyCount; ++i) PutChannel(r, i, 100 * 128, 0, 1, 0);
        for (auto [i, v] : c.values) PutChannel(r, i, v * 128, 0, 1, 0);
        const ConversionSettings s{.usedFrequencies = c.used, .unitMeasure = c.unitMeasure, .signalComponent = 1,
                                   .apparentValueKind = 2, .applySignalFilter = c.filter};
        std::array<float, kFrequencyCount> out{};
        ConvertSpectrum(s, IdentityCalibration(), r, out);
        for (const Expect& e : c.spectrum)
            EXPECT_NEAR(out[size_t(e.index)], e.value, e.tolerance) << c.name << " out[" << e.index << "]";
        for (const Expect& e : c.single)
            EXPECT_NEAR(ConvertReadingFiltered(s, IdentityCalibration(), r, e.index), e.value, e.tolerance)
                << c.name << " single " << e.index;
    }
}
