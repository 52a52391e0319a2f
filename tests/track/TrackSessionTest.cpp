#include <gtest/gtest.h>

#include <limits>

#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "track/TrackDataSet.h"

using testing_support::SampleRecord;

namespace {

class TrackSessionTest : public testing_support::SettingsTest {
protected:
    std::unique_ptr<TrackDataSet> ThreeReadings()
    {
        auto d = std::make_unique<TrackDataSet>(Settings());
        ScriptedSource source;
        for (int i = 0; i < 3; ++i)
            d->Measure(source);
        d->SetFix(0, {55.75, 37.61, SampleRecord(1).TimeStamp()});
        d->SetFix(2, {55.76, 37.62, SampleRecord(3).TimeStamp()});
        return d;
    }
    static std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
};

} // namespace

TEST_F(TrackSessionTest, TrackFileIsByteExact)
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

TEST_F(TrackSessionTest, RoundTripGivesTickZeroFixesAndCursorZero)
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
    ScriptedSource source;
    source.nextSeed = 50;
    ASSERT_EQ(track->Measure(source), MeasureOutcome::Stored);
    EXPECT_EQ(track->RecordCount(), 3u);
    EXPECT_EQ(track->Record(0).bytes, SampleRecord(50).bytes);
}

TEST_F(TrackSessionTest, BodyWithoutCoordinatesYieldsZeroFixes)
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

TEST_F(TrackSessionTest, ImpossibleCoordinatesBecomeNoPosition)
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
