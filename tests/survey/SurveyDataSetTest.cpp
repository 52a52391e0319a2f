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
    static void Measure(SurveyDataSet& d, uint32_t p, uint32_t s)
    {
        d.StoreRecord(d.IndexOf(p, s), SampleRecord(p * 100 + s));
    }
    ScriptedSource source;
};

void ExpectSpan(const GridSpan& span, bool found, uint32_t first, uint32_t last)
{
    EXPECT_EQ(span.found, found);
    EXPECT_EQ(span.first, first);
    EXPECT_EQ(span.last, last);
}

} // namespace

TEST_F(SurveyDataSetTest, SerpentineStorageOrderOfASmallGrid)
{
    SurveyDataSet d = Grid(kWorkMap, 3, 2);
    EXPECT_EQ(d.RecordCount(), 6u);
    const std::vector<PS> order{{0, 0}, {0, 1}, {0, 2}, {1, 2}, {1, 1}, {1, 0}};
    for (uint32_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(d.IndexOf(order[i].first, order[i].second), i);
    // Walking forward visits the storage indices in order and stops at the end; and back.
    std::vector<PS> walked{At(d)};
    while (d.NextPosition())
        walked.push_back(At(d));
    EXPECT_EQ(walked, order);
    EXPECT_EQ(At(d), PS(1, 0));
    std::vector<PS> back{At(d)};
    while (d.PreviousPosition())
        back.push_back(At(d));
    EXPECT_EQ(back, std::vector<PS>(order.rbegin(), order.rend()));
    EXPECT_EQ(At(d), PS(0, 0));
}

TEST_F(SurveyDataSetTest, StationAndProfileMovesWrap)
{
    SurveyDataSet d = Grid(kWorkMap, 3, 4);
    EXPECT_TRUE(d.PreviousStation());
    EXPECT_EQ(At(d), PS(0, 2));
    EXPECT_TRUE(d.NextStation());
    EXPECT_EQ(At(d), PS(0, 0));
    EXPECT_TRUE(d.PreviousProfile());
    EXPECT_EQ(At(d), PS(3, 0));
    EXPECT_TRUE(d.NextProfile());
    EXPECT_EQ(At(d), PS(0, 0));
    d.NextProfile();
    EXPECT_EQ(d.CurrentIndex(), 5u); // (1, 0) walks downward: last of profile 1
    EXPECT_FALSE(d.IsProfileStart());
    d.PreviousStation(); // (1, 2): first station of profile 1 in walking order
    EXPECT_TRUE(d.IsProfileStart());
    EXPECT_TRUE(d.ResetPosition());
    EXPECT_TRUE(d.IsProfileStart());
}

TEST_F(SurveyDataSetTest, WorkTypesShapeTheGridAndReportIt)
{
    Settings().yStep = 2.5f;
    const struct {
        int32_t workType, x, y;
        uint32_t xSize, ySize;
        size_t records;
        float yStep;
        int32_t stations, profiles;
    } cases[] = {
        {kWorkMap, 4, 3, 4, 3, 12, 2.5f, 4, 3},
        {kWorkLimitedProfile, 10, 7, 10, 1, 10, 0.0f, 10, 1},
        {kWorkProfile, 10, 7, 0, 1, 20, 0.0f, 0, 1},
        {kWorkMap, -5, -3, 0, 1, 20, 2.5f, 0, 1}, // hostile settings stay bounded
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        const SurveyDataSet d = Grid(c.workType, c.x, c.y);
        EXPECT_EQ(d.XSize(), c.xSize);
        EXPECT_EQ(d.YSize(), c.ySize);
        EXPECT_EQ(d.RecordCount(), c.records);
        EXPECT_EQ(d.YStep(), c.yStep);
        EXPECT_EQ(Settings().gridStations, c.stations);
        EXPECT_EQ(Settings().gridProfiles, c.profiles);
    }
    SurveyDataSet huge = Grid(kWorkMap, 100000, 100000);
    EXPECT_LE(huge.RecordCount(), DataSet::kMaxRecords);
    EXPECT_EQ(huge.RecordCount(), size_t(huge.XSize()) * huge.YSize());
}

TEST_F(SurveyDataSetTest, OpenProfileGrowsWithReadings)
{
    SurveyDataSet d = Grid(kWorkProfile, 20, 10);
    for (uint32_t s = 0; s < 20; ++s)
        d.NextPosition();
    EXPECT_EQ(d.Station(), 20u); // one past the last record
    EXPECT_FALSE(d.NextPosition());
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(d.RecordCount(), 21u);
    EXPECT_EQ(d.Record(20).TimeStamp(), SampleRecord(1).TimeStamp());
    EXPECT_EQ(d.Station(), 21u);
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(d.RecordCount(), 22u);
    // Station moves wrap past N, not past a fixed length.
    EXPECT_TRUE(d.NextStation());
    EXPECT_EQ(d.Station(), 0u);
    EXPECT_TRUE(d.PreviousStation());
    EXPECT_EQ(d.Station(), 22u);
    EXPECT_FALSE(d.IsProfileStart());
}

TEST_F(SurveyDataSetTest, MeasureStoresInWalkingOrderAndOverwritesTheLastStation)
{
    SurveyDataSet d = Grid(kWorkMap, 2, 2);
    source.outcomes = {false};
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Failed);
    EXPECT_FALSE(d.Modified()) << "a failed reading changes nothing";
    EXPECT_EQ(At(d), PS(0, 0));
    EXPECT_TRUE(d.Record(0).Empty());
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_TRUE(d.Modified());
    EXPECT_EQ(d.RecordCount(), 4u);
    EXPECT_EQ(d.Record(0).bytes, SampleRecord(1).bytes);
    EXPECT_EQ(d.Record(2).bytes, SampleRecord(3).bytes); // (1, 1)
    EXPECT_EQ(d.Record(3).bytes, SampleRecord(5).bytes); // reading 4 overwritten by reading 5
    EXPECT_EQ(At(d), PS(1, 0));
    // A repeated reading at a station replaces the old one.
    d.ResetPosition();
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(d.Record(0).bytes, SampleRecord(6).bytes);
}

TEST_F(SurveyDataSetTest, TracerSeriesFillsFourteenStations)
{
    Settings().tracerModeOn = 1;
    SurveyDataSet d = Grid(kWorkMap, 3, 2);
    source.outcomes = {false};
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Failed);
    EXPECT_EQ(source.series, 1);
    EXPECT_FALSE(d.Modified());
    EXPECT_EQ(At(d), PS(0, 0));
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(source.readings, 0);
    // Six stations: the first five get series records 1..5, the last one is overwritten
    // by every remaining record and keeps the fourteenth.
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(d.Record(i).bytes, SampleRecord(i + 1).bytes);
    EXPECT_EQ(d.Record(5).bytes, SampleRecord(14).bytes);
    SurveyDataSet open = Grid(kWorkProfile, 0, 1);
    ASSERT_EQ(open.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(open.Station(), 14u);
    EXPECT_EQ(open.RecordCount(), 20u);
    EXPECT_EQ(open.Record(13).bytes, SampleRecord(28).bytes);
}

TEST_F(SurveyDataSetTest, StationRunsAndProfileBlocks)
{
    SurveyDataSet d = Grid(kWorkMap, 6, 3);
    for (uint32_t s : {1u, 2u, 3u, 5u})
        Measure(d, 1, s);
    ExpectSpan(d.FindStationRun(1, 2), true, 1, 3);
    EXPECT_EQ(d.StationRunLength(1, 3), 3u);
    EXPECT_EQ(d.StationRunLength(1, 5), 1u);
    EXPECT_EQ(d.StationRunLength(1, 99), 1u); // clamped to the last station, 5
    // An unmeasured station between measured neighbours is no run.
    EXPECT_FALSE(d.FindStationRun(1, 4).found);
    EXPECT_EQ(d.FindStationRun(1, 4).last, 4u);
    EXPECT_EQ(d.StationRunLength(1, 4), 0u);
    ExpectSpan(d.FindStationRun(3, 0), false, 1, 0); // past the last profile
    SurveyDataSet open = Grid(kWorkProfile, 0, 1);
    for (uint32_t s = 0; s < 20; ++s)
        Measure(open, 0, s);
    EXPECT_EQ(open.StationRunLength(0, 25), 20u) << "runs of an open profile span its records";

    SurveyDataSet blocks = Grid(kWorkMap, 3, 5);
    EXPECT_FALSE(blocks.FindProfileBlock(0, 0).found);
    EXPECT_EQ(blocks.ProfileBlockLength(2, 0), 0u);
    for (uint32_t p : {0u, 1u, 3u})
        for (uint32_t s = 0; s < 3; ++s)
            Measure(blocks, p, s);
    Measure(blocks, 2, 0); // profile 2 incomplete
    ExpectSpan(blocks.FindProfileBlock(1, 0), true, 0, 1);
    // The current profile is incomplete but those below are: the block ends below it.
    ExpectSpan(blocks.FindProfileBlock(2, 0), true, 0, 1);
    // Profile 3 is complete on its own; profile 2 below it breaks the block.
    EXPECT_EQ(blocks.ProfileBlockLength(3, 0), 1u);
    ExpectSpan(blocks.FindProfileBlock(4, 1), true, 3, 3);
}

TEST_F(SurveyDataSetTest, DefaultNameIsTheLocalTimeOnceThenKept)
{
    SurveyDataSet d = Grid(kWorkMap, 3, 2);
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(d.DefaultName(t), "260307_0905");
    EXPECT_EQ(d.DefaultName(t + 3600), "260307_0905");
    d.SetName("/tmp/survey.lur");
    EXPECT_EQ(d.DefaultName(t), "/tmp/survey.lur");
}
