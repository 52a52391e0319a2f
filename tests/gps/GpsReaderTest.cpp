#include "gps/GpsReader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unistd.h>

#include "gps/GpsTestDoubles.h"
#include "gps/NmeaTestSentences.h"
#include "instrument/CSerialPort.h"
#include "instrument/SerialByteSource.h"
#include "sim/PseudoTerminal.h"

namespace {

using namespace std::chrono;
using testing_support::FakeClockSetter;
using testing_support::RecordingPoster;
using testing_support::RecordingPrompter;

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
    template <class Done>
    bool WaitUntil(Done done)
    {
        std::unique_lock guard(mutex);
        return readHappened.wait_for(guard, seconds(20), done);
    }
    bool WaitForReads(int count)
    {
        return WaitUntil([&] { return reads >= count; });
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
    ScriptedSource source{clock};
};

TEST_F(ReaderFixture, StopWhileWaitingForDataEndsAfterOneReadTimeout)
{
    source.gated = true;
    GpsReader reader(source, parser, positions, clockSetter, prompter, clock);
    EXPECT_FALSE(reader.RequestStop()); // no reader ran
    ASSERT_TRUE(reader.Start());
    EXPECT_TRUE(reader.Running());
    EXPECT_FALSE(reader.Start()); // one reader at a time
    ASSERT_TRUE(source.WaitForReads(1)); // the thread now waits inside its first read
    EXPECT_TRUE(reader.RequestStop());
    source.OpenGate(); // that read's time-out expires with nothing read
    reader.Stop();
    EXPECT_EQ(source.reads, 1); // no further read after the stop request
    EXPECT_EQ(clock.Now(), 1000u + ScriptedSource::kTimeoutMs);
    EXPECT_FALSE(reader.Running());
    EXPECT_FALSE(source.IsOpen()); // the thread closed the port
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(ReaderFixture, ReadErrorEndsTheReaderAndIsReportedUnlessAStopWasRequested)
{
    source.failWith = EIO;
    GpsReader reader(source, parser, positions, clockSetter, prompter, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitUntil([&] { return !source.open; })); // the thread ends by itself
    EXPECT_FALSE(reader.Running());
    reader.Stop();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].first, std::generic_category().message(EIO));
    EXPECT_EQ(prompter.asked[0].second, "Ошибка GPS");
    EXPECT_TRUE(prompter.errorIcon);

    source.open = true;
    source.failWith = EBADF;
    source.onRead = [&] { reader.RequestStop(); }; // the stop lands while the read is pending
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitForReads(2));
    reader.Stop();
    EXPECT_EQ(prompter.asked.size(), 1u); // nothing more reported
}

TEST_F(ReaderFixture, VoidFixWithRecentDateSetsTheClockOnceAndDeliversNothing)
{
    const std::string rmcV = Sentence("GPRMC,120000.50,V,,,,,,,150307,,");
    source.chunks = {rmcV, rmcV, rmcV};
    positions.RequestPosition({kPage, 1, 1000});
    GpsReader reader(source, parser, positions, clockSetter, prompter, clock);
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

TEST_F(ReaderFixture, OldYearNeverSetsTheClockAndSeveralRmcInOneChunkGiveOneFix)
{
    source.chunks = {Sentence("GPRMC,120000,A,5000.000,N,03000.000,E,0,0,010105,,") +
                         Sentence("GPRMC,120001,A,5001.000,N,03000.000,E,0,0,010105,,"),
                     Sentence("GPRMC,120002,A,5000.060,N,03000.000,E,0,0,010105,,")};
    positions.RequestPosition({kPage, 1, 0});
    GpsReader reader(source, parser, positions, clockSetter, prompter, clock);
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(source.WaitForReads(4));
    reader.Stop();
    EXPECT_TRUE(clockSetter.Times().empty());
    const auto posted = poster.Copy();
    ASSERT_EQ(posted.size(), 3u); // the request's answer and one current position per chunk
    EXPECT_EQ(posted[0].second.message, UM_READING_POSITION);
    EXPECT_NEAR(posted[1].second.fix.latitude, 50 + 1 / 60.0, 1e-12); // the chunk's last RMC
    EXPECT_DOUBLE_EQ(posted[2].second.fix.latitude, 50.001);
}

TEST_F(ReaderFixture, DecodesAPseudoTerminalStreamEndToEnd)
{
    // The test writes NMEA to the master; the reader reads the slave through the serial port.
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), nullptr, &kGpsPortTimeouts, 4800));
    SerialByteSource serial(port);
    const auto write = [&](const std::string& text) {
        ASSERT_EQ(::write(pty.MasterFd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    };

    positions.RequestPosition({kPage, 5, 1500});
    GpsReader reader(serial, parser, positions, clockSetter, prompter, clock);
    ASSERT_TRUE(reader.Start());
    write("\r\n$GPGSV,3,1,1" + kGsa + Sentence("GPRMC,100000,A,5500.000,N,03700.000,E,1.0,90.0,010124,,"));
    ASSERT_TRUE(poster.WaitFor(2)); // the first fix answers the request and is the current one
    clock.Advance(1000);
    write(Sentence("GPRMC,100001,A,5500.060,N,03700.000,E,1.0,90.0,010124,,") + kGga);
    ASSERT_TRUE(poster.WaitFor(3));
    reader.Stop();
    EXPECT_FALSE(port.IsOpen());

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
