#include <gtest/gtest.h>

#include <limits>

#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "support/ScriptedSource.h"
#include "session/SessionFile.h"
#include "track/TrackDataSet.h"

using testing_support::PutChannel;
using testing_support::SampleRecord;
using testing_support::WriteFile;

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
    ByteWriter w;
    ASSERT_TRUE(d->Serialize(w, true));
    EXPECT_EQ(w.Data(), expected.bytes);
    EXPECT_FALSE(d->Modified());
}

TEST_F(TrackSessionTest, RoundTripGivesTickZeroFixesAndCursorZero)
{
    auto d = ThreeReadings();
    const std::string path = dir.File("track.lur");
    ASSERT_TRUE(SaveSession(*d, path).ok);
    Settings().workType = kWorkMap;
    Settings().usedFrequencies.fill(0);

    OpenSessionResult opened = OpenSession(path, Settings());
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
    // A late answer can no longer move a loaded fix.
    EXPECT_FALSE(track->SetFix(2, {1, 1, SampleRecord(3).TimeStamp()}));
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
    PutChannel(r, 4, 1, 2, 3, 4);
    b.PutRecord(800, r);
    b.PutRecord(980, SampleRecord(9));
    const std::string path = dir.File("nofix.lur");
    WriteFile(path, b.bytes);
    OpenSessionResult opened = OpenSession(path, Settings());
    auto* track = dynamic_cast<TrackDataSet*>(opened.dataSet.get());
    ASSERT_TRUE(track) << opened.error;
    EXPECT_EQ(track->RecordCount(), 2u);
    EXPECT_EQ(track->Record(1).bytes, SampleRecord(9).bytes);
    EXPECT_EQ(track->FixAt(1).latitude, 0.0);
    EXPECT_EQ(track->FixAt(1).longitude, 0.0);
    const std::array<int32_t, 14> used{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Settings().usedFrequencies, used);
}

TEST_F(TrackSessionTest, ImpossibleCoordinatesBecomeNoPosition)
{
    auto d = ThreeReadings();
    ByteWriter w;
    d->Serialize(w, false);
    SessionBytes b(0);
    b.bytes = w.Data();
    b.PutF64(988, std::numeric_limits<double>::infinity()); // latitude of reading 0
    b.PutF64(980 + 196 * 2, 400.0);                          // longitude of reading 2
    SessionImage image;
    ASSERT_EQ(ParseSession(b.bytes, image), "");
    EXPECT_EQ(image.fixes[0].latitude, 0.0);
    EXPECT_EQ(image.fixes[0].longitude, 0.0);
    EXPECT_EQ(image.fixes[2].latitude, 0.0);
}

TEST_F(TrackSessionTest, EmptyTrackRoundTrips)
{
    TrackDataSet d(Settings());
    ByteWriter w;
    d.Serialize(w, false);
    EXPECT_EQ(w.Data().size(), 800u);
    SessionImage image;
    ASSERT_EQ(ParseSession(w.Data(), image), "");
    auto loaded = ApplySession(image, Settings());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->RecordCount(), 0u);
}
