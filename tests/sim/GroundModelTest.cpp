// The simulated ground and the raw values that stand for it: read back through the program's
// apparent-value conversion, they must give the conductivity they were made from.
#include <gtest/gtest.h>

#include <cmath>

#include "conversion/ReadingConversion.h"
#include "sim/GroundModel.h"
#include "sim/SimulatedInstrument.h"

namespace {

// Frequency i alone, as the instrument lays it out: 24-bit big-endian values in block i.
double Apparent(const CalibrationSet& c, int i, ChannelValues raw, int component)
{
    std::vector<uint8_t> reply(176);
    for (size_t v = 0; v < 4; ++v)
        for (size_t b = 0; b < 3; ++b)
            reply[size_t(i) * 12 + v * 3 + b] = uint8_t(raw[v] >> (16 - 8 * b));
    reply[168 + size_t(i) / 8] = uint8_t(1 << (i % 8));
    MeasurementRecord record;
    record.StoreReply(reply.data());
    ConversionSettings s;
    s.unitMeasure = 1;
    s.signalComponent = component;
    s.normalizeToCurrent = s.subtractUndercompensation = s.phaseEqualization = 1;
    s.apparentValueKind = 2; // S/m
    return ConvertReading(s, c, record, i);
}

TEST(SimulatedChannel, ConvertsBackToItsConductivityInEveryComponent)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    for (double sigma : {0.002, 0.02, 0.2})
        for (int i = 0; i < kFrequencyCount; ++i)
            for (int component : {0, 1, 2}) {
                SCOPED_TRACE(testing::Message() << "sigma " << sigma << " i " << i << " component " << component);
                const ChannelValues raw = SimulatedChannel(c, i, sigma);
                const double got = Apparent(c, i, raw, component);
                // One quantum of the signal (the low 7 bits are dropped) either way, and rounding.
                double quantum = 0;
                for (size_t v : {0u, 1u})
                    for (int step : {-128, 128}) {
                        ChannelValues moved = raw;
                        moved[v] += step;
                        quantum = std::max(quantum, std::abs(Apparent(c, i, moved, component) - got));
                    }
                EXPECT_NEAR(got, sigma, 1.5 * quantum + 1e-9);
            }
}

TEST(SimulatedChannel, HighFrequenciesResolveWellAndValuesStayIn24Bits)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    EXPECT_NEAR(Apparent(c, 13, SimulatedChannel(c, 13, 0.02), 1), 0.02, 0.0002);
    EXPECT_NEAR(Apparent(c, 13, SimulatedChannel(c, 13, 0.02), 0), 0.02, 0.0002);
    ChannelValues raw = SimulatedChannel(c, 0, 0.02); // the current is the air measurement's
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

} // namespace
