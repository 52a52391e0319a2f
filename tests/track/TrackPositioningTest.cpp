// Positions of track readings: the live position at once, then the one interpolated in time.
#include <gtest/gtest.h>

#include <chrono>

#include "gps/CGpsPositionService.h"
#include "gps/PositionQueue.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

namespace {

constexpr WindowId kPage = 42;

class TrackPositioningTest : public testing_support::SettingsTest {
protected:
    // Hands every posted message to the data set; how many changed it.
    int Deliver(TrackDataSet& track)
    {
        int changed = 0;
        for (const PositionMessage& m : queue.Take(std::chrono::milliseconds(0)))
            changed += ApplyPositionMessage(track, m) ? 1 : 0;
        return changed;
    }
    platform::ManualClock clock{500};
    PositionQueue queue;
    CGpsPositionService positions{queue, clock};
    ScriptedSource source; // reading n is stamped 1000 + n
};

TEST_F(TrackPositioningTest, AReadingHasTheLivePositionUntilItsOwnArrives)
{
    TrackDataSet track(Settings());
    positions.OnFix({55.0, 37.0, 990});
    track.SetCurrentFix({55.0, 37.0, 990});
    ASSERT_EQ(track.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(RequestReadingPositions(track, 0, positions, kPage), 1u);
    EXPECT_EQ(track.FixAt(0).latitude, 55.0);
    EXPECT_EQ(track.FixAt(0).tick, 1001u);
    positions.OnFix({55.21, 37.42, 1011});
    EXPECT_EQ(Deliver(track), 2); // the reading's position and the live one
    // 11 of the 21 ms between the fixes.
    EXPECT_NEAR(track.FixAt(0).latitude, 55.11, 1e-12);
    EXPECT_NEAR(track.FixAt(0).longitude, 37.22, 1e-12);
    EXPECT_EQ(track.FixAt(0).tick, 1001u);
    EXPECT_EQ(track.CurrentFix().latitude, 55.21);
}

TEST_F(TrackPositioningTest, AReadingBeforeTheFirstFixTakesThatFixsPosition)
{
    TrackDataSet track(Settings());
    ASSERT_EQ(track.Measure(source), MeasureOutcome::Stored);
    RequestReadingPositions(track, 0, positions, kPage);
    EXPECT_EQ(track.FixAt(0).latitude, 0.0); // nothing known yet
    positions.OnFix({55.3, 37.6, 1500});
    Deliver(track);
    EXPECT_EQ(std::tuple(track.FixAt(0).latitude, track.FixAt(0).longitude, track.FixAt(0).tick),
              std::tuple(55.3, 37.6, 1001u));
}

TEST_F(TrackPositioningTest, AnAnswerForAReplacedReadingChangesNothing)
{
    TrackDataSet track(Settings());
    positions.OnFix({1.0, 1.0, 1000});
    ASSERT_EQ(track.Measure(source), MeasureOutcome::Stored);
    RequestReadingPositions(track, 0, positions, kPage);
    // The operator steps back and measures the same reading again before the answer.
    ASSERT_TRUE(track.PreviousPosition());
    ASSERT_EQ(track.Measure(source), MeasureOutcome::Stored);
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

} // namespace
