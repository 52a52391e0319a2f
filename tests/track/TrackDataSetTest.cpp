#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "gps/CGpsPositionService.h"
#include "gps/PositionQueue.h"

#include "session/Crc32.h"
#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteReader.h"
#include "survey/ByteStream.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

using testing_support::SampleRecord;

namespace {

class TrackDataSetTest : public testing_support::SettingsTest {
protected:
    static uint32_t Tick(uint32_t n) { return SampleRecord(n).TimeStamp(); } // of the n-th scripted reading
    static std::string Serialized(DataSet& d, bool clear = false)
    {
        ByteWriter w;
        EXPECT_TRUE(d.Serialize(w, clear));
        return w.Data();
    }
    ScriptedSource source; // reading n is stamped 1000 + n
    static constexpr WindowId kPage = 42;
    platform::ManualClock clock{500};
    PositionQueue queue;
    CGpsPositionService positions{queue, clock};
};

} // namespace

// The track body as every reader knows it, then the block of the positions' qualities.
TEST_F(TrackDataSetTest, TrackFileIsByteExact)
{
    Settings().headerText2 = "Трасса";
    Settings().reportedSerial = 12;
    TrackDataSet d(Settings());
    for (int i = 0; i < 3; ++i)
        source.Measure(d);
    GpsFixQuality good{2, 3, 11, 0.87, 340, true}, poor{1, 2, 5, 700.0, 0x01020304, false};
    d.SetFix(0, {55.75, 37.61, Tick(1), good});
    d.SetFix(2, {55.76, 37.62, Tick(3), poor});
    const CalibrationKey key = Settings().calibrationKey;
    SessionBytes expected(1388 + 16 + 3 * 10);
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
    expected.PutRaw(1388, "LURQ");
    expected.Put16(1392, 1);  // version
    expected.Put16(1394, 10); // entry size
    expected.Put32(1396, 3);
    // GGA quality, fix type, satellites, flags (bit 0: placed well), HDOP × 100, age in ms.
    expected.PutRaw(1400, std::string("\x02\x03\x0B\x01\x57\x00\x54\x01\x00\x00", 10));
    expected.PutRaw(1410, std::string("\xFF\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10)); // no position yet
    expected.PutRaw(1420, std::string("\x01\x02\x05\x00\xFF\xFF\x04\x03\x02\x01", 10)); // HDOP past 655.35
    expected.Put32(1430, Crc32(expected.bytes.data() + 1388, 42));
    EXPECT_EQ(Serialized(d, true), expected.bytes);
    EXPECT_FALSE(d.Modified());
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

TEST_F(TrackDataSetTest, AnAnswerForAReplacedReadingChangesNothing)
{
    TrackDataSet track(Settings());
    positions.OnFix({1.0, 1.0, 1000});
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
    RequestReadingPositions(track, 0, positions, kPage);
    // The operator steps back and measures the same reading again before the answer.
    ASSERT_TRUE(track.PreviousPosition());
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
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

namespace {

bool SameQuality(const GpsFixQuality& a, const GpsFixQuality& b)
{
    return std::tuple(a.ggaQuality, a.fixType, a.satellitesUsed, std::lround(a.hdop * 100), a.ageMs, a.placedOk) ==
           std::tuple(b.ggaQuality, b.fixType, b.satellitesUsed, std::lround(b.hdop * 100), b.ageMs, b.placedOk);
}

// The records and positions a reader of the plain layout gets: N at the body, the entries
// offset, then N entries of record, longitude, latitude; nothing after them is read.
std::vector<std::tuple<std::string, double, double>> PlainTrackReading(const std::string& file)
{
    ByteReader in(file);
    in.Seek(784);
    in.Seek(in.U32());
    const uint32_t n = in.U32();
    in.U32(); // flags
    in.Seek(in.U32());
    std::vector<std::tuple<std::string, double, double>> entries;
    for (uint32_t k = 0; k < n; ++k) {
        std::string record(180, '\0');
        in.Bytes(record.data(), record.size());
        const double longitude = in.F64();
        entries.emplace_back(record, longitude, in.F64());
    }
    EXPECT_TRUE(in.Ok());
    return entries;
}

} // namespace

// Qualities come back with the positions; a file without the block (as older versions
// wrote it) reads the same, of unknown quality; and a reader of the plain layout reads the
// same records and positions from either.
TEST_F(TrackDataSetTest, QualitiesTravelWithTheSessionFile)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 4; ++i)
        source.Measure(d);
    const GpsFixQuality qualities[4] = {
        {4, 3, 23, 0.6, 120, true}, {}, {0, 1, 0, 99.99, 2500, false}, {1, 0, 4, 0, 65000, true}};
    for (uint32_t k : {0u, 2u, 3u})
        d.SetFix(k, {55.7 + k * 1e-5, 37.5, Tick(k + 1), qualities[k]});
    const std::string file = Serialized(d);
    const size_t bodyEnd = 800 + 4 * 196;
    ASSERT_EQ(file.size(), bodyEnd + 16 + 4 * 10);

    SessionImage image;
    ASSERT_EQ(ParseSession(file, image), "");
    auto loaded = TrackDataSet::LoadTrackBody(image, Settings());
    for (size_t k = 0; k < 4; ++k)
        EXPECT_TRUE(SameQuality(loaded->FixAt(k).quality, qualities[k])) << k;
    EXPECT_EQ(Serialized(*loaded), file) << "saved again, the same file";

    const std::string older = file.substr(0, bodyEnd);
    SessionImage plain;
    ASSERT_EQ(ParseSession(older, plain), "");
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(std::pair(plain.fixes[k].latitude, plain.fixes[k].longitude),
                  std::pair(image.fixes[k].latitude, image.fixes[k].longitude));
        EXPECT_FALSE(QualityRecorded(plain.fixes[k].quality)) << k;
    }
    EXPECT_EQ(PlainTrackReading(file), PlainTrackReading(older));
    EXPECT_EQ(PlainTrackReading(file).size(), 4u);
}

// A block that is cut short, damaged, of another version, entry size or count is ignored:
// the session opens with its positions, of unknown quality.
TEST_F(TrackDataSetTest, QualityBlocksThatDoNotCheckOutAreIgnored)
{
    TrackDataSet d(Settings());
    for (int i = 0; i < 3; ++i)
        source.Measure(d);
    for (uint32_t k = 0; k < 3; ++k)
        d.SetFix(k, {10.0 + k, 20.0, Tick(k + 1), {1, 3, 9, 1.5, 200, false}});
    const std::string file = Serialized(d);
    const size_t block = 800 + 3 * 196;
    const auto unknownQualities = [&](const std::string& bytes, const std::string& why) {
        SessionImage image;
        ASSERT_EQ(ParseSession(bytes, image), "") << why;
        ASSERT_EQ(image.fixes.size(), 3u) << why;
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(image.fixes[k].latitude, 10.0 + double(k)) << why;
            EXPECT_FALSE(QualityRecorded(image.fixes[k].quality)) << why << ", reading " << k;
        }
    };
    for (size_t size = block; size < file.size(); ++size)
        unknownQualities(file.substr(0, size), "cut at " + std::to_string(size));
    for (size_t at = block; at < file.size(); ++at) {
        std::string flipped = file;
        flipped[at] ^= 0x10;
        unknownQualities(flipped, "byte " + std::to_string(at) + " changed");
    }
    // Fields that pass the checksum but not the reader.
    const auto resealed = [&](size_t at, uint32_t value, int bytes) {
        SessionBytes b(0);
        b.bytes = file;
        bytes == 2 ? b.Put16(at, uint16_t(value)) : b.Put32(at, value);
        b.Put32(file.size() - 4, Crc32(b.bytes.data() + block, file.size() - 4 - block));
        return b.bytes;
    };
    unknownQualities(resealed(block + 4, 2, 2), "version 2");
    unknownQualities(resealed(block + 6, 12, 2), "entries of 12 bytes");
    unknownQualities(resealed(block + 8, 2, 4), "two readings counted");
    unknownQualities(resealed(block + 8, 0xFFFFFFFF, 4), "2^32 - 1 readings counted");
    // Behind entries without coordinates a block has nothing to describe.
    SessionBytes withoutFixes(800 + 180 + 16 + 10);
    withoutFixes.bytes.replace(0, 788, file, 0, 788);
    withoutFixes.Put32(788, 1);
    withoutFixes.Put32(792, 2);
    withoutFixes.Put32(796, 800);
    withoutFixes.PutRecord(800, d.Record(0));
    {
        TrackDataSet one(Settings());
        source.Measure(one);
        one.SetFix(0, {1.0, 1.0, one.FixAt(0).tick, {1, 3, 9, 1.5, 200, false}});
        const std::string oneFile = Serialized(one);
        withoutFixes.bytes.replace(980, 26, oneFile, 800 + 196, 26);
    }
    SessionImage image;
    ASSERT_EQ(ParseSession(withoutFixes.bytes, image), "");
    ASSERT_EQ(image.fixes.size(), 1u);
    EXPECT_FALSE(QualityRecorded(image.fixes[0].quality));
    // What follows an intact block is left alone.
    ASSERT_EQ(ParseSession(file + "tail", image), "");
    EXPECT_TRUE(QualityRecorded(image.fixes[2].quality));
}

// Before the GPS side has had a fix since its reset, a new reading keeps no position rather
// than the live position left from before; from the first fix on it takes the live one.
TEST_F(TrackDataSetTest, NoProvisionalPositionBeforeTheFirstFix)
{
    TrackDataSet track(Settings());
    track.SetCurrentFix({50.0, 30.0, 400}); // from before the reset
    ASSERT_FALSE(positions.HasFix());
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
    EXPECT_EQ(RequestReadingPositions(track, 0, positions, kPage), 1u);
    EXPECT_FALSE(HasPosition(track.FixAt(0)));
    EXPECT_EQ(track.FixAt(0).tick, Tick(1));

    positions.OnFix({51.0, 31.0, 1500});
    for (const PositionMessage& m : queue.Take(std::chrono::milliseconds(0)))
        ApplyPositionMessage(track, m);
    EXPECT_EQ(track.FixAt(0).latitude, 51.0); // the answer
    ASSERT_EQ(source.Measure(track), MeasureOutcome::Stored);
    RequestReadingPositions(track, 1, positions, kPage);
    EXPECT_EQ(std::pair(track.FixAt(1).latitude, track.FixAt(1).tick), std::pair(51.0, Tick(2)));
}
