// The GPS reader thread on the real GPS port: the simulated receiver on a pseudo-terminal,
// read through CSerialPort, decoded and delivered as position messages.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsReader.h"
#include "gps/SystemClockSetter.h"
#include "instrument/CSerialPort.h"
#include "instrument/SerialByteSource.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "sim/GpsSimulator.h"
#include "sim/PseudoTerminal.h"

namespace {

class CountingPoster : public MessagePoster {
public:
    void Post(WindowId, const PositionMessage& message) override
    {
        std::lock_guard guard(mutex_);
        last_ = message;
        ++count_;
        changed_.notify_all();
    }
    // The bound only keeps a broken reader from hanging the suite.
    bool WaitFor(size_t count)
    {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return count_ >= count; });
    }
    PositionMessage Last()
    {
        std::lock_guard guard(mutex_);
        return last_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    PositionMessage last_;
    size_t count_ = 0;
};

class NoClockSetter : public SystemClockSetter {
public:
    void SetUtc(std::chrono::system_clock::time_point) override { ++calls; }
    std::atomic<int> calls{0};
};

class CountingPrompter : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string&, const std::string&, platform::PromptButtons,
                               platform::PromptIcon) override
    {
        ++asked;
        return platform::PromptAnswer::Ok;
    }
    std::atomic<int> asked{0};
};

TEST(GpsPort, ReaderDecodesTheSimulatedReceiverAndEndsWhenThePeerGoes)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    GpsSimulatorOptions options;
    options.rateHz = 20;
    options.timeFactor = 10;
    options.gnTalker = true;
    GpsSimulator receiver(GpsWalker::Default(), options);
    ASSERT_TRUE(receiver.Start(pty.MasterFd()));

    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), nullptr, nullptr, 9600));
    SerialByteSource source(port);
    CountingPoster poster;
    CNmeaParser parser;
    CGpsPositionService positions(poster);
    NoClockSetter clockSetter;
    CountingPrompter prompter;
    std::atomic<bool> running{false};
    // A reading taken now makes the page the listener for the positions that follow.
    positions.RequestPosition({7, 1, platform::SystemTicks().Now()});
    GpsReader reader(source, parser, positions, clockSetter, prompter, running);
    ASSERT_TRUE(reader.Start());

    ASSERT_TRUE(poster.WaitFor(3));
    PositionMessage last = poster.Last();
    EXPECT_EQ(last.message, UM_CURRENT_POSITION);
    EXPECT_NEAR(last.fix.latitude, GpsWalker::Default().PositionAt(0).latitude, 0.01);
    EXPECT_TRUE(positions.HasFix());
    EXPECT_EQ(clockSetter.calls.load(), 1);

    // Unplugging: the simulator stops and its side of the terminal goes away.
    receiver.Stop();
    pty.Close();
    reader.Stop();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(running.load());
}

} // namespace
