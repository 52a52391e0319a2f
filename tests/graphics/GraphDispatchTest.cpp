// The graph dispatcher of the measurement pages and lurctl render: which graph of which data
// set, or the real reason there is none; and the frequency a page starts with.
#include <gtest/gtest.h>

#include "GraphFixture.h"
#include "graphics/GraphDispatch.h"
#include "support/SyntheticGround.h"

namespace {

class GraphDispatch : public GraphTest {
protected:
    GraphRefusal Paint(DataSet& data, GraphKind kind, int f, PixelRect rect = {0, 0, 200, 100},
                       GraphPosition position = {})
    {
        return PaintGraph(data, Settings(), GraphRequest{kind, position, f, rect}, surface, dc);
    }
    RecordingContext dc;
};

TEST_F(GraphDispatch, PagesStartAtTheFirstUsedFrequencyFromTheAreaSetting)
{
    const struct {
        std::vector<int> used; // indices
        int32_t setting;
        int32_t number;
    } cases[] = {
        {{0, 5}, 1, 1},  {{5}, 1, 6},     {{3, 7}, 5, 8},   {{3, 7}, 9, 4}, // wraps past 14
        {{13}, 14, 14},  {{2}, 0, 3},     {{2}, 99, 3},                     // outside 1..14: still a walk
        {{}, 9, 9},      {{}, 0, 0},                                        // none used: the setting
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        Settings().usedFrequencies.fill(0);
        for (int f : c.used)
            Settings().usedFrequencies[static_cast<size_t>(f)] = 1;
        Settings().mapFrequencyNumber = c.setting;
        EXPECT_EQ(PageFrequencyNumber(Settings()), c.number);
    }
}

TEST_F(GraphDispatch, RefusalsNameTheirRealReason)
{
    auto survey = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
    auto track = testing_support::GroundTrack(Settings(), 300);
    track->ScatteredGridder().radius = 8;
    Settings().usedFrequencies.fill(1);
    Settings().usedFrequencies[0] = 0;
    const GraphPosition walked{2, 5, 0};
    EXPECT_EQ(Paint(*survey, GraphKind::Map, 4, {0, 0, 200, 100}, walked), GraphRefusal::None);
    EXPECT_EQ(Paint(*survey, GraphKind::Map, 0, {0, 0, 200, 100}, walked), GraphRefusal::FrequencyNotUsed);
    EXPECT_EQ(Paint(*track, GraphKind::ProfileCurve, 14), GraphRefusal::FrequencyNotUsed);
    EXPECT_EQ(Paint(*survey, GraphKind::Section, 0, {0, 0, 0, 100}), GraphRefusal::BadRectangle);
    EXPECT_EQ(Paint(*track, GraphKind::Map, 4), GraphRefusal::None);
    Settings().pixelSize = 150; // a single cell row cannot be gridded
    EXPECT_EQ(Paint(*track, GraphKind::Map, 4), GraphRefusal::TooSmall);

    Settings().workType = kWorkMap;
    SurveyDataSet empty(Settings());
    for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve}) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(Paint(empty, kind, 4), GraphRefusal::TooFewReadings);
    }
}

TEST_F(GraphDispatch, PaintsEachGraphOfBothWorkKinds)
{
    auto survey = testing_support::GroundSurvey(Settings(), 20, 6, 2.0f, 2.0f, 100);
    auto track = testing_support::GroundTrack(Settings(), 300);
    track->ScatteredGridder().radius = 8;
    Settings().usedFrequencies.fill(1);
    for (DataSet* data : {static_cast<DataSet*>(survey.get()), static_cast<DataSet*>(track.get())}) {
        for (GraphKind kind : {GraphKind::Map, GraphKind::Section, GraphKind::ProfileCurve, GraphKind::SoundingCurve,
                               GraphKind::Progress}) {
            SCOPED_TRACE(static_cast<int>(kind));
            ASSERT_TRUE(surface.Clear());
            EXPECT_EQ(Paint(*data, kind, 4, {0, 0, 200, 100}, {2, 5, 10}), GraphRefusal::None);
            if (kind != GraphKind::Progress) {
                EXPECT_GT(ValuedInRow(50) + ValuedInRow(20), 0); // values for the tap-to-read label
            }
        }
    }
}

} // namespace
