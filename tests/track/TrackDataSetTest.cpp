#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "gps/CGpsPositionService.h"
#include "gps/PositionQueue.h"

#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

using testing_support::SampleRecord;

namespace {

class TrackDataSetTest : public testing_support::SettingsTest {
protected:
    static uint32_t Tick(uint32_t n) { return SampleRecord(n).TimeStamp(); } // of the n-th scripted reading
    static std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
    ScriptedSource source; // reading n is stamped 1000 + n
    static constexpr WindowId kPage = 42;
    platform::ManualClock clock{500};
    PositionQueue queue;
    CGpsPositionService positions{queue, clock};
};

} // namespace

TEST_F(TrackDataSetTest, TrackFileIsByteExact)
{
    Settings().headerText2 = "Трасса";
    Settings().reportedSerial = 12;
    TrackDataSet d(Settings());
    for (int i = 0; i < 3; ++i)
        source.Measure(d);
    d.SetFix(0, {55.75, 37.61, Tick(1)});
    d.SetFix(2, {55.76, 37.62, Tick(3)});
    const CalibrationKey key = Settings().calibrationKey;
    SessionBytes expected(1388);
    expected.Header("", "\xD2\xF0\xE0\xF1\xF1\xE0", "", key.day, key.month, key.year, 12);
    expected.Put16(782, 1);
    expected.Put32(784, 788);
    expected.Put32(788, 3);
    expected.Put32(792, 0);
    expected.Put32(796, 800);
    const double lon[3] = {37.61, 0, 37.62}, lat[3] = {55.75, 0, 55.76};
    for (uint32_t k = 0; k < 3; ++k) {
        expected.PutRecord(800 + 196 * k, SampleRecord(k + 1));
        expected.PutF64(980 + 196 * k, lon[k]);
        expected.PutF64(988 + 196 * k, lat[k]);
    }
    EXPECT_EQ(Serialized(d, true), expected.bytes);
    EXPECT_FALSE(d.Modified());
    // Impossible coordinates read back as no position.
    expected.PutF64(988, std::numeric_limits<double>::infinity());
    expected.PutF64(980 + 196 * 2, 400.0);
    SessionImage image;
    ASSERT_EQ(ParseSession(expected.bytes, image), "");
    EXPECT_EQ(image.fixes[0].latitude, 0.0);
    EXPECT_EQ(image.fixes[0].longitude, 0.0);
    EXPECT_EQ(image.fixes[2].latitude, 0.0);
    // Loaded readings have no ticks: a late answer can no longer move them.
    const auto loaded = ApplySession(image, Settings());
    ASSERT_TRUE(loaded);
    const auto& track = static_cast<TrackDataSet&>(*loaded);
    EXPECT_EQ(std::tuple(track.CurrentIndex(), track.FixAt(1).tick, track.Track().size()), std::tuple(0u, 0u, size_t(4)));
    EXPECT_FALSE(static_cast<TrackDataSet&>(*loaded).SetFix(1, {1, 1, Tick(2)}));
    TrackDataSet empty(Settings());
    EXPECT_EQ(Serialized(empty).size(), 800u);
    ASSERT_EQ(ParseSession(Serialized(empty), image), "");
    ASSERT_TRUE(ApplySession(image, Settings()));
}

TEST_F(TrackDataSetTest, AnAnswerForAReplacedReadingChangesNothing)
{
    TrackDataSet track(Settings());
    positions.OnFix({1.0, 1.0, 1000});
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
    RequestReadingPositions(track, 0, positions, kPage);
    // The operator steps back and measures the same reading again before the answer.
    ASSERT_TRUE(track.PreviousPosition());
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
    EXPECT_EQ(track.RecordCount(), 1u);
    EXPECT_EQ(track.Record(0).bytes, testing_support::SampleRecord(2).bytes);
    RequestReadingPositions(track, 0, positions, kPage);
    positions.OnFix({3.0, 3.0, 1004});
    std::vector<PositionMessage> messages = queue.Take(std::chrono::milliseconds(0));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_FALSE(ApplyPositionMessage(track, messages[0])); // for the replaced reading, stamped 1001
    EXPECT_TRUE(ApplyPositionMessage(track, messages[1]));
    EXPECT_EQ(track.FixAt(0).tick, 1002u);
    EXPECT_NEAR(track.FixAt(0).latitude, 2.0, 1e-12);
    EXPECT_FALSE(ApplyPositionMessage(track, PositionMessage{0x1234, 0, {}, 0}));
}

TEST(PositionQueue, KeepsTheNewestWhenNobodyTakes)
{
    PositionQueue queue;
    for (uint32_t n = 0; n <= PositionQueue::kCapacity; ++n)
        queue.Post(1, PositionMessage{UM_CURRENT_POSITION, n, {}, 0});
    std::vector<PositionMessage> taken = queue.Take(std::chrono::milliseconds(0));
    ASSERT_EQ(taken.size(), PositionQueue::kCapacity);
    EXPECT_EQ(taken.front().wParam, 1u);
    EXPECT_EQ(taken.back().wParam, PositionQueue::kCapacity);
    EXPECT_TRUE(queue.Take(std::chrono::milliseconds(0)).empty());
}
