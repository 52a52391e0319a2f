// The simulated instrument's replies frame by frame, and the faults it is told to show: the
// fault-injection tests and lursim's users rely on each fault looking as it is named.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "conversion/ReadingConversion.h"
#include "sim/SimulatedInstrument.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kRead2005{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x20, 0x05, 0x03};
const Bytes kBattery{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};
const Bytes kSeries{0x02, 0xF1, 0x0A, 0x02, 0x00, 0xF5, 0xFF, 0xFF, 0x03};

std::vector<Bytes> Send(SimulatedInstrument& instrument, const Bytes& bytes)
{
    return instrument.Receive(bytes.data(), bytes.size());
}

TEST(SimulatedInstrument, SkipsWhatIsNotAFrameAndAnswersWhatIs)
{
    SimulatedInstrument instrument(InstrumentOptions{}, BuiltInCalibrationSet());
    Bytes stream{0x00, 0x02, 0x02, 0xF1, 0xFF};
    for (const Bytes& bad : {Bytes{0x02, 0xF1, 0x0A, 0x02, 0x00, 0xFD, 0xFF, 0xFF, 0x03},  // series, summed header
                             Bytes{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF6, 0x00, 0x01, 0x03},  // wrong header
                             Bytes{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x04},        // no end byte
                             Bytes{0x02, 0xF1, 0x05, 0x01, 0x00, 0xF7, 0x00, 0x03}})       // unknown command
        stream.insert(stream.end(), bad.begin(), bad.end());
    for (const Bytes& good : {kSeries, kBattery})
        stream.insert(stream.end(), good.begin(), good.end());
    const auto replies = Send(instrument, stream);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].size(), 176u);
    EXPECT_EQ(std::pair(replies[0][168], replies[0][169]), std::pair(uint8_t(0xFF), uint8_t(0x3F)));
    EXPECT_EQ(replies[1], (Bytes{0x01, 0x9A}));
    EXPECT_EQ(instrument.ReadingCount(), 1u);
}

TEST(SimulatedInstrument, FaultsShowAsNamed)
{
    const Bytes clean = [] {
        SimulatedInstrument instrument(InstrumentOptions{}, BuiltInCalibrationSet());
        return Send(instrument, kRead2005).at(0);
    }();
    const struct {
        const char* what;
        std::function<void(InstrumentFaults&)> set;
        std::function<void(SimulatedInstrument&)> check;
    } cases[] = {
        {"no answer", [](InstrumentFaults& f) { f.noAnswer = true; },
         [](SimulatedInstrument& s) {
             EXPECT_TRUE(Send(s, kRead2005).empty());
             EXPECT_EQ(s.CommandCount(), 1u);
         }},
        {"cut short", [](InstrumentFaults& f) { f.cutReplyTo = 175; },
         [](SimulatedInstrument& s) {
             EXPECT_EQ(Send(s, kRead2005).at(0).size(), 175u);
             EXPECT_EQ(Send(s, kBattery).at(0).size(), 2u); // shorter replies stay whole
         }},
        {"empty reading", [](InstrumentFaults& f) { f.emptyReply = true; },
         [&](SimulatedInstrument& s) {
             const Bytes reply = Send(s, kRead2005).at(0);
             EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 170), Bytes(170, 0)) << "values and presence bits";
             EXPECT_EQ(reply.back(), clean.back()) << "the serial number is kept";
         }},
        {"noise first", [](InstrumentFaults& f) { f.garbageBeforeReply = 5; },
         [&](SimulatedInstrument& s) {
             const Bytes reply = Send(s, kRead2005).at(0);
             ASSERT_EQ(reply.size(), 181u);
             EXPECT_EQ(Bytes(reply.begin() + 5, reply.end()), clean);
         }},
        {"serial changes", [](InstrumentFaults& f) { f.serialChangeAfter = 2; f.changedSerial = 44; },
         [&](SimulatedInstrument& s) {
             EXPECT_EQ(Send(s, kRead2005).at(0)[175], clean[175]);
             EXPECT_EQ(Send(s, kBattery).at(0).size(), 2u); // not a reading
             EXPECT_EQ(Send(s, kSeries).at(0)[175], clean[175]);
             EXPECT_EQ(Send(s, kRead2005).at(0)[175], 44);
         }},
        {"vanishes", [](InstrumentFaults& f) { f.vanishAfter = 1; },
         [](SimulatedInstrument& s) {
             EXPECT_EQ(Send(s, kRead2005).at(0).size(), 176u);
             EXPECT_FALSE(s.Vanished());
             EXPECT_EQ(Send(s, kRead2005).at(0).size(), 88u);
             EXPECT_TRUE(s.Vanished());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstrumentOptions options;
        c.set(options.faults);
        SimulatedInstrument instrument(options, BuiltInCalibrationSet());
        c.check(instrument);
    }
}

// The quadrature of the highest frequency of `n` readings at one place.
std::vector<double> HighestQuadrature(SimulatedInstrument& instrument, int n)
{
    std::vector<double> values;
    instrument.SetPosition(std::make_pair(90.0, 50.0));
    for (int k = 0; k < n; ++k) {
        const Bytes reply = Send(instrument, kSeries).at(0);
        MeasurementRecord record;
        record.StoreReply(reply.data());
        const auto z = CorrectedSignal(BuiltInCalibrationSet(), {double(record.SignalQuadrature(13)), double(record.SignalInphase(13))},
                                       {double(record.CurrentReal(13)), double(record.CurrentImaginary(13))}, 13);
        values.push_back(z ? z->real() : 0.0);
    }
    return values;
}

TEST(SimulatedInstrument, NoiseIsAsLargeAsAsked)
{
    SimulatedInstrument quiet(InstrumentOptions{}, BuiltInCalibrationSet());
    const std::vector<double> same = HighestQuadrature(quiet, 3);
    EXPECT_EQ(same[0], same[1]);
    EXPECT_EQ(same[1], same[2]);

    InstrumentOptions options;
    options.noise.relative = 0.02;
    SimulatedInstrument noisy(options, BuiltInCalibrationSet());
    const std::vector<double> values = HighestQuadrature(noisy, 400);
    double mean = 0, square = 0;
    for (double v : values)
        mean += v / double(values.size());
    for (double v : values)
        square += (v - mean) * (v - mean) / double(values.size() - 1);
    EXPECT_NEAR(std::sqrt(square) / std::fabs(mean), 0.02, 0.003);
    EXPECT_NEAR(mean, same[0], 0.005 * std::fabs(same[0]));
}

} // namespace
