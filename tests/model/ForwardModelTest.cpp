// The layered-earth model of the instrument against slow, plain computations of the same
// physics, and against the reading conversion it must agree with at low induction.
#include <gtest/gtest.h>

#include <random>

#include "ModelReference.h"
#include "conversion/ReadingConversion.h"
#include "model/ForwardModel.h"

namespace {

using model_reference::Complex;

ModelResponse Response(const LayeredEarth& earth, double height = 0)
{
    ForwardModel model(BuiltInCalibrationSet(), height);
    ModelResponse z{};
    EXPECT_TRUE(model.Evaluate(earth, kAllFrequencies, z)) << earth.Problem() << model.Problem();
    return z;
}

// Each component within `tolerance` of its own size.
void ExpectComponentsNear(Complex got, Complex want, double tolerance, const std::string& what)
{
    EXPECT_NEAR(got.real(), want.real(), tolerance * std::fabs(want.real())) << what << " quadrature";
    EXPECT_NEAR(got.imag(), want.imag(), tolerance * std::fabs(want.imag())) << what << " in-phase";
}

TEST(ForwardModel, HalfSpaceMatchesTheClosedForm)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    for (double sigma : {1e-4, 1e-3, 1e-2, 0.1, 1.0}) {
        const ModelResponse z = Response(HalfSpace(sigma));
        for (int i = 0; i < kFrequencyCount; ++i)
            ExpectComponentsNear(z[size_t(i)], model_reference::HalfSpaceResponse(c, sigma, i), 1e-3,
                                 "sigma " + std::to_string(sigma) + " frequency " + std::to_string(i));
    }
}

TEST(ForwardModel, LayeredGroundsMatchTheHankelIntegralByQuadrature)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    const struct {
        LayeredEarth earth;
        double height;
    } cases[] = {
        {{{0.02, 0.2, 0.05}, {1.0, 2.0}}, 0.0},  // resistive over conductive over moderate
        {{{0.3, 0.005, 0.1}, {0.5, 4.0}}, 0.0},  // conductive cover
        {{{0.01, 1.0, 0.001}, {3.0, 0.3}}, 0.0}, // a thin good conductor
        {{{0.02, 0.2, 0.05}, {1.0, 2.0}}, 0.7},  // the first, carried at hip height
    };
    for (const auto& k : cases) {
        const ModelResponse z = Response(k.earth, k.height);
        for (int i = 0; i < kFrequencyCount; i += 3)
            ExpectComponentsNear(z[size_t(i)], model_reference::SlowResponse(c, k.earth, i, k.height), 1e-3,
                                 "top " + std::to_string(k.earth.conductivity[0]) + " height " +
                                     std::to_string(k.height) + " frequency " + std::to_string(i));
    }
}

// At low induction numbers the model tends to the conversion's K1·σ (quadrature, real part)
// and K2·σ^1.5 (in-phase, imaginary part, negative), so the conversion's apparent
// conductivity of a modelled reading tends to the ground's.
TEST(ForwardModel, LowInductionLimitIsTheConversionsApparentConductivity)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ConversionSettings quadrature, inphase;
    quadrature.signalComponent = 1;
    inphase.signalComponent = 2;
    std::array<double, 3> worst{};
    const double sigmas[] = {1e-2, 1e-4, 1e-6};
    for (size_t s = 0; s < 3; ++s) {
        const ModelResponse z = Response(HalfSpace(sigmas[s]));
        for (int i = 0; i < kFrequencyCount; ++i) {
            const Complex v = z[size_t(i)];
            EXPECT_GT(v.real(), 0) << i;
            EXPECT_LT(v.imag(), 0) << i;
            const double fromQuadrature = ApparentConductivity(quadrature, c, v.real(), i) / sigmas[s];
            const double fromInphase = ApparentConductivity(inphase, c, v.imag(), i) / sigmas[s];
            worst[s] = std::max({worst[s], std::fabs(fromQuadrature - 1), std::fabs(fromInphase - 1)});
        }
    }
    // The first correction grows as the induction number, sqrt(σ).
    EXPECT_GT(worst[0], 0.05);
    EXPECT_LT(worst[1], worst[0] / 5);
    EXPECT_LT(worst[2], worst[1] / 5);
    EXPECT_LT(worst[2], 0.01);
}

TEST(ForwardModel, LayersThatAreNotThereChangeNothing)
{
    const LayeredEarth plain{{0.02, 0.2, 0.05}, {1.0, 2.0}};
    const ModelResponse want = Response(plain);
    const LayeredEarth variants[] = {
        {{0.02, 5.0, 0.2, 0.05}, {1.0, 0.0, 2.0}},       // a layer of no thickness
        {{0.02, 0.02, 0.2, 0.05}, {0.4, 0.6, 2.0}},      // the top layer split in two
        {{0.02, 0.2, 0.2, 0.2, 0.05}, {1.0, 0.5, 1.0, 0.5}}, // the middle one in three
        {{0.02, 0.2, 0.05, 0.05}, {1.0, 2.0, 7.0}},      // the bottom one split
    };
    for (const LayeredEarth& earth : variants) {
        const ModelResponse z = Response(earth);
        for (size_t i = 0; i < size_t(kFrequencyCount); ++i)
            EXPECT_NEAR(std::abs(z[i] - want[i]), 0, 1e-10 * std::abs(want[i])) << earth.Layers() << " layers, " << i;
    }
    // A half-space, however it is cut.
    const ModelResponse uniform = Response(HalfSpace(0.1));
    const ModelResponse cut = Response({{0.1, 0.1, 0.1}, {0.3, 3.0}});
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i)
        EXPECT_NEAR(std::abs(cut[i] - uniform[i]), 0, 1e-10 * std::abs(uniform[i])) << i;
}

// F(m + hδ) − F(m) − h J δ must shrink as h², where F(m + hδ) − F(m) shrinks as h.
TEST(ForwardModel, JacobianPassesTheTaylorTest)
{
    ForwardModel model(BuiltInCalibrationSet(), 0.3);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1, 1);
    LayeredEarth earth;
    for (int j = 0; j < 12; ++j) {
        earth.conductivity.push_back(0.05 * std::exp(2 * unit(random)));
        if (j < 11)
            earth.thickness.push_back(0.2 + 0.1 * j);
    }
    std::vector<double> direction(earth.Layers());
    for (double& d : direction)
        d = unit(random);
    ModelResponse z0{};
    std::vector<Complex> jacobian;
    ASSERT_TRUE(model.Evaluate(earth, kAllFrequencies, z0, &jacobian));
    const size_t n = earth.Layers();
    double previous = 0;
    for (double h : {1e-2, 5e-3, 2.5e-3, 1.25e-3}) {
        LayeredEarth moved = earth;
        for (size_t j = 0; j < n; ++j)
            moved.conductivity[j] *= std::exp(h * direction[j]);
        ModelResponse z{};
        ASSERT_TRUE(model.Evaluate(moved, kAllFrequencies, z));
        double first = 0, second = 0;
        for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
            Complex linear = 0;
            for (size_t j = 0; j < n; ++j)
                linear += jacobian[i * n + j] * direction[j];
            const double scale = std::abs(z0[i]);
            first += std::norm((z[i] - z0[i]) / scale);
            second += std::norm((z[i] - z0[i] - h * linear) / scale);
        }
        first = std::sqrt(first);
        second = std::sqrt(second);
        EXPECT_LT(second, 0.05 * first) << h;
        if (previous > 0) {
            EXPECT_GT(previous / second, 3.5) << h;
            EXPECT_LT(previous / second, 4.5) << h;
        }
        previous = second;
    }
    // Frequencies left out have no rows.
    FrequencyMask some{};
    some[3] = true;
    ASSERT_TRUE(model.Evaluate(earth, some, z0, &jacobian));
    EXPECT_EQ(z0[4], Complex(0));
    EXPECT_EQ(jacobian[4 * n + 2], Complex(0));
    EXPECT_NE(jacobian[3 * n + 2], Complex(0));
}

// Extreme but legal grounds and heights never give NaN or infinity.
TEST(ForwardModel, ExtremeGroundsStayFinite)
{
    ForwardModel model(BuiltInCalibrationSet());
    std::mt19937 random(11);
    const double conductivities[] = {0, 1e-9, 1e-4, 0.05, 3, 1e3, LayeredEarth::kMaxConductivity};
    const double thicknesses[] = {0, 1e-9, 1e-3, 0.5, 20, 1e3, LayeredEarth::kMaxThickness};
    const double heights[] = {0, 1e-6, 0.5, 30, 1000};
    auto pick = [&](const auto& values) { return values[random() % std::size(values)]; };
    for (int trial = 0; trial < 300; ++trial) {
        LayeredEarth earth;
        const size_t n = 1 + random() % (trial < 200 ? 6 : 60);
        for (size_t j = 0; j < n; ++j) {
            earth.conductivity.push_back(pick(conductivities));
            if (j + 1 < n)
                earth.thickness.push_back(pick(thicknesses));
        }
        ForwardModel above(BuiltInCalibrationSet(), pick(heights));
        ModelResponse z{};
        std::vector<Complex> jacobian;
        ASSERT_TRUE(above.Evaluate(earth, kAllFrequencies, z, &jacobian));
        for (const Complex& v : z)
            ASSERT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag())) << trial;
        for (const Complex& v : jacobian)
            ASSERT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag())) << trial;
    }
}

TEST(ForwardModel, RefusesWhatItCannotCompute)
{
    ModelResponse z{};
    ForwardModel model(BuiltInCalibrationSet());
    EXPECT_FALSE(model.Evaluate(LayeredEarth{}, kAllFrequencies, z));
    EXPECT_FALSE(model.Evaluate({{0.1, 0.2}, {}}, kAllFrequencies, z));
    EXPECT_FALSE(model.Evaluate({{0.1, -0.2}, {1}}, kAllFrequencies, z));
    EXPECT_FALSE(model.Evaluate({{0.1, std::nan("")}, {1}}, kAllFrequencies, z));
    EXPECT_FALSE(model.Evaluate({{0.1, 0.2}, {-1}}, kAllFrequencies, z));
    EXPECT_FALSE(ForwardModel(BuiltInCalibrationSet(), -1).Evaluate(HalfSpace(0.1), kAllFrequencies, z));
    CalibrationSet broken = BuiltInCalibrationSet();
    broken.r2 = 0;
    ForwardModel noGeometry(broken);
    EXPECT_FALSE(noGeometry.Problem().empty());
    EXPECT_FALSE(noGeometry.Evaluate(HalfSpace(0.1), kAllFrequencies, z));
    broken = BuiltInCalibrationSet();
    broken.F[5] = 0;
    EXPECT_FALSE(ModelCalibrationProblem(broken).empty());
    EXPECT_TRUE(ModelCalibrationProblem(CalibrationSet{}) != "");
}

TEST(LayeredEarth, ParsesTheCommandLineForm)
{
    LayeredEarth earth;
    std::string error;
    ASSERT_TRUE(ParseLayeredEarth("0.02:1,0.2:2,0.05", earth, error)) << error;
    EXPECT_EQ(earth.conductivity, (std::vector<double>{0.02, 0.2, 0.05}));
    EXPECT_EQ(earth.thickness, (std::vector<double>{1, 2}));
    EXPECT_DOUBLE_EQ(earth.Top(2), 3.0);
    EXPECT_DOUBLE_EQ(earth.ConductivityAt(2.5), 0.2);
    EXPECT_DOUBLE_EQ(earth.ConductivityAt(30), 0.05);
    ASSERT_TRUE(ParseLayeredEarth("1e-2", earth, error));
    EXPECT_EQ(earth.Layers(), 1u);
    for (const char* bad : {"", "0.02:1", "0.02,0.2", "x", "0.02:1,", "0.02:-1,0.1", "-0.1", "0.1:1:2,3", "nan",
                            "0.1:inf,0.2", "1e400"}) {
        EXPECT_FALSE(ParseLayeredEarth(bad, earth, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
