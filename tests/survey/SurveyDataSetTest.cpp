#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "survey/SurveyDataSet.h"

using testing_support::SampleRecord;

namespace {

using PS = std::pair<uint32_t, uint32_t>;

class SurveyDataSetTest : public testing_support::SettingsTest {
protected:
    SurveyDataSet Grid(int32_t workType, int32_t xSize, int32_t ySize)
    {
        Settings().workType = workType;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        return SurveyDataSet(Settings());
    }
    static PS At(const SurveyDataSet& d) { return {d.Profile(), d.Station()}; }
    ScriptedSource source;
};

} // namespace

// Storage is serpentine; walking visits it in order, station and profile moves wrap.
TEST_F(SurveyDataSetTest, SerpentineOrderAndWrappingMoves)
{
    SurveyDataSet d = Grid(kWorkMap, 3, 2);
    const std::vector<PS> order{{0, 0}, {0, 1}, {0, 2}, {1, 2}, {1, 1}, {1, 0}};
    for (uint32_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(d.IndexOf(order[i].first, order[i].second), i);
    std::vector<PS> walked{At(d)};
    while (d.NextPosition())
        walked.push_back(At(d));
    EXPECT_EQ(walked, order);
    std::vector<PS> back{At(d)};
    while (d.PreviousPosition())
        back.push_back(At(d));
    EXPECT_EQ(back, std::vector<PS>(order.rbegin(), order.rend()));
    EXPECT_TRUE(d.PreviousStation());
    EXPECT_EQ(At(d), PS(0, 2));
    EXPECT_TRUE(d.NextStation());
    EXPECT_EQ(At(d), PS(0, 0));
    EXPECT_TRUE(d.PreviousProfile());
    EXPECT_EQ(At(d), PS(1, 0));
    EXPECT_EQ(d.CurrentIndex(), 5u);
    EXPECT_FALSE(d.IsProfileStart());
    d.PreviousStation(); // (1, 2): first station of profile 1 in walking order
    EXPECT_TRUE(d.IsProfileStart());
    EXPECT_TRUE(d.NextProfile());
    EXPECT_EQ(At(d), PS(0, 2));
    EXPECT_TRUE(d.ResetPosition());
    EXPECT_EQ(At(d), PS(0, 0));
}

TEST_F(SurveyDataSetTest, OpenProfileGrowsWithReadings)
{
    SurveyDataSet d = Grid(kWorkProfile, 20, 10);
    for (uint32_t s = 0; s < 20; ++s)
        d.NextPosition();
    EXPECT_EQ(d.Station(), 20u); // one past the last record
    EXPECT_FALSE(d.NextPosition());
    ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
    ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
    EXPECT_EQ(d.RecordCount(), 22u);
    EXPECT_EQ(d.Record(20).TimeStamp(), SampleRecord(1).TimeStamp());
    // Station moves wrap past N, not past a fixed length.
    EXPECT_TRUE(d.NextStation());
    EXPECT_EQ(d.Station(), 0u);
    EXPECT_TRUE(d.PreviousStation());
    EXPECT_EQ(d.Station(), 22u);
}

// A settings file may hold any size: the grid stays within what a session can hold.
TEST_F(SurveyDataSetTest, AnAbsurdGridIsBounded)
{
    SurveyDataSet wide = Grid(kWorkLimitedProfile, INT32_MAX, 1);
    EXPECT_LE(wide.RecordCount(), DataSet::kMaxRecords);
    EXPECT_LE(size_t(wide.XSize()), DataSet::kMaxRecords);
    SurveyDataSet tall = Grid(kWorkMap, 1000, 100000);
    EXPECT_LE(tall.RecordCount(), DataSet::kMaxRecords);
}
