// The simulated ground and the raw values that stand for it: read back through the
// program's conversion they must give the instrument model's signal, and the layers under
// each station must carry the bodies where they are.
#include <gtest/gtest.h>

#include <cmath>

#include "conversion/ReadingConversion.h"
#include "model/ForwardModel.h"
#include "sim/GroundModel.h"
#include "sim/SimulatedInstrument.h"

namespace {

std::optional<std::complex<double>> ReadBack(const CalibrationSet& c, int i, ChannelValues raw)
{
    return CorrectedSignal(c, {double(raw[0] >> 7), double(raw[1] >> 7)}, {double(raw[2]), double(raw[3])}, i);
}

ModelResponse Response(const LayeredEarth& earth)
{
    ForwardModel model(BuiltInCalibrationSet());
    ModelResponse z{};
    EXPECT_TRUE(model.Evaluate(earth, kAllFrequencies, z));
    return z;
}

TEST(SimulatedChannel, ReadsBackAsItsSignalWithinOneUnit)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    for (const LayeredEarth& earth : {HalfSpace(0.002), GroundModel{}.background, HalfSpace(0.5)}) {
        const ModelResponse z = Response(earth);
        for (int i = 0; i < kFrequencyCount; ++i) {
            SCOPED_TRACE(testing::Message() << "frequency " << i << " top " << earth.conductivity[0]);
            const auto back = ReadBack(c, i, SimulatedChannel(c, i, z[size_t(i)]));
            ASSERT_TRUE(back);
            // The shift drops up to one unit of each part, and rounding half a step of 128.
            EXPECT_LT(std::abs(*back - z[size_t(i)]), 1.5 * std::sqrt(2.0) * SimulatedUnit(c, i));
        }
    }
    // At the highest frequency the signal is hundreds of units: apparent values come back.
    ConversionSettings quadrature;
    quadrature.signalComponent = 1;
    const ModelResponse low = Response(HalfSpace(0.02));
    const auto back = ReadBack(c, 13, SimulatedChannel(c, 13, low[13]));
    const double modelled = ApparentConductivity(quadrature, c, low[13].real(), 13);
    EXPECT_NEAR(ApparentConductivity(quadrature, c, back->real(), 13), modelled, 0.005 * modelled);
}

TEST(SimulatedChannel, ValuesStayIn24BitsAndNonsenseReadsAsNoGround)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ChannelValues raw = SimulatedChannel(c, 0, {1e-8, -1e-9}); // the current is the air measurement's
    EXPECT_EQ(raw[2], 33428);
    EXPECT_EQ(raw[3], 0);
    for (int32_t v : SimulatedChannel(c, 13, {1e9, -1e9})) {
        EXPECT_LE(v, 8388607);
        EXPECT_GE(v, -8388608);
    }
    EXPECT_EQ(SimulatedChannel(c, 3, {std::nan(""), 0})[0] >> 7, -148); // the plain undercompensation
    EXPECT_NEAR(SimulatedUnit(c, 0), 4.02e-9, 0.01e-9);
}

TEST(GroundModel, BodiesChangeTheLayersWhereAndHowDeepTheyAre)
{
    const GroundModel ground;
    // Far from the bodies: the three layers, as they are.
    const LayeredEarth plain = ground.EarthBelow(90, 50);
    EXPECT_EQ(plain.conductivity, ground.background.conductivity);
    EXPECT_EQ(plain.thickness, ground.background.thickness);
    // Over the pipe: more conductive round its depth, the background far below it.
    const LayeredEarth overPipe = ground.EarthBelow(ground.pipeX, 50);
    EXPECT_NEAR(overPipe.ConductivityAt(2.9), 0.2 + ground.pipeConductivity, 0.01);
    EXPECT_NEAR(overPipe.ConductivityAt(0.1), 0.02 + std::exp(-2.875 * 2.875 / 4), 1e-9); // 0.25 m slices
    EXPECT_NEAR(overPipe.ConductivityAt(40), 0.05, 1e-9);
    EXPECT_TRUE(overPipe.Problem().empty());
    // Over the block: resistive from 5 to 25 m, untouched above.
    const LayeredEarth overBlock = ground.EarthBelow(50, 15);
    EXPECT_DOUBLE_EQ(overBlock.ConductivityAt(10), ground.blockConductivity);
    EXPECT_DOUBLE_EQ(overBlock.ConductivityAt(2), 0.2);
    EXPECT_DOUBLE_EQ(overBlock.ConductivityAt(28), 0.05);

    // What the instrument reads: the pipe changes every frequency by much; the deep block
    // lowers the low frequencies, which reach it, far more than the high ones.
    const ModelResponse background = Response(plain), pipe = Response(overPipe), block = Response(overBlock);
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i)
        EXPECT_GT(std::abs(pipe[i] - background[i]), 0.2 * std::abs(background[i])) << i;
    const double lowChange = 1 - block[0].real() / background[0].real();
    const double highChange = 1 - block[13].real() / background[13].real();
    EXPECT_GT(lowChange, 0.05);
    EXPECT_GT(lowChange, 5 * std::fabs(highChange));

    const GroundModel uniform = GroundModel::Homogeneous(0.1);
    EXPECT_EQ(uniform.EarthBelow(uniform.pipeX, 10).Layers(), 1u);
    EXPECT_EQ(uniform.EarthBelow(50, 15).Layers(), 1u);
}

} // namespace
