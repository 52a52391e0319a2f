#include "sim/GpsSimulator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "gps/CNmeaParser.h"

namespace {

constexpr int64_t kStartUtc = 1704103200000; // 2024-01-01 10:00:00 UTC

GpsSimulatorOptions Options()
{
    GpsSimulatorOptions o;
    o.startUtcMs = kStartUtc;
    return o;
}

// Noise between epochs never starts a sentence: every one still parses.
TEST(GpsSimulator, EpochsFollowTheWalkerAndTheRateThroughNoise)
{
    GpsSimulatorOptions o = Options();
    o.rateHz = 5;
    o.noiseBytes = 4000;
    platform::ManualClock clock;
    const GpsSimulator sim(GpsWalker::Default(), o, clock);
    CNmeaParser parser(clock);
    GpsData d;
    for (uint64_t e = 0; e < 20; ++e) {
        const std::string text = sim.EpochText(e);
        EXPECT_EQ(std::count(text.begin(), text.end(), '$'), 6);
        parser.Feed(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &d);
        if (e != 7) // 1.4 s in
            continue;
        EXPECT_EQ(d.rmcSecond, 1);
        EXPECT_EQ(d.rmcMillisecond, 400);
        EXPECT_NEAR(d.rmcLongitude, sim.PositionAt(1.4).longitude, 1e-6);
        EXPECT_NEAR(d.speedKnots, 1.2 * 3600 / 1852, 1e-3);
        EXPECT_NEAR(d.courseDegrees, 90.0, 0.01);
    }
    EXPECT_EQ(d.rmcCount, 20u);
    EXPECT_EQ(d.sentenceCount, 120u);
}

TEST(GpsSimulator, FixLossIntervalsForcedLossAndTheStartTime)
{
    GpsSimulatorOptions o = Options();
    o.fixLoss = {{10, 20}};
    GpsSimulator sim(GpsWalker::Default(), o);
    for (auto [epoch, valid] : {std::pair{9, true}, {10, false}, {20, true}})
        EXPECT_EQ(sim.EpochState(epoch).valid, valid) << epoch;
    sim.SetFixLost(true);
    EXPECT_FALSE(sim.EpochState(30).valid);

    // Unless told otherwise, at the current whole second: plainly not 1970.
    const int64_t start = GpsSimulator(GpsWalker::Default(), GpsSimulatorOptions{}).EpochState(0).utcMs;
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_EQ(start % 1000, 0);
    EXPECT_LE(start, now);
    EXPECT_GT(start, now - 3600 * 1000);
}

struct Pipe {
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe()
    {
        close(fds[0]);
        close(fds[1]);
    }
    int fds[2] = {-1, -1};
};

std::string ReadAvailable(int fd, size_t atLeast)
{
    std::string out;
    char buffer[4096];
    while (out.size() < atLeast) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) // bound against a hang only
            break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

TEST(GpsSimulator, WritesConsecutiveEpochsToAFileDescriptor)
{
    Pipe pipe;
    platform::ManualClock clock;
    GpsSimulatorOptions o = Options();
    o.timeFactor = 10;
    GpsSimulator sim(GpsWalker::Default(), o, clock);
    ASSERT_TRUE(sim.Start(pipe.fds[1]));
    EXPECT_FALSE(sim.Start(pipe.fds[1]));
    const std::string text = ReadAvailable(pipe.fds[0], 8 * sim.EpochText(0).size());
    sim.Stop();
    // The manual clock only moves while the writer waits, so no epoch is skipped.
    std::string expected;
    for (uint64_t e = 0; expected.size() < text.size(); ++e)
        expected += sim.EpochText(e);
    EXPECT_EQ(text, expected.substr(0, text.size()));
}

TEST(GpsSimulator, StopsWhileTheReaderIsNotReading)
{
    Pipe pipe;
    platform::ManualClock clock;
    GpsSimulatorOptions o = Options();
    o.rateHz = 20;
    o.timeFactor = 1000;
    GpsSimulator sim(GpsWalker::Default(), o, clock);
    ASSERT_TRUE(sim.Start(pipe.fds[1]));
    const int capacity = fcntl(pipe.fds[1], F_GETPIPE_SZ);
    // A pipe stops being writable with less than a page free.
    int queued = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20); // hang guard only
    while (queued < capacity - 8192 && std::chrono::steady_clock::now() < giveUp) {
        ASSERT_EQ(ioctl(pipe.fds[0], FIONREAD, &queued), 0);
        std::this_thread::yield();
    }
    ASSERT_GE(queued, capacity - 8192);
    sim.Stop(); // the writer is stuck on a full pipe; Stop must still return
    EXPECT_GT(sim.CurrentPosition().latitude, 55.0);
}

} // namespace
