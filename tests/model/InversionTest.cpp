// Per-station inversion of synthetic readings over known grounds, with the noise of the
// instrument: 1% Gaussian on each part and its one-unit resolution, fixed seeds.
#include <gtest/gtest.h>

#include "SyntheticStation.h"
#include "conversion/ReadingConversion.h"
#include "model/Inversion.h"

namespace {

using testing_support::ExactStation;
using testing_support::ModelledStation;

InversionOptions WithNoise(double relative, double floorUnits)
{
    InversionOptions options;
    options.noise = {relative, floorUnits};
    return options;
}

// ∫ σ dz from the surface to `depth`, sampled every centimetre.
double Conductance(const LayeredEarth& earth, double depth)
{
    double sum = 0;
    for (double z = 0.005; z < depth; z += 0.01)
        sum += earth.ConductivityAt(z) * 0.01;
    return sum;
}

TEST(Inversion, HalfSpacesComeBackWithinFivePercentAboveTheDepthOfInvestigation)
{
    for (double sigma : {0.005, 0.05, 0.5}) {
        SCOPED_TRACE(sigma);
        const InversionResult r =
            InvertStation(&BuiltInCalibrationSet(), ModelledStation(HalfSpace(sigma), 0.01, 1), WithNoise(0.01, 1));
        ASSERT_EQ(r.refusal, StationRefusal::None);
        EXPECT_EQ(r.model.Layers(), 25u);
        EXPECT_GT(r.doi, 2.0);
        EXPECT_LE(r.doi, r.bottom);
        EXPECT_LE(r.chi2, 1.5);
        for (size_t j = 0; j < r.model.Layers() && r.model.Top(j) < r.doi; ++j)
            EXPECT_NEAR(r.model.conductivity[j], sigma, 0.05 * sigma) << "layer " << j;
    }
}

// The simulator's ground and two more: a conductive layer 2 to 5 m down under resistive
// cover, and a thin good conductor near the surface over a moderate one.
TEST(Inversion, ThreeLayerGroundsKeepTheirConductanceAndTheirConductiveLayer)
{
    const LayeredEarth grounds[] = {
        {{0.02, 0.2, 0.05}, {1.0, 2.0}},
        {{0.01, 0.1, 0.02}, {2.0, 3.0}},
        {{0.05, 0.5, 0.1}, {0.5, 1.5}},
    };
    for (const LayeredEarth& truth : grounds) {
        SCOPED_TRACE(testing::Message() << truth.conductivity[0] << " / " << truth.conductivity[1] << " / "
                                        << truth.conductivity[2]);
        const InversionResult r =
            InvertStation(&BuiltInCalibrationSet(), ModelledStation(truth, 0.01, 2), WithNoise(0.01, 1));
        ASSERT_EQ(r.refusal, StationRefusal::None);
        EXPECT_GE(r.chi2, 0.5);
        EXPECT_LE(r.chi2, 2.0);
        EXPECT_GT(r.doi, truth.Top(2)) << "the conductive layer is within reach";
        const double want = Conductance(truth, r.doi);
        EXPECT_NEAR(Conductance(r.model, r.doi), want, 0.15 * want);
        const double middle = truth.Top(1) + truth.thickness[1] / 2;
        EXPECT_NEAR(r.model.ConductivityAt(middle), truth.conductivity[1], 0.25 * truth.conductivity[1]);
    }
}

TEST(Inversion, NoiseFreeDataAreFittedToATenthOfAPercent)
{
    const LayeredEarth truth{{0.02, 0.2, 0.05}, {1.0, 2.0}};
    const StationData data = ExactStation(truth);
    InversionOptions options = WithNoise(0.001, 0);
    options.maxIterations = 30; // a sharp fit takes more steps than noisy data allow
    const InversionResult r = InvertStation(&BuiltInCalibrationSet(), data, options);
    ASSERT_EQ(r.refusal, StationRefusal::None);
    EXPECT_LE(r.chi2, 1.05); // rms misfit of 0.1% of each part
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
        EXPECT_NEAR(r.predicted[i].real(), data.z[i].real(), 0.003 * std::fabs(data.z[i].real())) << i;
        EXPECT_NEAR(r.predicted[i].imag(), data.z[i].imag(), 0.003 * std::fabs(data.z[i].imag())) << i;
    }
}

// Noisier data see less deep; below what they see, a reference model holds the section.
TEST(Inversion, DepthOfInvestigationShrinksWithNoiseAndAReferenceHoldsWhatLiesBelow)
{
    const LayeredEarth truth{{0.02, 0.2, 0.05}, {1.0, 2.0}};
    const StationData data = ModelledStation(truth, 0.01, 3);
    const InversionResult precise = InvertStation(&BuiltInCalibrationSet(), data, WithNoise(0.01, 1));
    const InversionResult rough = InvertStation(&BuiltInCalibrationSet(), data, WithNoise(0.05, 3));
    ASSERT_EQ(precise.refusal, StationRefusal::None);
    ASSERT_EQ(rough.refusal, StationRefusal::None);
    EXPECT_LT(rough.doi, 0.8 * precise.doi);

    // Right down to below what the data see, then far more conductive.
    InversionOptions drawn = WithNoise(0.05, 3);
    drawn.reference = LayeredEarth{{0.02, 0.2, 0.05, 0.5}, {1.0, 2.0, rough.doi - 3.0}};
    const InversionResult held = InvertStation(&BuiltInCalibrationSet(), data, drawn);
    ASSERT_EQ(held.refusal, StationRefusal::None);
    EXPECT_LE(held.chi2, 1.05);
    EXPECT_GT(held.model.ConductivityAt(held.bottom), 1.5 * rough.model.ConductivityAt(held.bottom));
    EXPECT_NEAR(held.model.ConductivityAt(2.0), rough.model.ConductivityAt(2.0), 0.25 * rough.model.ConductivityAt(2.0));
}

TEST(Inversion, RefusesStationsItCannotInvert)
{
    const StationData good = ModelledStation(HalfSpace(0.05), 0.01, 4);
    const CalibrationSet& c = BuiltInCalibrationSet();
    EXPECT_EQ(InvertStation(nullptr, good).refusal, StationRefusal::NoCalibration);
    CalibrationSet broken = c;
    broken.r1 = 0;
    EXPECT_EQ(InvertStation(&broken, good).refusal, StationRefusal::NoCalibration);

    StationData one = good;
    one.used = {};
    one.used[5] = true;
    EXPECT_EQ(InvertStation(&c, one).refusal, StationRefusal::TooFewFrequencies);
    StationData notANumber = good;
    notANumber.z[7] = {std::nan(""), 0};
    EXPECT_EQ(InvertStation(&c, notANumber).refusal, StationRefusal::NotANumber);
    StationData infinite = good;
    infinite.unit[2] = INFINITY;
    EXPECT_EQ(InvertStation(&c, infinite).refusal, StationRefusal::NotANumber);
    StationData zeros = good;
    zeros.z = {};
    EXPECT_EQ(InvertStation(&c, zeros).refusal, StationRefusal::NoSignal);
    // No noise at all would weigh a datum without end.
    StationData exact = good;
    EXPECT_EQ(InvertStation(&c, exact, WithNoise(0, 0)).refusal, StationRefusal::NotANumber);
    for (StationRefusal r : {StationRefusal::NoCalibration, StationRefusal::NoReading, StationRefusal::TooFewFrequencies,
                             StationRefusal::NoCurrent, StationRefusal::Saturated, StationRefusal::NotANumber,
                             StationRefusal::NoSignal, StationRefusal::Cancelled})
        EXPECT_STRNE(StationRefusalText(r), "");
}

TEST(StationData, RecordsThatCannotBeInvertedSayWhy)
{
    using testing_support::ModelledRecord;
    using testing_support::PutChannel;
    const CalibrationSet& c = BuiltInCalibrationSet();
    const MeasurementRecord good = ModelledRecord(HalfSpace(0.05), 0, 1);
    StationData data;
    ASSERT_EQ(StationDataFromRecord(&c, good, kAllFrequencies, data), StationRefusal::None);
    // The signal is taken at the middle of its unit, and the unit is one shifted step.
    const auto plain = CorrectedSignal(c, {double(good.SignalQuadrature(4)), double(good.SignalInphase(4))},
                                       {double(good.CurrentReal(4)), double(good.CurrentImaginary(4))}, 4);
    ASSERT_TRUE(plain);
    EXPECT_NEAR(std::abs(data.z[4] - *plain), data.unit[4] * std::sqrt(0.5), 1e-6 * data.unit[4]);
    EXPECT_NEAR(data.unit[4], SimulatedUnit(c, 4), 1e-4 * data.unit[4]);

    EXPECT_EQ(StationDataFromRecord(nullptr, good, kAllFrequencies, data), StationRefusal::NoCalibration);
    EXPECT_EQ(StationDataFromRecord(&c, MeasurementRecord{}, kAllFrequencies, data), StationRefusal::NoReading);
    FrequencyMask two{};
    two[0] = two[13] = true;
    EXPECT_EQ(StationDataFromRecord(&c, good, two, data), StationRefusal::None);
    two[13] = false;
    EXPECT_EQ(StationDataFromRecord(&c, good, two, data), StationRefusal::TooFewFrequencies);

    MeasurementRecord saturated = good;
    PutChannel(saturated, 6, 8388607, good.Raw(6, 1), good.Raw(6, 2), 0);
    EXPECT_EQ(StationDataFromRecord(&c, saturated, kAllFrequencies, data), StationRefusal::Saturated);
    PutChannel(saturated, 6, good.Raw(6, 0), good.Raw(6, 1), -8388608, 0);
    EXPECT_EQ(StationDataFromRecord(&c, saturated, kAllFrequencies, data), StationRefusal::Saturated);
    MeasurementRecord noCurrent = good;
    PutChannel(noCurrent, 3, good.Raw(3, 0), good.Raw(3, 1), 0, 0);
    EXPECT_EQ(StationDataFromRecord(&c, noCurrent, kAllFrequencies, data), StationRefusal::NoCurrent);
    MeasurementRecord zeros = good;
    PutChannel(zeros, 9, 0, 0, 0, 0);
    EXPECT_EQ(StationDataFromRecord(&c, zeros, kAllFrequencies, data), StationRefusal::NoSignal);
}

} // namespace
