// The simulated ground and the raw values that stand for it: read back through the
// apparent-value conversion, they must give the conductivity they were made from.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "sim/GroundModel.h"
#include "sim/SimulatedInstrument.h"

namespace {

enum Component { kModule = 0, kQuadrature = 1, kInphase = 2 };

struct ModelConstants {
    double k1, k2;
};

// The induction model constants, written out from the conversion's definition.
ModelConstants Constants(const CalibrationSet& c, int i)
{
    const double pi = 2 * std::acos(0.0);
    const double mu0 = 4 * pi * 1e-7;
    const double w = 2 * pi * 1000 * c.F[size_t(i)];
    double k1 = (c.M2[size_t(i)] / c.r2 - c.M1[size_t(i)] / c.r1) * std::pow(c.rt * w * mu0, 2) * c.nt * 0.0625;
    double k2 = std::pow(w * mu0, 2.5) * c.nt * c.rt * c.rt / (15 * std::sqrt(2.0)) * (c.M2[size_t(i)] - c.M1[size_t(i)]);
    return {k1, k2};
}

// Apparent conductivity from raw values: current normalisation, undercompensation, phase
// correction, gain, then the model inverted for the chosen component.
double Apparent(const CalibrationSet& c, int i, const ChannelValues& raw, Component component)
{
    size_t n = size_t(i);
    std::complex<double> z(raw[0] >> 7, raw[1] >> 7);
    double w = std::abs(std::complex<double>(raw[2], raw[3]) * c.CC[n]);
    z /= w;
    z -= std::complex<double>(c.XA[n], c.YA[n]) / (c.CC[n] * c.IA[n]);
    z *= std::complex<double>(c.XP[n], c.YP[n]);
    z *= c.GF[n];
    auto [k1, k2] = Constants(c, i);
    if (component == kQuadrature)
        return z.real() / k1;
    if (component == kInphase)
        return std::pow(std::abs(-z.imag() / k2), 2.0 / 3.0);
    double a = std::pow(k1 / k2, 2), b = std::pow(std::abs(z) / k2, 2);
    double p = -a * a / 3, q = 2 * std::pow(a / 3, 3) - b;
    double d = std::pow(p / 3, 3) + std::pow(q / 2, 2);
    double t;
    if (d >= 0) {
        double s = std::sqrt(d);
        t = std::pow(s - q / 2, 1.0 / 3) + std::cbrt(-q / 2 - s);
    } else {
        double r = std::sqrt(-d + std::pow(q / 2, 2));
        t = 2 * std::pow(r, 1.0 / 3) * std::cos(std::acos(-q / (2 * r)) / 3);
    }
    return t - a / 3;
}

// One quantum of the signal, as a change of the corrected value, in conductivity.
double QuantumInSigma(const CalibrationSet& c, int i, Component component, double sigma)
{
    size_t n = size_t(i);
    double step = 1.5 * std::abs(std::complex<double>(c.XP[n], c.YP[n])) * c.GF[n] / (c.CC[n] * c.IA[n]);
    auto [k1, k2] = Constants(c, i);
    if (component == kQuadrature)
        return step / k1;
    if (component == kInphase) // d(σ^1.5) = 1.5 σ^0.5 dσ
        return step / (k2 * 1.5 * std::sqrt(sigma));
    return step / std::min(k1, k2 * 1.5 * std::sqrt(sigma));
}

TEST(SimulatedChannel, ConvertsBackToItsConductivityInEveryComponent)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    for (double sigma : {0.002, 0.02, 0.2})
        for (int i = 0; i < kFrequencyCount; ++i) {
            ChannelValues raw = SimulatedChannel(c, i, sigma);
            for (Component component : {kQuadrature, kInphase, kModule}) {
                SCOPED_TRACE(testing::Message() << "sigma " << sigma << " i " << i << " component " << component);
                double tolerance = QuantumInSigma(c, i, component, sigma) + 1e-9;
                EXPECT_NEAR(Apparent(c, i, raw, component), sigma, tolerance);
            }
        }
}

TEST(SimulatedChannel, HighFrequenciesResolveWellAndValuesStayIn24Bits)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ChannelValues raw = SimulatedChannel(c, 13, 0.02);
    EXPECT_NEAR(Apparent(c, 13, raw, kQuadrature), 0.02, 0.0002);
    EXPECT_NEAR(Apparent(c, 13, raw, kModule), 0.02, 0.0002);
    raw = SimulatedChannel(c, 0, 0.02); // the current is the air measurement's
    EXPECT_EQ(raw[2], 33428);
    EXPECT_EQ(raw[3], 0);
    for (int32_t v : SimulatedChannel(c, 13, 1e9)) {
        EXPECT_LE(v, 8388607);
        EXPECT_GE(v, -8388608);
    }
    // Nonsense in gives the plain undercompensation, not garbage.
    EXPECT_EQ(SimulatedChannel(c, 3, std::nan(""))[0] >> 7, -148);
    CalibrationSet noGeometry = c;
    noGeometry.r1 = 0;
    EXPECT_EQ(SimulatedChannel(noGeometry, 3, 0.02)[0] >> 7, -148);
}

// Background far away; the pipe raises every frequency above it; the block, deep, shows at
// low frequencies only (frequency 0 senses around 10 m, 13 around 1 m).
TEST(GroundModel, BodiesShowWhereAndHowDeepTheyAre)
{
    GroundModel ground;
    const CalibrationSet& c = BuiltInCalibrationSet();
    for (int i = 0; i < kFrequencyCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(ground.ApparentConductivity(c, i, 200, 200), ground.background, 1e-12);
        const double over = ground.ApparentConductivity(c, i, ground.pipeX, 100);
        const double beside = ground.ApparentConductivity(c, i, ground.pipeX + 6, 100);
        EXPECT_GT(over, beside);
        EXPECT_GT(beside, ground.background - 1e-12);
    }
    ground.pipeConductivity = 0;
    EXPECT_LT(ground.ApparentConductivity(c, 0, 50, 15), 0.6 * ground.background);
    EXPECT_NEAR(ground.ApparentConductivity(c, 13, 50, 15), ground.background, 0.05 * ground.background);
    EXPECT_DOUBLE_EQ(ground.Conductivity(50, 15, 10), ground.blockConductivity);
    EXPECT_DOUBLE_EQ(ground.Conductivity(50, 40, 10), ground.background);
}

TEST(SurveyWalk, ReadingsWalkTheGridInSerpentineOrder)
{
    InstrumentOptions options;
    options.walk = {3, 5.0, 10.0};
    SimulatedInstrument instrument(options, BuiltInCalibrationSet());
    std::vector<std::pair<double, double>> expected = {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}, {0, 20}};
    for (uint32_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(instrument.WalkPosition(k), expected[k]) << k;

    options.walk = {0, 2.5, 10.0}; // open-ended profile
    SimulatedInstrument open(options, BuiltInCalibrationSet());
    EXPECT_EQ(open.WalkPosition(7), std::make_pair(17.5, 0.0));
}

} // namespace
