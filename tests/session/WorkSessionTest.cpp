#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

#include "gps/PositionQueue.h"
#include "session/WorkSession.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace {

class WorkSessionTest : public testing_support::SettingsTest {
protected:
    std::string JournalDirectory() const { return dir.File("journal"); }
    ScriptedSource source;
};

TEST_F(WorkSessionTest, AJournalThatCannotStartKeepsReadingsInMemoryUntilSaved)
{
    testing_support::WriteFile(JournalDirectory(), "a file where the directory should be");
    Settings().workType = kWorkProfile;
    WorkSession work(Settings(), JournalDirectory());
    EXPECT_FALSE(work.Begin());
    EXPECT_NE(work.Journal().Error().find("journal directory"), std::string::npos) << work.Journal().Error();
    EXPECT_EQ(work.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_FALSE(work.Data().Record(0).Empty());
    source.outcomes = {false};
    EXPECT_EQ(work.Measure(source), MeasureOutcome::Failed);
    EXPECT_EQ(work.Data().CurrentIndex(), 1u);
    ASSERT_TRUE(work.Save(dir.File("saved.lur")).ok);
    EXPECT_TRUE(work.Journal().Durable()) << "nothing is pending after a save";
}

TEST_F(WorkSessionTest, SaveOrCloseRemoveTheJournalAndAnythingElseKeepsIt)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 3;
    Settings().ySize = 2;
    for (const std::string end : {"save", "close", "none"}) {
        SCOPED_TRACE(end);
        std::string journal;
        {
            WorkSession work(Settings(), JournalDirectory());
            ASSERT_TRUE(work.Begin());
            ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
            journal = work.Journal().Path();
            ASSERT_EQ(::access(journal.c_str(), F_OK), 0);
            if (end == "save")
                ASSERT_TRUE(work.Save(dir.File("s.lur")).ok);
            else if (end == "close")
                work.Close();
        }
        EXPECT_EQ(::access(journal.c_str(), F_OK) == 0, end == "none");
        ::unlink(journal.c_str());
    }
}

TEST_F(WorkSessionTest, TrackReadingsAskForTheirPositionsAndTakeTheAnswers)
{
    Settings().workType = kWorkGpsTrack;
    Settings().tracerModeOn = 1; // fourteen readings a measure
    platform::ManualClock clock{500};
    PositionQueue queue;
    CGpsPositionService positions{queue, clock};
    WorkSession work(Settings(), JournalDirectory());
    ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(work.OutstandingPositions(), 0u); // not connected: nothing asked
    work.ConnectPositions(positions, 7);
    positions.OnFix({55.0, 37.0, 900});
    work.Track()->SetCurrentFix({55.0, 37.0, 900}); // as its message would
    ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(work.OutstandingPositions(), 14u);
    ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(work.OutstandingPositions(), CGpsPositionService::kMaxRequests); // it keeps the newest
    positions.OnFix({56.0, 38.0, 2000});
    bool changed = false;
    for (const PositionMessage& message : queue.Take(std::chrono::milliseconds(0)))
        changed |= work.ApplyPosition(message);
    EXPECT_TRUE(changed);
    EXPECT_EQ(work.OutstandingPositions(), 0u);
    const TrackDataSet& track = *work.Track();
    EXPECT_EQ(track.CurrentFix().latitude, 56.0);
    EXPECT_EQ(track.FixAt(14).latitude, 55.0); // its request was dropped: the live position stays
    EXPECT_GT(track.FixAt(41).latitude, 55.0); // interpolated between the fixes
    EXPECT_LT(track.FixAt(41).latitude, 56.0);
}

} // namespace
