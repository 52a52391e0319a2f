#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "track/TrackDataSet.h"

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
    ScriptedSource source;
};

} // namespace

TEST_F(TrackDataSetTest, ReadingsAppendWithZeroFixesStampedByTheirTick)
{
    for (const int tracer : {0, 1}) {
        SCOPED_TRACE(tracer);
        Settings().tracerModeOn = tracer;
        ScriptedSource scripted;
        TrackDataSet d(Settings());
        EXPECT_EQ(d.CurrentFix().tick, 0u);
        const uint32_t count = tracer ? 14 : 3;
        for (int i = 0; i < (tracer ? 1 : 3); ++i)
            ASSERT_EQ(d.Measure(scripted), MeasureOutcome::Stored);
        EXPECT_EQ(scripted.readings, tracer ? 0 : 3);
        EXPECT_TRUE(d.Modified());
        EXPECT_EQ(d.RecordCount(), count);
        EXPECT_EQ(d.CurrentIndex(), count);
        ASSERT_EQ(d.FixCount(), count);
        for (uint32_t k = 0; k < count; ++k) {
            EXPECT_EQ(d.FixAt(k).tick, Tick(k + 1));
            EXPECT_EQ(d.FixAt(k).latitude, 0.0);
            EXPECT_EQ(d.FixAt(k).longitude, 0.0);
        }
        // A failed reading changes nothing.
        d.SetModified(false);
        scripted.outcomes = {false};
        EXPECT_EQ(d.Measure(scripted), MeasureOutcome::Failed);
        EXPECT_EQ(d.RecordCount(), count);
        EXPECT_EQ(d.FixCount(), count);
        EXPECT_EQ(d.CurrentIndex(), count);
        EXPECT_FALSE(d.Modified());
    }
}

TEST_F(TrackDataSetTest, CursorMovesAndAliases)
{
    TrackDataSet d(Settings());
    d.Measure(source);
    d.Measure(source);
    EXPECT_FALSE(d.NextPosition()); // cursor at N
    EXPECT_FALSE(d.NextStation());
    EXPECT_FALSE(d.NextProfile());
    EXPECT_TRUE(d.PreviousStation());
    EXPECT_TRUE(d.PreviousProfile());
    EXPECT_EQ(d.CurrentIndex(), 0u);
    EXPECT_FALSE(d.PreviousPosition());
    EXPECT_TRUE(d.NextStation());
    EXPECT_TRUE(d.NextProfile());
    EXPECT_EQ(d.CurrentIndex(), 2u);
    EXPECT_TRUE(d.ResetPosition());
    EXPECT_EQ(d.CurrentIndex(), 0u);
}

TEST_F(TrackDataSetTest, LatePositionsFindTheirReadingByTick)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 4; ++i)
        d.Measure(source);
    // Provisional position, then the interpolated one.
    EXPECT_TRUE(d.SetFix(1, {10.0, 20.0, Tick(2)}));
    EXPECT_TRUE(d.SetFix(1, {10.5, 20.5, Tick(2)}));
    EXPECT_EQ(d.FixAt(1).latitude, 10.5);
    // An answer whose index has moved on still lands on its reading below.
    EXPECT_TRUE(d.SetFix(3, {11.0, 21.0, Tick(1)}));
    EXPECT_EQ(d.FixAt(0).latitude, 11.0);
    EXPECT_EQ(d.FixAt(3).latitude, 0.0);
    // A tick of no reading at or below k is dropped; so is one only above k.
    EXPECT_FALSE(d.SetFix(3, {1.0, 1.0, 999999}));
    EXPECT_FALSE(d.SetFix(1, {1.0, 1.0, Tick(4)}));
    EXPECT_FALSE(d.SetFix(4000000000u, {1.0, 1.0, 999999}));
    EXPECT_EQ(d.FixCount(), 4u);
}

TEST_F(TrackDataSetTest, TrackIsProjectedAboutTheFirstFix)
{
    TrackDataSet d(Settings());
    d.ComputeTrack(true);
    EXPECT_TRUE(d.Track().empty());
    d.Measure(source);
    d.SetFix(0, {50.0, 10.0, Tick(1)});
    d.ComputeTrack(false);
    ASSERT_EQ(d.Track().size(), 2u);
    EXPECT_EQ(d.Track()[1].east, 0.0f) << "without a live fix the last point repeats the last reading";
    EXPECT_EQ(d.Track()[1].north, 0.0f);

    d.Measure(source);
    d.Measure(source);
    d.SetFix(0, {60.0, 30.0, Tick(1)});
    d.SetFix(1, {60.001, 30.002, Tick(2)});
    // Reading 2 keeps its zero fix.
    d.SetCurrentFix({60.002, 29.999, 5});
    EXPECT_EQ(d.CurrentFix().tick, 5u);
    const double pi = 3.14159265358979323846;
    const double my = pi / 180 * 6371000.0;
    const double mx = std::cos(60.0 * pi / 180) * my;
    d.ComputeTrack(true);
    ASSERT_EQ(d.Track().size(), 4u);
    EXPECT_EQ(d.Track()[0].east, 0.0f);
    EXPECT_EQ(d.Track()[0].north, 0.0f);
    EXPECT_NEAR(d.Track()[1].east, 0.002 * mx, 1e-3);
    EXPECT_NEAR(d.Track()[1].north, 0.001 * my, 1e-3);
    EXPECT_NEAR(d.Track()[2].east, -30.0 * mx, 1.0); // thousands of kilometres away
    EXPECT_NEAR(d.Track()[2].north, -60.0 * my, 1.0);
    EXPECT_NEAR(d.Track()[3].east, -0.001 * mx, 1e-3);
    EXPECT_NEAR(d.Track()[3].north, 0.002 * my, 1e-3);
    d.ComputeTrack(false);
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
    TrackDataSet empty(Settings());
    EXPECT_EQ(Serialized(empty).size(), 800u);
    SessionImage image;
    ASSERT_EQ(ParseSession(Serialized(empty), image), "");
    const auto loaded = ApplySession(image, Settings());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->RecordCount(), 0u);
}

TEST_F(TrackDataSetTest, RoundTripGivesTickZeroFixesAndCursorZero)
{
    auto d = ThreeReadings();
    ASSERT_TRUE(SaveSession(*d, dir.File("track.lur")).ok);
    Settings().workType = kWorkMap;
    Settings().usedFrequencies.fill(0);
    OpenSessionResult opened = OpenSession(dir.File("track.lur"), Settings());
    auto* track = dynamic_cast<TrackDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(track) << opened.error;
    EXPECT_EQ(Settings().workType, kWorkGpsTrack);
    EXPECT_EQ(Settings().usedFrequencies[13], 1); // SampleRecord has all 14 present
    EXPECT_TRUE(testing_support::SameRecords(track->Records(), d->Records()));
    ASSERT_EQ(track->FixCount(), 3u);
    EXPECT_EQ(track->FixAt(0).latitude, 55.75);
    EXPECT_EQ(track->FixAt(2).longitude, 37.62);
    for (uint32_t k = 0; k < 3; ++k)
        EXPECT_EQ(track->FixAt(k).tick, 0u);
    EXPECT_EQ(track->CurrentIndex(), 0u);
    EXPECT_FALSE(track->Modified());
    EXPECT_EQ(track->Track().size(), 4u); // computed on loading
    EXPECT_FALSE(track->SetFix(2, {1, 1, SampleRecord(3).TimeStamp()})) << "a late answer can no longer move it";
    // The next reading replaces reading 0.
    source.nextSeed = 50;
    ASSERT_EQ(track->Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(track->RecordCount(), 3u);
    EXPECT_EQ(track->Record(0).bytes, SampleRecord(50).bytes);
}

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
    b.PutRecord(800, r);
    b.PutRecord(980, SampleRecord(9));
    testing_support::WriteFile(dir.File("nofix.lur"), b.bytes);
    OpenSessionResult opened = OpenSession(dir.File("nofix.lur"), Settings());
    auto* track = dynamic_cast<TrackDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(track) << opened.error;
    EXPECT_EQ(track->RecordCount(), 2u);
    EXPECT_EQ(track->Record(1).bytes, SampleRecord(9).bytes);
    EXPECT_EQ(track->FixAt(1).latitude, 0.0);
    EXPECT_EQ(track->FixAt(1).longitude, 0.0);
    EXPECT_EQ(Settings().usedFrequencies, (std::array<int32_t, 14>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(TrackDataSetTest, ImpossibleCoordinatesBecomeNoPosition)
{
    auto d = ThreeReadings();
    SessionBytes b(0);
    b.bytes = Serialized(*d);
    b.PutF64(988, std::numeric_limits<double>::infinity()); // latitude of reading 0
    b.PutF64(980 + 196 * 2, 400.0);                          // longitude of reading 2
    SessionImage image;
    ASSERT_EQ(ParseSession(b.bytes, image), "");
    EXPECT_EQ(image.fixes[0].latitude, 0.0);
    EXPECT_EQ(image.fixes[0].longitude, 0.0);
    EXPECT_EQ(image.fixes[2].latitude, 0.0);
}
