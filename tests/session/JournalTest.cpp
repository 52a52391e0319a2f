#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

#include "session/AcquisitionJournal.h"
#include "session/Crc32.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"
#include "support/ScriptedSource.h"
#include "support/SessionBytes.h"
#include "support/SettingsFixture.h"
#include "survey/ByteStream.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

using testing_support::ReadFile;
using testing_support::SameRecords;
using testing_support::WriteFile;

namespace {

class JournalTest : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        journal = std::make_unique<AcquisitionJournal>(JournalDirectory(), Settings());
    }
    void TearDown() override
    {
        journal.reset();
        SettingsTest::TearDown();
    }
    std::string JournalDirectory() const { return dir.File("journal"); }
    std::string JournalBytes() const { return ReadFile(journal->Path()); }
    static bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }
    void Grid(int32_t workType, int32_t x, int32_t y)
    {
        Settings().workType = workType;
        Settings().xSize = x;
        Settings().ySize = y;
    }

    // All different from the defaults, so recovery must restore them.
    void DistinctHeader()
    {
        Settings().headerText1 = "Участок 7";
        Settings().headerText2 = "north field";
        Settings().sessionExtra1 = 11;
        Settings().sessionExtra2 = -3;
        Settings().xStep = 2.5f;
        Settings().yStep = 10.0f;
        Settings().reportedSerial = 42;
    }
    // Settings changed after the crash: recovery must not depend on them.
    void ScrambleSettings()
    {
        Settings().workType = kWorkProfile;
        Settings().xSize = 99;
        Settings().ySize = 7;
        Settings().xStep = Settings().yStep = 1;
        Settings().headerText1 = "other";
        Settings().sessionExtra1 = Settings().reportedSerial = 0;
        for (int32_t& used : Settings().usedFrequencies)
            used = !used;
    }
    static std::string Serialized(const DataSet& d)
    {
        ByteWriter file;
        const_cast<DataSet&>(d).Serialize(file, false);
        return file.Data();
    }
    // Makes journal writes fail with ENOSPC; the descriptor to put back.
    int FillDisk()
    {
        const int saved = ::dup(journal->Descriptor()), full = ::open("/dev/full", O_WRONLY);
        EXPECT_GE(::dup2(full, journal->Descriptor()), 0);
        ::close(full);
        return saved;
    }

    static std::string Frame(uint8_t type, const std::string& payload)
    {
        std::string frame;
        journal::AppendEntry(frame, journal::EntryType(type), payload);
        return frame;
    }

    std::unique_ptr<AcquisitionJournal> journal;
};

} // namespace

TEST_F(JournalTest, SurveysRecoverTheFileANormalSaveWrites)
{
    const struct {
        const char* what;
        int32_t workType, xSize, ySize, tracer;
        int count;
    } cases[] = {
        {"map", kWorkMap, 3, 4, 0, 9},
        {"open profile grown past its first array", kWorkProfile, 20, 1, 0, 26},
        {"tracer series on a map", kWorkMap, 4, 8, 1, 2},
        // More stations than an open profile starts with: only open profiles log their last record.
        {"large map", kWorkMap, 50, 40, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Grid(c.workType, c.xSize, c.ySize);
        DistinctHeader();
        SurveyDataSet d(Settings());
        d.SetJournal(journal.get()); // no Start(): the first reading starts the file
        ScriptedSource source;
        source.series = c.tracer != 0;
        for (int i = 0; i < c.count; ++i) {
            if (i == c.count / 2) {
                Settings().reportedSerial = 43; // another instrument answered
                d.PreviousPosition();
            }
            EXPECT_EQ(source.Measure(d), MeasureOutcome::Stored);
        }
        const size_t readings = size_t(c.count) * (c.tracer ? 14 : 1);
        EXPECT_EQ(SummarizeJournal(JournalBytes()).readings, readings);
        ASSERT_TRUE(journal->Durable()) << journal->Error();
        const std::string bytes = JournalBytes(), path = journal->Path();
        const auto usedFrequencies = Settings().usedFrequencies;
        EXPECT_TRUE(SaveSession(d, dir.File("a.lur")).ok);
        EXPECT_FALSE(Exists(path)) << "a save removes the journal";
        ScrambleSettings();
        const RecoveryResult result = RecoverJournal(bytes, Settings());
        ASSERT_TRUE(result.dataSet) << result.problem;
        EXPECT_TRUE(result.dataSet->Modified());
        EXPECT_TRUE(SaveSession(*result.dataSet, dir.File("b.lur")).ok);
        EXPECT_EQ(ReadFile(dir.File("b.lur")), ReadFile(dir.File("a.lur")));
        // The file carries the work type, header and serial: the scrambled settings were restored.
        EXPECT_EQ(result.readings, readings);
        EXPECT_EQ(Settings().usedFrequencies, usedFrequencies) << "the pages show what the survey measured";
        EXPECT_EQ(result.problem, "");
        EXPECT_EQ(result.dataSet->CurrentIndex(), d.CurrentIndex());
        journal->Discard();
    }
}

// Positions come in after their readings: provisional ones, final answers, and a late answer
// for a reading measured again, which is dropped. The file keeps no ticks, so they are compared.
TEST_F(JournalTest, TracksRecoverTheirReadingsPositionsAndTicks)
{
    for (const bool tracer : {false, true}) {
        SCOPED_TRACE(tracer ? "tracer series" : "single readings");
        DistinctHeader();
        TrackDataSet d(Settings());
        d.SetJournal(journal.get());
        ASSERT_TRUE(journal->Start(d));
        ScriptedSource source;
        source.series = tracer;
        for (int i = 0; i < 4; ++i) {
            d.SetCurrentFix({55.0 + i * 1e-4, 37.0, 900u + uint32_t(i)});
            const uint32_t first = d.CurrentIndex();
            ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
            for (uint32_t k = first; k < d.CurrentIndex(); ++k) {
                GpsFix provisional = d.CurrentFix();
                provisional.tick = d.FixAt(k).tick;
                d.SetFix(k, provisional);
                if (k % 2 == 0)
                    d.SetFix(k, {55.5, 37.5 + k * 1e-5, provisional.tick,
                                 {2, 3, uint8_t(k), 0.5 + k, 100 * k, k % 4 == 0}});
            }
        }
        const uint32_t replacedTick = d.FixAt(1).tick;
        d.ResetPosition();
        d.NextPosition();
        ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
        EXPECT_FALSE(d.SetFix(1, {1, 1, replacedTick}));
        d.SetCurrentFix({56, 38, 5000});

        ASSERT_TRUE(journal->Durable()) << journal->Error();
        const std::string bytes = JournalBytes();
        ASSERT_TRUE(SaveSession(d, dir.File("a.lur")).ok);
        ScrambleSettings();
        const RecoveryResult result = RecoverJournal(bytes, Settings());
        const auto* r = dynamic_cast<const TrackDataSet*>(result.dataSet.get());
        ASSERT_NE(r, nullptr) << result.problem;
        EXPECT_EQ(Settings().workType, kWorkGpsTrack);
        EXPECT_TRUE(SaveSession(*result.dataSet, dir.File("b.lur")).ok);
        EXPECT_EQ(ReadFile(dir.File("b.lur")), ReadFile(dir.File("a.lur")));
        ASSERT_EQ(r->FixCount(), d.FixCount());
        for (size_t k = 0; k < d.FixCount(); ++k) {
            EXPECT_EQ(r->FixAt(k).tick, d.FixAt(k).tick) << k;
            const GpsFixQuality &a = r->FixAt(k).quality, &b = d.FixAt(k).quality;
            EXPECT_EQ(std::tuple(a.ggaQuality, a.satellitesUsed, a.hdop, a.ageMs, a.placedOk),
                      std::tuple(b.ggaQuality, b.satellitesUsed, b.hdop, b.ageMs, b.placedOk)) << k;
        }
        EXPECT_EQ(r->CurrentIndex(), d.CurrentIndex());
        EXPECT_EQ(std::pair(r->CurrentFix().latitude, r->CurrentFix().tick), std::pair(56.0, 5000u));
        journal->Discard();
    }
}

TEST_F(JournalTest, DamageInTheMiddleEndsRecoveryThere)
{
    Grid(kWorkMap, 3, 3);
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
    const std::string afterOne = Serialized(d);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
    const std::string bytes = JournalBytes();
    journal::EntryCursor cursor(bytes);
    journal::Entry entry;
    for (int i = 0; i < 3; ++i) // begin, state, first reading
        ASSERT_TRUE(cursor.Next(entry));
    const size_t second = cursor.IntactBytes();
    const auto insert = [&](const std::string& frame) { return [&, frame](std::string& b) { b.insert(second, frame); }; };
    const auto outside = [&](uint32_t index, uint32_t p, uint32_t s) {
        journal::Reading r{};
        r.record = testing_support::SampleRecord(50);
        r.index = index;
        r.positionA = p;
        r.positionB = s;
        return insert(Frame(journal::kSurveyReading, journal::EncodeReading(r, false)));
    };
    journal::State nan;
    nan.xStep = std::numeric_limits<float>::quiet_NaN(); // found by fuzzing: saved a file that did not open
    const struct {
        const char* what;
        std::function<void(std::string&)> apply;
        const char* problem;
    } damages[] = {
        {"flipped payload byte", [&](std::string& b) { b[second + 40] ^= 1; }, "checksum mismatch"},
        {"huge length", [&](std::string& b) { b.replace(second, 4, "\xff\xff\xff\x7f", 4); }, "impossible entry length"},
        {"unknown type", insert(Frame(99, "x")), "unknown type"},
        {"index past the end", outside(9, 0, 0), "outside the data set"},
        {"empty reading", insert(Frame(journal::kSurveyReading, "")), "malformed"},
        {"station past the end", outside(2, 0, 3), "outside the data set"}, // nothing of it may be kept
        {"NaN step", insert(Frame(journal::kState, journal::EncodeState(nan))), "settings entry is malformed"},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::string damaged = bytes;
        damage.apply(damaged);
        const RecoveryResult result = RecoverJournal(damaged, Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.readings, 1u);
        EXPECT_NE(result.problem.find(damage.problem), std::string::npos) << result.problem;
        EXPECT_EQ(result.dataSet->RecordCount(), 9u);
        EXPECT_EQ(Serialized(*result.dataSet), afterOne);
    }
}

// Journals that name no data set it could rebuild give nothing back, and say why.
TEST_F(JournalTest, UnrecoverableJournalsSayWhy)
{
    const auto begin = [](int32_t workType, uint32_t x, uint32_t y) {
        journal::Begin b;
        b.workType = workType;
        b.xSize = x;
        b.ySize = y;
        return Frame(journal::kBegin, journal::EncodeBegin(b));
    };
    const std::string header = journal::FileHeader(), state = Frame(journal::kState, journal::EncodeState({}));
    const std::string map = begin(kWorkMap, 3, 3);
    const struct {
        const char* what;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {"empty", "", "not an acquisition journal"},
        {"other version", std::string("LURJ\x02\0\0\0", 8) + map + state, "journal version 2 is not supported"},
        {"cut in the first entry", header + map.substr(0, map.size() - 1), "cut short at offset 8"},
        {"state first", header + state + map, "does not begin with its data set"},
        {"profile of three rows", header + begin(kWorkLimitedProfile, 3, 3) + state, "impossible grid"},
        {"open-ended map", header + begin(kWorkMap, 0, 2) + state, "impossible grid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RecoveryResult result = RecoverJournal(c.bytes, Settings());
        EXPECT_FALSE(result.dataSet);
        EXPECT_NE(result.problem.find(c.problem), std::string::npos) << result.problem;
        const JournalSummary summary = SummarizeJournal(c.bytes);
        EXPECT_EQ(summary.readings, 0u);
        EXPECT_FALSE(summary.problem.empty() && !summary.begun) << "an offer needs a data set or a reason";
    }
}

TEST(JournalFormat, FramingIsPinned)
{
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u); // the standard check value
    EXPECT_EQ(journal::FileHeader(), std::string("LURJ\x01\0\0\0", 8));
    std::string out;
    journal::AppendEntry(out, journal::kCurrentFix, "ab");
    ASSERT_EQ(out.size(), 11u);
    EXPECT_EQ(out.substr(0, 7), std::string("\x02\0\0\0\x06" "ab", 7));
    const uint32_t crc = Crc32(out.data(), 7);
    EXPECT_EQ(out.substr(7), std::string({char(crc), char(crc >> 8), char(crc >> 16), char(crc >> 24)}));
}

TEST_F(JournalTest, ABrokenJournalGivesUpItsQueueAndStartsOverWithEverything)
{
    Settings().workType = kWorkProfile;
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    source.series = true; // fourteen readings a measure fill the queue sooner
    ASSERT_EQ(source.Measure(d), MeasureOutcome::Stored);
    const std::string first = journal->Path();
    ::close(FillDisk());
    // The directory cannot take a new file either: the queue is given up, not kept.
    const std::string moved = dir.File("moved");
    ASSERT_EQ(::rename(JournalDirectory().c_str(), moved.c_str()), 0);
    WriteFile(JournalDirectory(), "a file where the directory should be");
    const size_t entryBytes = 14 * (journal::kEntryOverhead + 180);
    const size_t enough = 2 * AcquisitionJournal::kMaxPendingBytes / entryBytes;
    size_t measures = 0;
    for (; journal->Descriptor() >= 0 && measures < enough; ++measures)
        EXPECT_EQ(source.Measure(d), MeasureOutcome::StoredInMemory);
    ASSERT_LT(measures, enough) << "the queue was never given up";
    EXPECT_GT(measures, AcquisitionJournal::kMaxPendingBytes / (2 * entryBytes));
    EXPECT_NE(journal->Error().find("journal directory"), std::string::npos) << journal->Error();
    EXPECT_EQ(d.RecordCount(), 14 * (measures + 1)) << "the data set keeps every reading";
    EXPECT_EQ(source.Measure(d), MeasureOutcome::StoredInMemory);
    EXPECT_EQ(journal->Path(), first) << "the file that has the first readings is kept";
    EXPECT_EQ(RecoverJournal(ReadFile(moved + first.substr(first.rfind('/'))), Settings()).readings, 14u);
    // The directory is back: the next reading starts a file with everything, and the old one goes.
    ASSERT_EQ(::unlink(JournalDirectory().c_str()), 0);
    ASSERT_EQ(::rename(moved.c_str(), JournalDirectory().c_str()), 0);
    EXPECT_EQ(source.Measure(d), MeasureOutcome::Stored);
    EXPECT_TRUE(journal->Durable());
    EXPECT_FALSE(Exists(first));
    const RecoveryResult recovered = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(recovered.dataSet);
    EXPECT_EQ(recovered.problem, "");
    EXPECT_TRUE(SameRecords(recovered.dataSet->Records(), d.Records()));
}

// A track reading's and a later position's payloads, from the layout: the fix, then its
// quality. Journals written before positions had a quality end after the fix; other
// lengths are damage.
TEST(JournalFormat, TrackEntriesArePinnedWithAndWithoutTheirQuality)
{
    journal::Reading reading;
    reading.index = 7;
    reading.record = testing_support::SampleRecord(3);
    reading.positionA = 8;
    reading.fix = GpsFix{55.5, 37.25, 0xA1B2C3D4, {4, 3, 17, 1.25, 1500, false}};
    SessionBytes expected(218);
    expected.Put32(0, 7);
    expected.PutRecord(4, reading.record);
    expected.Put32(184, 8);
    expected.PutF64(188, 55.5);
    expected.PutF64(196, 37.25);
    expected.Put32(204, 0xA1B2C3D4);
    expected.PutRaw(208, std::string("\x04\x03\x11\x00\x7D\x00\xDC\x05\x00\x00", 10));
    EXPECT_EQ(journal::EncodeReading(reading, true), expected.bytes);

    SessionBytes fix(34);
    fix.bytes.replace(4, 30, expected.bytes, 188, 30);
    fix.Put32(0, 9);
    EXPECT_EQ(journal::EncodeFix(9, reading.fix), fix.bytes);

    journal::Reading decoded;
    ASSERT_TRUE(journal::DecodeReading(expected.bytes, true, decoded));
    EXPECT_EQ(std::tuple(decoded.index, decoded.positionA, decoded.fix.latitude, decoded.fix.tick),
              std::tuple(7u, 8u, 55.5, 0xA1B2C3D4u));
    EXPECT_EQ(std::tuple(decoded.fix.quality.ggaQuality, decoded.fix.quality.hdop, decoded.fix.quality.ageMs,
                         decoded.fix.quality.placedOk),
              std::tuple(uint8_t(4), 1.25, 1500u, false));
    uint32_t index = 0;
    GpsFix position;
    ASSERT_TRUE(journal::DecodeFix(fix.bytes, index, position));
    EXPECT_EQ(std::tuple(index, position.longitude, position.quality.satellitesUsed),
              std::tuple(9u, 37.25, uint8_t(17)));

    // The older payloads (208 and 24 bytes) recover in OldJournalsWithoutQualitiesStillRecover;
    // their positions' ticks are pinned here, as the file keeps none.
    ASSERT_TRUE(journal::DecodeReading(expected.bytes.substr(0, 208), true, decoded));
    EXPECT_EQ(decoded.fix.tick, 0xA1B2C3D4u);
    for (size_t cut = 209; cut < 218; ++cut)
        EXPECT_FALSE(journal::DecodeReading(expected.bytes.substr(0, cut), true, decoded)) << cut;
    for (size_t cut = 25; cut < 34; ++cut)
        EXPECT_FALSE(journal::DecodeFix(fix.bytes.substr(0, cut), index, position)) << cut;
    EXPECT_FALSE(journal::DecodeReading(expected.bytes + "x", true, decoded));
}

// A journal a crash left behind before positions had a quality: its readings and positions
// come back, and so do the newer entries after them.
TEST_F(JournalTest, OldJournalsWithoutQualitiesStillRecover)
{
    journal::Begin begin;
    begin.track = true;
    begin.workType = kWorkGpsTrack;
    std::string bytes = journal::FileHeader() + Frame(journal::kBegin, journal::EncodeBegin(begin)) +
                        Frame(journal::kState, journal::EncodeState({}));
    const GpsFixQuality known{1, 3, 8, 0.9, 250, true};
    for (uint32_t k = 0; k < 3; ++k) {
        journal::Reading r;
        r.index = k;
        r.record = testing_support::SampleRecord(k + 1);
        r.positionA = k + 1;
        r.fix = GpsFix{k == 0 ? 0.0 : 60.0 + k, k == 0 ? 0.0 : 30.0, r.record.TimeStamp(), known};
        const std::string payload = journal::EncodeReading(r, true);
        bytes += Frame(journal::kTrackReading, k < 2 ? payload.substr(0, 208) : payload);
    }
    const std::string late = journal::EncodeFix(0, {59.0, 29.0, testing_support::SampleRecord(1).TimeStamp(), known});
    bytes += Frame(journal::kFix, late.substr(0, 24));

    EXPECT_EQ(SummarizeJournal(bytes).readings, 3u);
    const RecoveryResult result = RecoverJournal(bytes, Settings());
    const auto* track = dynamic_cast<const TrackDataSet*>(result.dataSet.get());
    ASSERT_NE(track, nullptr) << result.problem;
    EXPECT_TRUE(result.complete) << result.problem;
    ASSERT_EQ(track->FixCount(), 3u);
    EXPECT_EQ(std::pair(track->FixAt(0).latitude, track->FixAt(1).latitude), std::pair(59.0, 61.0));
    EXPECT_FALSE(QualityRecorded(track->FixAt(0).quality));
    EXPECT_FALSE(QualityRecorded(track->FixAt(1).quality));
    EXPECT_EQ(std::pair(track->FixAt(2).quality.satellitesUsed, track->FixAt(2).quality.ageMs),
              std::pair(uint8_t(8), 250u));
    EXPECT_EQ(track->CurrentIndex(), 3u);
}
