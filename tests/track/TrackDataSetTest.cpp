#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
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
    std::unique_ptr<TrackDataSet> ThreeReadings()
    {
        auto d = std::make_unique<TrackDataSet>(Settings());
        for (int i = 0; i < 3; ++i)
            d->Measure(source);
        d->SetFix(0, {55.75, 37.61, Tick(1)});
        d->SetFix(2, {55.76, 37.62, Tick(3)});
        return d;
    }
    static std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
    ScriptedSource source; // reading n is stamped 1000 + n
};

// Positions of track readings: the live position at once, then the one interpolated in time.
class TrackPositioningTest : public TrackDataSetTest {
protected:
    static constexpr WindowId kPage = 42;
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
};

} // namespace

TEST_F(TrackDataSetTest, TrackIsProjectedAboutTheFirstFix)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 3; ++i)
        d.Measure(source);
    d.SetFix(0, {60.0, 30.0, Tick(1)});
    d.SetFix(1, {60.001, 30.002, Tick(2)});
    // Reading 2 keeps its zero fix.
    d.SetCurrentFix({60.002, 29.999, 5});
    const double pi = 3.14159265358979323846;
    const double my = pi / 180 * 6371000.0;
    const double mx = std::cos(60.0 * pi / 180) * my;
    d.ComputeTrack(true);
    ASSERT_EQ(d.Track().size(), 4u);
    EXPECT_NEAR(d.Track()[1].east, 0.002 * mx, 1e-3);
    EXPECT_NEAR(d.Track()[1].north, 0.001 * my, 1e-3);
    EXPECT_NEAR(d.Track()[2].east, -30.0 * mx, 1.0); // thousands of kilometres away
    EXPECT_NEAR(d.Track()[2].north, -60.0 * my, 1.0);
    EXPECT_NEAR(d.Track()[3].east, -0.001 * mx, 1e-3);
    EXPECT_NEAR(d.Track()[3].north, 0.002 * my, 1e-3);
    d.ComputeTrack(false); // without a live fix the last point repeats the last reading
    EXPECT_EQ(d.Track()[3].east, d.Track()[2].east);
    EXPECT_EQ(d.Track()[3].north, d.Track()[2].north);
}

TEST_F(TrackDataSetTest, TrackFileIsByteExact)
{
    Settings().headerText2 = "Трасса";
    Settings().reportedSerial = 12;
    auto d = ThreeReadings();
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
    EXPECT_EQ(Serialized(*d, true), expected.bytes);
    EXPECT_FALSE(d->Modified());
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

// A body flagged without coordinates: records of 180 bytes, no positions.
TEST_F(TrackDataSetTest, BodyWithoutCoordinatesYieldsZeroFixes)
{
    SessionBytes b(800 + 2 * 180);
    b.Header("", "", "", 1, 1, 2000, 0);
    b.Put16(782, 1);
    b.Put32(784, 788);
    b.Put32(788, 2);
    b.Put32(792, 2);
    b.Put32(796, 800);
    MeasurementRecord r;
    testing_support::PutChannel(r, 4, 1, 2, 3, 4);
    b.PutRecord(980, r); // the first measured record names the frequencies used
    b.Put32(788, 3);
    b.bytes += std::string(reinterpret_cast<const char*>(SampleRecord(9).bytes.data()), 180);
    testing_support::WriteFile(dir.File("nofix.lur"), b.bytes);
    OpenSessionResult opened = OpenSession(dir.File("nofix.lur"), Settings());
    auto* track = dynamic_cast<TrackDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(track) << opened.error;
    EXPECT_EQ(track->Record(2).bytes, SampleRecord(9).bytes);
    EXPECT_EQ(track->FixAt(2).latitude, 0.0);
    EXPECT_EQ(track->FixAt(2).longitude, 0.0);
    EXPECT_EQ(Settings().usedFrequencies, (std::array<int32_t, 14>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

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
