#include "gps/GpsReader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <functional>
#include <optional>
#include <thread>

#include "gps/GpsTestDoubles.h"
#include "gps/NmeaTestSentences.h"

namespace {

using namespace std::chrono;

// Scripted chunks; when they run out each read "waits" its time-out on the manual clock and
// returns nothing, or fails with `failWith` if set. The test touches it only before Start
// and after Stop.
class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(platform::ManualClock& clock) : clock_(clock) {}
    bool IsOpen() const override { return open; }
    bool Read(uint8_t* buffer, size_t count, size_t& read) override
    {
        ++reads;
        if (onRead) onRead();
        read = 0;
        if (!chunks.empty()) {
            read = std::min(chunks.front().size(), count);
            std::copy_n(chunks.front().data(), read, buffer);
            chunks.pop_front();
            return true;
        }
        if (failWith != 0) return false;
        clock_.Sleep(kTimeoutMs);
        return true;
    }
    int LastError() const override { return failWith; }
    bool Close() override { return !(open = false); }

    static constexpr uint32_t kTimeoutMs = 1000;
    std::deque<std::string> chunks;
    std::function<void()> onRead;
    std::atomic<int> reads{0};
    int failWith = 0;
    std::atomic<bool> open{true};

private:
    platform::ManualClock& clock_;
};

constexpr WindowId kPage = 42;

class ReaderFixture : public testing::Test {
protected:
    platform::ManualClock clock{1000};
    testing_support::RecordingPoster poster;
    CNmeaParser parser{clock};
    CGpsPositionService positions{poster, clock};
    GpsClockOffset clockOffset{[] { return std::chrono::system_clock::time_point(milliseconds(1173960000000)); }};
    testing_support::RecordingPrompter prompter;
    ScriptedSource source{clock};
    GpsReader reader{source, parser, positions, clockOffset, prompter, clock};

    // The reader ends by itself or by a stop requested from inside a read; then joined.
    void StopOnceEnded()
    {
        for (int i = 0; reader.Running() && i < 20000; ++i) std::this_thread::sleep_for(milliseconds(1));
        EXPECT_FALSE(reader.Running());
        reader.Stop();
    }
};

TEST_F(ReaderFixture, ReadErrorEndsTheReaderAndIsReported)
{
    source.failWith = EIO;
    ASSERT_TRUE(reader.Start());
    StopOnceEnded();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].first,
              "Приём данных GPS прерван: ошибка чтения или записи на устройстве. Проверьте приёмник и его порт.");
    EXPECT_EQ(prompter.asked[0].second, "Ошибка GPS");
    EXPECT_TRUE(prompter.errorIcon);

}

// The machine's clock is never set: GPS time from a recent date, valid or not, is compared
// with it; positions go out only for valid fixes.
TEST_F(ReaderFixture, GpsTimeIsMeasuredAgainstTheMachineClockAndOnlyFixesAreDelivered)
{
    source.chunks = {Sentence("GPRMC,120000,A,5000.000,N,03000.000,E,0,0,010105,,") +
                         Sentence("GPRMC,120001,A,5001.000,N,03000.000,E,0,0,010105,,"),
                     Sentence("GPRMC,120002,A,5000.060,N,03000.000,E,0,0,010105,,"),
                     Sentence("GPRMC,120000.50,V,,,,,,,150307,,"), Sentence("GPRMC,120001.50,V,,,,,,,150307,,")};
    std::optional<std::chrono::milliseconds> before2007 = std::chrono::milliseconds(-1);
    source.onRead = [&] {
        if (source.chunks.size() == 2) before2007 = clockOffset.Offset();
        if (source.chunks.empty()) reader.RequestStop();
    };
    positions.RequestPosition({kPage, 1, 0});
    ASSERT_TRUE(reader.Start());
    StopOnceEnded();
    EXPECT_EQ(source.reads, 5);
    EXPECT_FALSE(before2007); // 2005 is no GPS time to trust
    // 2007-03-15 12:00:01.500 UTC against a machine clock at 12:00:00.000; the chunk was
    // stamped at the same tick, so no age is added.
    EXPECT_EQ(clockOffset.Offset(), std::chrono::milliseconds(1500));
    const auto posted = poster.Copy();
    ASSERT_EQ(posted.size(), 3u); // the request's answer and one current position per fix chunk
    EXPECT_EQ(posted[0].second.message, UM_READING_POSITION);
    EXPECT_NEAR(posted[1].second.fix.latitude, 50 + 1 / 60.0, 1e-12); // the chunk's last RMC
    EXPECT_DOUBLE_EQ(posted[2].second.fix.latitude, 50.001);
}

} // namespace
