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

TEST_F(TrackDataSetTest, ReadingsAppendWithZeroFixesStampedByTheirTickAndTheCursorAliases)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(d.CurrentIndex(), 3u);
    ASSERT_EQ(d.FixCount(), 3u);
    for (uint32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(d.FixAt(k).tick, Tick(k + 1));
        EXPECT_EQ(d.FixAt(k).latitude, 0.0);
    }
    d.SetModified(false);
    source.outcomes = {false};
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Failed);
    EXPECT_EQ(d.FixCount(), 3u);
    EXPECT_FALSE(d.Modified()) << "a failed reading changes nothing";
    EXPECT_FALSE(d.NextStation()); // cursor at N
    EXPECT_TRUE(d.PreviousProfile());
    EXPECT_EQ(d.CurrentIndex(), 2u);
    EXPECT_TRUE(d.ResetPosition());
    EXPECT_FALSE(d.PreviousPosition());
    EXPECT_TRUE(d.NextProfile());
    EXPECT_EQ(d.CurrentIndex(), 1u);
}

TEST_F(TrackDataSetTest, LatePositionsFindTheirReadingByTick)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 4; ++i)
        d.Measure(source);
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
    EXPECT_EQ(d.Track()[0].east, 0.0f);
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
    TrackDataSet empty(Settings());
    EXPECT_EQ(Serialized(empty).size(), 800u);
    ASSERT_EQ(ParseSession(Serialized(empty), image), "");
    ASSERT_TRUE(ApplySession(image, Settings()));
}

TEST_F(TrackDataSetTest, RoundTripGivesTickZeroFixesAndCursorZero)
{
    auto d = ThreeReadings();
    ASSERT_TRUE(SaveSession(*d, dir.File("track.lur")).ok);
    Settings().workType = kWorkMap;
    OpenSessionResult opened = OpenSession(dir.File("track.lur"), Settings());
    auto* track = dynamic_cast<TrackDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(track) << opened.error;
    EXPECT_EQ(Settings().workType, kWorkGpsTrack);
    EXPECT_EQ(track->FixAt(2).longitude, 37.62);
    EXPECT_EQ(track->FixAt(2).tick, 0u);
    EXPECT_EQ(track->CurrentIndex(), 0u);
    EXPECT_EQ(track->Track().size(), 4u); // computed on loading
    EXPECT_FALSE(track->SetFix(2, {1, 1, Tick(3)})) << "a late answer can no longer move it";
    source.nextSeed = 50;
    ASSERT_EQ(track->Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(track->RecordCount(), 3u);
    EXPECT_EQ(track->Record(0).bytes, SampleRecord(50).bytes) << "the next reading replaces reading 0";
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
