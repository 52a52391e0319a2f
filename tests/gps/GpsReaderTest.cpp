#include "gps/GpsReader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "gps/NmeaTestSentences.h"

namespace {

using namespace std::chrono;

class RecordingPoster : public MessagePoster {
public:
    void Post(WindowId window, const PositionMessage& message) override
    {
        std::lock_guard guard(mutex);
        posted.push_back({window, message});
        changed.notify_all();
    }
    // Waits (bounded) until `count` messages arrived; the bound only guards against a hang.
    bool WaitFor(size_t count)
    {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, seconds(20), [&] { return posted.size() >= count; });
    }
    std::vector<std::pair<WindowId, PositionMessage>> Copy()
    {
        std::lock_guard guard(mutex);
        return posted;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<WindowId, PositionMessage>> posted;
};

class FakeClockSetter : public SystemClockSetter {
public:
    void SetUtc(system_clock::time_point utc) override
    {
        std::lock_guard guard(mutex);
        times.push_back(utc);
    }
    std::vector<system_clock::time_point> Times()
    {
        std::lock_guard guard(mutex);
        return times;
    }

private:
    std::mutex mutex;
    std::vector<system_clock::time_point> times;
};

class RecordingPrompter : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string& text, const std::string& caption, platform::PromptButtons,
                               platform::PromptIcon icon) override
    {
        std::lock_guard guard(mutex);
        asked.push_back({text, caption});
        errorIcon = icon == platform::PromptIcon::Error;
        return platform::PromptAnswer::Ok;
    }
    std::mutex mutex;
    std::vector<std::pair<std::string, std::string>> asked;
    bool errorIcon = false;
};

// Scripted chunks; when they run out each read "waits" its time-out on the manual clock and
// returns nothing, or fails with `failWith` if set.
class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(platform::ManualClock& clock) : clock_(clock) {}
    bool IsOpen() const override { return open.load(); }
    bool Read(uint8_t* buffer, size_t count, size_t& read) override
    {
        std::unique_lock guard(mutex);
        ++reads;
        readHappened.notify_all();
        if (onRead) onRead();
        read = 0;
        if (!chunks.empty()) {
            const std::string chunk = chunks.front();
            chunks.pop_front();
            read = std::min(chunk.size(), count);
            std::copy_n(chunk.data(), read, buffer);
            return true;
        }
        if (failWith != 0) {
            error = failWith;
            return false;
        }
        // A gated read is one in progress until the test lets its time-out expire.
        readHappened.wait_for(guard, seconds(20), [&] { return !gated; });
        clock_.Sleep(kTimeoutMs);
        return true;
    }
    int LastError() const override { return error; }
    bool Close() override
    {
        std::lock_guard guard(mutex);
        open = false;
        readHappened.notify_all();
        return true;
    }
    bool WaitClosed()
    {
        std::unique_lock guard(mutex);
        return readHappened.wait_for(guard, seconds(20), [&] { return !open; });
    }
    bool WaitForReads(int count)
    {
        std::unique_lock guard(mutex);
        return readHappened.wait_for(guard, seconds(20), [&] { return reads >= count; });
    }

    void OpenGate()
    {
        std::lock_guard guard(mutex);
        gated = false;
        readHappened.notify_all();
    }

    static constexpr uint32_t kTimeoutMs = 1000;
    bool gated = false;
    std::mutex mutex;
    std::condition_variable readHappened;
    std::deque<std::string> chunks;
    std::function<void()> onRead;
    int reads = 0;
    int failWith = 0;
    int error = 0;
    std::atomic<bool> open{true};

private:
    platform::ManualClock& clock_;
};

constexpr WindowId kPage = 42;

class ReaderFixture : public testing::Test {
protected:
    platform::ManualClock clock{1000};
    RecordingPoster poster;
    CNmeaParser parser{clock};
    CGpsPositionService positions{poster, clock};
    FakeClockSetter clockSetter;
    RecordingPrompter prompter;
    std::atomic<bool> running{false};
    ScriptedSource source{clock};
};

TEST_F(ReaderFixture, StopWhileWaitingForDataEndsAfterOneReadTimeout)
{
    source.gated = true;
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    EXPECT_TRUE(running.load());
    EXPECT_FALSE(reader.Start()); // one reader at a time
    ASSERT_TRUE(source.WaitForReads(1)); // the thread now waits inside its first read
    EXPECT_TRUE(reader.RequestStop());
    source.OpenGate(); // that read's time-out expires with nothing read
    reader.Stop();
    EXPECT_EQ(source.reads, 1); // no further read after the stop request
    EXPECT_EQ(clock.Now(), 1000u + ScriptedSource::kTimeoutMs);
    EXPECT_FALSE(running.load());
    EXPECT_FALSE(source.IsOpen()); // the thread closed the port
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(ReaderFixture, RequestStopReportsWhetherAReaderRan)
{
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    EXPECT_FALSE(reader.RequestStop());
    ASSERT_TRUE(reader.Start());
    EXPECT_TRUE(reader.RequestStop());
    reader.Stop();
    source.open = true;
    ASSERT_TRUE(reader.Start()); // may run again after a stop
    reader.Stop();
}

TEST_F(ReaderFixture, ReadErrorIsShownAndEndsTheThread)
{
    source.failWith = EIO;
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    reader.Stop();
    // Stop cleared the flag; the error may have been seen before or after it.
    if (!prompter.asked.empty()) {
        EXPECT_EQ(prompter.asked[0].first, std::generic_category().message(EIO));
        EXPECT_EQ(prompter.asked[0].second, "Ошибка GPS");
        EXPECT_TRUE(prompter.errorIcon);
    }
    EXPECT_FALSE(source.IsOpen());
}

TEST_F(ReaderFixture, ReadErrorWhileRunningEndsByItself)
{
    source.failWith = EIO;
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitClosed()); // the thread ends by itself
    EXPECT_FALSE(running.load());
    reader.Stop();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].second, "Ошибка GPS");
}

TEST_F(ReaderFixture, ReadErrorAfterStopRequestIsSilent)
{
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    source.failWith = EBADF;
    source.onRead = [&] { running = false; }; // the stop lands while the read is pending
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitForReads(1));
    reader.Stop();
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(ReaderFixture, VoidFixWithRecentDateSetsTheClockOnceAndDeliversNothing)
{
    const std::string rmcV = Sentence("GPRMC,120000.50,V,,,,,,,150307,,");
    source.chunks = {rmcV, rmcV, rmcV};
    positions.RequestPosition({kPage, 1, 1000});
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitForReads(4));
    reader.Stop();
    const auto times = clockSetter.Times();
    ASSERT_EQ(times.size(), 1u);
    // 2007-03-15 12:00:00.500 UTC; the chunk was stamped at the same tick, so no age is added.
    EXPECT_EQ(duration_cast<milliseconds>(times[0].time_since_epoch()).count(), 1173960000500);
    EXPECT_TRUE(poster.Copy().empty());
    EXPECT_FALSE(positions.HasFix());
}

TEST_F(ReaderFixture, OldYearNeverSetsTheClockButFixesFlow)
{
    source.chunks = {Sentence("GPRMC,120000,A,5000.000,N,03000.000,E,0,0,010105,,"),
                     Sentence("GPRMC,120001,A,5000.060,N,03000.000,E,0,0,010105,,")};
    positions.RequestPosition({kPage, 1, 0});
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(poster.WaitFor(3));
    reader.Stop();
    EXPECT_TRUE(clockSetter.Times().empty());
    const auto posted = poster.Copy();
    EXPECT_EQ(posted[0].second.message, UM_READING_POSITION);
    EXPECT_DOUBLE_EQ(posted[2].second.fix.latitude, 50.001);
}

TEST_F(ReaderFixture, SeveralRmcInOneChunkGiveOneFix)
{
    source.chunks = {Sentence("GPRMC,120000,A,5000.000,N,03000.000,E,0,0,010105,,") +
                     Sentence("GPRMC,120001,A,5001.000,N,03000.000,E,0,0,010105,,")};
    positions.RequestPosition({kPage, 1, 0});
    GpsReader reader(source, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitForReads(3));
    reader.Stop();
    const auto posted = poster.Copy();
    ASSERT_EQ(posted.size(), 2u); // the request's answer and one current position
    EXPECT_NEAR(posted[1].second.fix.latitude, 50 + 1 / 60.0, 1e-12);
}

// A pseudo-terminal: the test writes NMEA to the master, the reader reads the slave.
class PtySource : public ByteSource {
public:
    PtySource()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        termios tio{};
        if (slave >= 0 && tcgetattr(slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(slave, TCSANOW, &tio);
        }
    }
    ~PtySource() override
    {
        Close();
        if (master >= 0) close(master);
    }
    bool IsOpen() const override { return slave >= 0; }
    bool Read(uint8_t* buffer, size_t count, size_t& read) override
    {
        read = 0;
        pollfd p{slave, POLLIN, 0};
        const int ready = poll(&p, 1, 50);
        if (ready < 0) return Fail();
        if (ready == 0) return true;
        const ssize_t n = ::read(slave, buffer, count);
        if (n < 0) return Fail();
        read = static_cast<size_t>(n);
        return true;
    }
    int LastError() const override { return error; }
    bool Close() override
    {
        if (slave >= 0) close(slave);
        slave = -1;
        return true;
    }
    void Write(const std::string& text) const
    {
        ASSERT_EQ(write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    int master = -1;
    std::atomic<int> slave{-1};
    int error = 0;

private:
    bool Fail()
    {
        error = errno;
        return false;
    }
};

TEST(GpsReaderPty, DecodesAStreamEndToEnd)
{
    platform::ManualClock clock(1000);
    RecordingPoster poster;
    CNmeaParser parser(clock);
    CGpsPositionService positions(poster, clock);
    FakeClockSetter clockSetter;
    RecordingPrompter prompter;
    std::atomic<bool> running{false};
    PtySource pty;
    ASSERT_TRUE(pty.IsOpen());

    positions.RequestPosition({kPage, 5, 1500});
    GpsReader reader(pty, parser, positions, clockSetter, prompter, running, clock);
    ASSERT_TRUE(reader.Start());
    pty.Write("\r\n$GPGSV,3,1,1" + kGsa + Sentence("GPRMC,100000,A,5500.000,N,03700.000,E,1.0,90.0,010124,,"));
    ASSERT_TRUE(poster.WaitFor(2)); // the first fix answers the request and is the current one
    clock.Advance(1000);
    pty.Write(Sentence("GPRMC,100001,A,5500.060,N,03700.000,E,1.0,90.0,010124,,") + kGga);
    ASSERT_TRUE(poster.WaitFor(3));
    reader.Stop();
    EXPECT_FALSE(pty.IsOpen());

    const auto posted = poster.Copy();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].second.message, UM_READING_POSITION);
    EXPECT_EQ(posted[0].second.wParam, 5u);
    EXPECT_DOUBLE_EQ(posted[0].second.fix.latitude, 55.0);
    EXPECT_DOUBLE_EQ(posted[0].second.fix.longitude, 37.0);
    EXPECT_EQ(posted[2].second.message, UM_CURRENT_POSITION);
    EXPECT_EQ(posted[2].first, kPage);
    EXPECT_DOUBLE_EQ(posted[2].second.fix.latitude, 55.001);
    EXPECT_EQ(posted[2].second.fix.tick, 2000u);

    const auto times = clockSetter.Times();
    ASSERT_EQ(times.size(), 1u); // set once, from the first GPRMC
    EXPECT_EQ(duration_cast<seconds>(times[0].time_since_epoch()).count(), 1704103200);

    GpsData d;
    parser.Snapshot(d);
    EXPECT_EQ(d.fixType, 3);
    EXPECT_EQ(d.rmcCount, 2u);
    EXPECT_TRUE(prompter.asked.empty());
}

} // namespace
