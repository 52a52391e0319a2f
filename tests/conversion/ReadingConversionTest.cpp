#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "conversion/ReadingConversion.h"
#include "support/RecordBuilder.h"

using testing_support::PutChannel;

namespace {

const double kPi = 3.14159265358979323846;

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

ConversionSettings Adc(int component)
{
    ConversionSettings s;
    s.unitMeasure = 0;
    s.signalComponent = component;
    return s;
}

ConversionSettings Apparent(int component, int kind)
{
    ConversionSettings s;
    s.unitMeasure = 1;
    s.signalComponent = component;
    s.apparentValueKind = kind;
    return s;
}

double Rel(double expected) { return std::fabs(expected) * 1e-12; }

} // namespace

TEST(ConvertReading, EmptyRecordOrMissingChannelIsZeroInEveryMode)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord empty;
    MeasurementRecord other;
    PutChannel(other, 2, 5000, 5000, 100, 100);
    // Only bits 6 and 7 of byte 169: still empty.
    MeasurementRecord highBits = TestRecord();
    highBits.bytes[168] = 0;
    highBits.bytes[169] = 0xC0;
    for (int unit = 0; unit <= 1; ++unit)
        for (int component = 0; component <= 2; ++component) {
            ConversionSettings s = unit ? Apparent(component, 1) : Adc(component);
            EXPECT_EQ(ConvertReading(s, c, empty, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, other, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, highBits, 3), 0.0);
            EXPECT_EQ(ConvertReading(s, c, TestRecord(), -1), 0.0);
            EXPECT_EQ(ConvertReading(s, c, TestRecord(), 14), 0.0);
        }
}

TEST(ConvertReading, InstrumentUnitsWithoutCorrectionsAreRawValuesSignalShifted)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord r = TestRecord();
    EXPECT_DOUBLE_EQ(ConvertReading(Adc(1), c, r, 3), 582.0);
    EXPECT_DOUBLE_EQ(ConvertReading(Adc(2), c, r, 3), -8.0); // -1000 >> 7 rounds down
    EXPECT_DOUBLE_EQ(ConvertReading(Adc(0), c, r, 3), std::sqrt(582.0 * 582.0 + 8.0 * 8.0));

    MeasurementRecord minusOne;
    PutChannel(minusOne, 0, -1, -8388608, 0, 0);
    EXPECT_DOUBLE_EQ(ConvertReading(Adc(1), c, minusOne, 0), -1.0);
    EXPECT_DOUBLE_EQ(ConvertReading(Adc(2), c, minusOne, 0), -65536.0);

    // The current channel is never shifted.
    for (auto [component, expected] : {std::pair{1, 30000.0}, {2, -40000.0}, {0, 50000.0}}) {
        ConversionSettings s = Adc(component);
        s.signalChannelIsCurrent = 1;
        EXPECT_DOUBLE_EQ(ConvertReading(s, c, r, 3), expected) << component;
    }
}

TEST(ConvertReading, InstrumentUnitCorrectionsInOrder)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord r = TestRecord();
    const double w = 0.0001 * 50000.0; // |CC·(30000, -40000)| = 5

    ConversionSettings s = Adc(1);
    s.normalizeToCurrent = 1;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), 582.0 / w, Rel(582.0 / w));

    s.subtractUndercompensation = 1; // U / (CC·IA) = (-40, 12) / 5
    const double re = 582.0 / w - (-40.0 / 5.0);
    const double im = -8.0 / w - 12.0 / 5.0;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), re, Rel(re));

    s.phaseEqualization = 1; // (re + i·im)(0.6 - 0.8i)
    const double pre = re * 0.6 - im * -0.8;
    const double pim = re * -0.8 + im * 0.6;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), pre, Rel(pre));
    s.signalComponent = 2;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), pim, Rel(pim));
    s.signalComponent = 0;
    const double mod = std::sqrt(pre * pre + pim * pim);
    EXPECT_NEAR(ConvertReading(s, c, r, 3), mod, Rel(mod));

    // Undercompensation without current normalisation is subtracted as stored.
    ConversionSettings u = Adc(1);
    u.subtractUndercompensation = 1;
    EXPECT_DOUBLE_EQ(ConvertReading(u, c, r, 3), 582.0 + 40.0);
}

TEST(ConvertReading, FrequencyNormalisationUsesTheComponentsExponent)
{
    const CalibrationSet c = TestCalibration(); // F_3 = 10 kHz
    const MeasurementRecord r = TestRecord();
    ConversionSettings s = Adc(1);
    s.normalizeToFrequency = 1;
    s.quadraturePower = 3.0f;
    s.inphasePower = 0.5f;
    s.modulePower = 1.0f;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), 582.0 / 1000.0, 1e-12);
    s.signalComponent = 2;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), -8.0 / std::sqrt(10.0), 1e-12);
    s.signalComponent = 0;
    EXPECT_NEAR(ConvertReading(s, c, r, 3), std::sqrt(582.0 * 582.0 + 64.0) / 10.0, 1e-12);
}

TEST(ConvertReading, UndefinedCasesGiveZeroNotInfinity)
{
    CalibrationSet c = TestCalibration();
    MeasurementRecord noCurrent;
    PutChannel(noCurrent, 3, 74565, -1000, 0, 0);

    ConversionSettings s = Adc(1);
    s.normalizeToCurrent = 1;
    EXPECT_EQ(ConvertReading(s, c, noCurrent, 3), 0.0);
    EXPECT_EQ(ConvertReading(Apparent(1, 0), c, noCurrent, 3), 0.0);

    c.F[3] = 0.0;
    ConversionSettings f = Adc(1);
    f.normalizeToFrequency = 1;
    EXPECT_EQ(ConvertReading(f, c, TestRecord(), 3), 0.0);

    c = TestCalibration();
    c.IA[3] = 0.0;
    ConversionSettings u = Adc(1);
    u.normalizeToCurrent = 1;
    u.subtractUndercompensation = 1;
    EXPECT_EQ(ConvertReading(u, c, TestRecord(), 3), 0.0);

    c = TestCalibration();
    EXPECT_EQ(ConvertReading(Adc(3), c, TestRecord(), 3), 0.0);
    EXPECT_EQ(ConvertReading(Adc(-1), c, TestRecord(), 3), 0.0);
    ConversionSettings unit = Adc(1);
    unit.unitMeasure = 2;
    EXPECT_EQ(ConvertReading(unit, c, TestRecord(), 3), 0.0);
    for (int kind = 0; kind <= 2; ++kind)
        EXPECT_EQ(ConvertReading(Apparent(3, kind), c, TestRecord(), 3), 0.0);
}

namespace {

// The model constants at frequency 3 of TestCalibration, written out.
struct Model {
    double k1, k2;
};
Model ModelAt3()
{
    const double mu0 = 4 * kPi * 1e-7;
    const double omega = 2 * kPi * 1000 * 10.0;
    const double k1 = (0.19 / 2.508 - 0.04 / 1.496) * std::pow(0.1525 * omega * mu0, 2) * 38 / 16;
    const double k2 = std::pow(omega * mu0, 2.5) * 38 * 0.1525 * 0.1525 / (15 * std::sqrt(2.0)) * (0.19 - 0.04);
    return {k1, k2};
}

// The corrected complex value of channel 3 of TestRecord in apparent mode (before GF).
void CorrectedZ(double& re, double& im)
{
    const double zr = 582.0 / 5 + 40.0 / 5, zi = -8.0 / 5 - 12.0 / 5;
    re = (zr * 0.6 + zi * 0.8) * 1.4e-8;
    im = (zr * -0.8 + zi * 0.6) * 1.4e-8;
}

} // namespace

TEST(ConvertReading, ApparentQuadratureAndInphaseInEveryUnit)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord r = TestRecord();
    const Model m = ModelAt3();
    double re = 0, im = 0;
    CorrectedZ(re, im);

    const double sigmaQ = re / m.k1;
    EXPECT_NEAR(ConvertReading(Apparent(1, 2), c, r, 3), sigmaQ, Rel(sigmaQ));
    EXPECT_NEAR(ConvertReading(Apparent(1, 1), c, r, 3), 1000 * sigmaQ, Rel(1000 * sigmaQ));
    EXPECT_NEAR(ConvertReading(Apparent(1, 0), c, r, 3), 1 / sigmaQ, Rel(1 / sigmaQ));

    const double sigmaI = std::pow(std::fabs(im / m.k2), 2.0 / 3.0);
    EXPECT_NEAR(ConvertReading(Apparent(2, 2), c, r, 3), sigmaI, Rel(sigmaI) * 10);
    EXPECT_NEAR(ConvertReading(Apparent(2, 0), c, r, 3), 1 / sigmaI, Rel(1 / sigmaI) * 10);
}

TEST(ConvertReading, ApparentValuesApplyEveryCorrectionRegardlessOfFlags)
{
    const CalibrationSet c = TestCalibration();
    const MeasurementRecord r = TestRecord();
    const ConversionSettings plain = Apparent(1, 1);
    ConversionSettings flagged = plain;
    flagged.normalizeToCurrent = 1;
    flagged.subtractUndercompensation = 1;
    flagged.phaseEqualization = 1;
    flagged.normalizeToFrequency = 1; // never applied to apparent values
    EXPECT_DOUBLE_EQ(ConvertReading(plain, c, r, 3), ConvertReading(flagged, c, r, 3));
    EXPECT_NE(ConvertReading(plain, c, r, 3), 0.0);
}

TEST(ApparentConductivity, ModuleSolvesTheCubicInBothBranches)
{
    const CalibrationSet c = TestCalibration();
    const Model m = ModelAt3();
    const double A = (m.k1 / m.k2) * (m.k1 / m.k2);
    // B below 4(A/3)^3 takes the trigonometric branch, above it the Cardano branch.
    const double threshold = 4 * std::pow(A / 3, 3);
    for (double B : {threshold * 1e-3, threshold * 0.5, threshold * 2, threshold * 1e4}) {
        const double v = std::sqrt(B) * m.k2;
        const double sigma = ApparentConductivity(Apparent(0, 2), c, v, 3);
        EXPECT_GT(sigma, 0.0) << B;
        const double residual = sigma * sigma * sigma + A * sigma * sigma - B;
        EXPECT_NEAR(residual, 0.0, B * 1e-9) << B;
        // The sign of v does not matter.
        EXPECT_DOUBLE_EQ(ApparentConductivity(Apparent(0, 2), c, -v, 3), sigma);
    }
}

TEST(ApparentConductivity, DegenerateModelsGiveZero)
{
    CalibrationSet c = TestCalibration();
    EXPECT_EQ(ApparentConductivity(Apparent(0, 2), c, 0.0, 3), 0.0); // no signal
    c.r1 = 0.0;
    for (int component = 0; component <= 2; ++component)
        EXPECT_EQ(ApparentConductivity(Apparent(component, 2), c, 1e-6, 3), 0.0);
    c = TestCalibration();
    c.M2[3] = c.M1[3]; // K2 = 0
    EXPECT_EQ(ApparentConductivity(Apparent(0, 2), c, 1e-6, 3), 0.0);
    EXPECT_EQ(ApparentConductivity(Apparent(2, 2), c, 1e-6, 3), 0.0);
    c = TestCalibration();
    c.r2 = c.r1; // K1 = 0
    c.M2[3] = c.M1[3];
    EXPECT_EQ(ApparentConductivity(Apparent(1, 2), c, 1e-6, 3), 0.0);
    // Resistivity of sigma = 0 is 0, not infinity.
    MeasurementRecord zeroSignal;
    PutChannel(zeroSignal, 3, 0, 0, 30000, -40000);
    c = TestCalibration();
    c.XA[3] = c.YA[3] = 0;
    EXPECT_EQ(ConvertReading(Apparent(1, 0), c, zeroSignal, 3), 0.0);
}

TEST(FrequencyDepth, ScalesTheDepthCoefficient)
{
    CalibrationSet c = TestCalibration();
    c.F[5] = c.F[0] * 4;
    c.DC[5] = std::sqrt(c.F[0] / c.F[5]);
    ConversionSettings s;
    s.depthScaleFactor = 12.5f;
    EXPECT_FLOAT_EQ(FrequencyDepth(s, c, 0), 12.5f);
    EXPECT_FLOAT_EQ(FrequencyDepth(s, c, 5), 6.25f);
    EXPECT_EQ(FrequencyDepth(s, c, 14), 0.0f);
    EXPECT_EQ(FrequencyDepth(s, c, -1), 0.0f);
}
