// The simulated instrument's answers, frame by frame, with and without faults.
#include <gtest/gtest.h>

#include "sim/SimulatedInstrument.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kRead2005{0x02, 0xF1, 0x02, 0x02, 0x00, 0xF5, 0x20, 0x05, 0x03};
const Bytes kReadAllMask{0x02, 0xF1, 0x03, 0x02, 0x00, 0xF6, 0xFF, 0xFF, 0x03};
const Bytes kBattery{0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x03};
const Bytes kSeries{0x02, 0xF1, 0x0A, 0x02, 0x00, 0xF5, 0xFF, 0xFF, 0x03};

std::vector<Bytes> Send(SimulatedInstrument& instrument, const Bytes& bytes)
{
    return instrument.Receive(bytes.data(), bytes.size());
}

SimulatedInstrument Make(InstrumentOptions options = {})
{
    return SimulatedInstrument(options, BuiltInCalibrationSet());
}

// The mask, serial, ground values and battery reach the instrument object over a pseudo-terminal
// in InstrumentPtyTest; here what it does not look at.
TEST(SimulatedInstrument, AnswersEachCommandWithItsReply)
{
    SimulatedInstrument instrument = Make();
    auto replies = Send(instrument, kRead2005);
    ASSERT_EQ(replies.size(), 1u);
    // Blocks of frequencies not asked for stay zero; asked ones carry the current.
    EXPECT_EQ(Bytes(replies[0].begin() + 12, replies[0].begin() + 24), Bytes(12, 0));
    EXPECT_NE(Bytes(replies[0].begin() + 6, replies[0].begin() + 9), Bytes(3, 0));
    replies = Send(instrument, kReadAllMask); // bits 14 and 15 of the mask mean nothing
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][168], 0xFF);
    EXPECT_EQ(replies[0][169], 0x3F);
    replies = Send(instrument, kSeries);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), 176u);
    EXPECT_EQ(replies[0][169], 0x3F);
    EXPECT_EQ(Send(instrument, kBattery).at(0), (Bytes{0x01, 0x9A}));
    EXPECT_EQ(instrument.ReadingCount(), 3u);
    EXPECT_EQ(instrument.CommandCount(), 4u);
}

// Frames may arrive in pieces or together; noise and malformed frames are skipped.
TEST(SimulatedInstrument, FindsFramesInTheByteStream)
{
    SimulatedInstrument instrument = Make();
    for (size_t k = 0; k + 1 < kBattery.size(); ++k)
        EXPECT_TRUE(Send(instrument, {kBattery[k]}).empty());
    EXPECT_EQ(Send(instrument, {kBattery.back()}).size(), 1u);

    Bytes stream{0x00, 0x02, 0x02, 0xF1, 0xFF};
    // The series frame with the summed header is not what the instrument takes.
    stream.insert(stream.end(), {0x02, 0xF1, 0x0A, 0x02, 0x00, 0xFD, 0xFF, 0xFF, 0x03});
    // A reading frame with a wrong header, one without its end byte, an unknown command.
    stream.insert(stream.end(), {0x02, 0xF1, 0x02, 0x02, 0x00, 0xF6, 0x00, 0x01, 0x03});
    stream.insert(stream.end(), {0x02, 0xF1, 0x07, 0x01, 0x00, 0xF9, 0x00, 0x04});
    stream.insert(stream.end(), {0x02, 0xF1, 0x05, 0x01, 0x00, 0xF7, 0x00, 0x03});
    stream.insert(stream.end(), kBattery.begin(), kBattery.end());
    stream.insert(stream.end(), kRead2005.begin(), kRead2005.end());
    auto replies = Send(instrument, stream);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], (Bytes{0x01, 0x9A}));
    EXPECT_EQ(replies[1].size(), 176u);
    EXPECT_EQ(instrument.ReadingCount(), 1u);
}

// The walk is serpentine over the grid; each reading is the ground at its point.
TEST(SimulatedInstrument, ReadingsFollowTheWalkOrAGivenPosition)
{
    InstrumentOptions options;
    options.walk = {3, 5.0, 10.0};
    SimulatedInstrument instrument = Make(options);
    const CalibrationSet& c = BuiltInCalibrationSet();
    const std::pair<double, double> walk[] = {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}, {0, 20}};
    for (uint32_t k = 0; k < std::size(walk); ++k) {
        auto reply = Send(instrument, kRead2005).at(0);
        auto [x, y] = walk[k];
        EXPECT_EQ(instrument.WalkPosition(k), walk[k]) << k;
        ChannelValues expected = SimulatedChannel(c, 13, options.ground.ApparentConductivity(c, 13, x, y));
        int32_t quadrature = reply[156] << 16 | reply[157] << 8 | reply[158];
        if (quadrature & 0x800000)
            quadrature -= 0x1000000;
        EXPECT_EQ(quadrature, expected[0]) << k;
    }
    options.walk = {0, 2.5, 10.0}; // open-ended profile
    EXPECT_EQ(Make(options).WalkPosition(7), std::make_pair(17.5, 0.0));
    instrument.SetPosition(std::make_pair(options.ground.pipeX, 0.0));
    auto overPipe = Send(instrument, kRead2005).at(0);
    instrument.SetPosition(std::make_pair(options.ground.pipeX, 0.0));
    EXPECT_EQ(Send(instrument, kRead2005).at(0), overPipe); // the position stays fixed
}

// One command and what comes back: the reply's size (0: none), its serial and presence
// bytes when given, and whether the instrument has gone.
struct FaultStep {
    const Bytes* command;
    size_t size;
    int serial = -1;
    int presence = -1; // bytes 168 and 169
    bool vanished = false;
};
struct FaultCase {
    const char* name;
    InstrumentFaults faults;
    std::vector<FaultStep> steps;
    uint8_t serial = 9;
};

TEST(SimulatedInstrumentFaults, EachFaultShowsInTheReplies)
{
    const FaultCase cases[] = {
        {"no answer", {.noAnswer = true}, {{&kRead2005, 0}, {&kBattery, 0}}},
        // Shorter replies are whole.
        {"reply cut short", {.cutReplyTo = 175}, {{&kRead2005, 175}, {&kBattery, 2}}},
        {"empty reply keeps the serial", {.emptyReply = true}, {{&kRead2005, 176, 33, 0}}, 33},
        // The battery is not a reading; the series is.
        {"serial changes after two readings",
         {.serialChangeAfter = 2, .changedSerial = 44},
         {{&kRead2005, 176, 9}, {&kBattery, 2}, {&kSeries, 176, 9}, {&kRead2005, 176, 44}, {&kRead2005, 176, 44}}},
        {"vanishes halfway through the third reading",
         {.vanishAfter = 2},
         {{&kRead2005, 176}, {&kBattery, 2}, {&kRead2005, 176}, {&kRead2005, 88, -1, -1, true}}},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentOptions options;
        options.faults = c.faults;
        options.serial = c.serial;
        SimulatedInstrument instrument = Make(options);
        for (size_t k = 0; k < c.steps.size(); ++k) {
            const FaultStep& step = c.steps[k];
            const std::vector<Bytes> replies = Send(instrument, *step.command);
            ASSERT_EQ(replies.empty() ? 0 : replies.at(0).size(), step.size) << k;
            if (step.serial >= 0) {
                EXPECT_EQ(replies[0][175], step.serial) << k;
            }
            if (step.presence >= 0) {
                EXPECT_EQ(replies[0][168] | replies[0][169] << 8, step.presence) << k;
            }
            EXPECT_EQ(instrument.Vanished(), step.vanished) << k;
        }
        EXPECT_EQ(instrument.CommandCount(), c.steps.size());
    }
}

} // namespace
