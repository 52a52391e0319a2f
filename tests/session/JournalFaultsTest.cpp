#include <fcntl.h>
#include <functional>
#include <limits>
#include <tuple>
#include <unistd.h>

#include "JournalFixture.h"

using testing_support::ReadFile;
using testing_support::SameRecords;
using testing_support::WriteFile;

namespace {

class JournalFaultTest : public testing_support::JournalTest {
protected:
    // A 3 × 3 map journal with `count` readings; `expected` receives the data set as
    // serialized after each reading (index 0: before any).
    std::string MapJournal(int count, std::vector<std::string>& expected)
    {
        Settings().workType = kWorkMap;
        Settings().xSize = 3;
        Settings().ySize = 3;
        SurveyDataSet d(Settings());
        d.SetJournal(journal.get());
        EXPECT_TRUE(journal->Start(d));
        ScriptedSource source;
        for (int i = 0; i <= count; ++i) {
            if (i > 0) {
                EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
            }
            ByteWriter file;
            d.Serialize(file, false);
            expected.push_back(file.Data());
        }
        return JournalBytes();
    }

    // Offsets at which each entry starts, and the file size last.
    static std::vector<size_t> EntryStarts(const std::string& bytes)
    {
        std::vector<size_t> starts;
        journal::EntryCursor cursor(bytes);
        journal::Entry entry;
        starts.push_back(cursor.IntactBytes());
        while (cursor.Next(entry))
            starts.push_back(cursor.IntactBytes());
        return starts;
    }

    std::string Serialized(const DataSet& d)
    {
        ByteWriter file;
        const_cast<DataSet&>(d).Serialize(file, false);
        return file.Data();
    }

    // Frames a payload by hand, with a correct checksum.
    static std::string Frame(uint8_t type, const std::string& payload)
    {
        ByteWriter frame;
        frame.U32(uint32_t(payload.size()));
        frame.U8(type);
        frame.Bytes(payload.data(), payload.size());
        frame.U32(Crc32(frame.Data().data(), frame.Data().size()));
        return frame.Data();
    }
};

} // namespace

TEST_F(JournalFaultTest, EveryCutInsideTheLastEntryRecoversAllEarlierReadings)
{
    std::vector<std::string> expected;
    const std::string bytes = MapJournal(4, expected);
    const std::vector<size_t> starts = EntryStarts(bytes);
    ASSERT_EQ(starts.back(), bytes.size());
    const size_t lastStart = starts[starts.size() - 2];
    for (size_t cut = lastStart; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        const RecoveryResult result = RecoverJournal(std::string_view(bytes).substr(0, cut), Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.readings, 3u);
        EXPECT_EQ(result.problem.empty(), cut == lastStart) << result.problem;
        EXPECT_EQ(Serialized(*result.dataSet), expected[3]);
    }
    const RecoveryResult whole = RecoverJournal(bytes, Settings());
    EXPECT_EQ(whole.readings, 4u);
    EXPECT_EQ(Serialized(*whole.dataSet), expected[4]);
}

TEST_F(JournalFaultTest, DamageInTheMiddleEndsRecoveryThere)
{
    std::vector<std::string> expected;
    const std::string bytes = MapJournal(4, expected);
    const std::vector<size_t> starts = EntryStarts(bytes); // file header, begin, state, 4 readings
    ASSERT_EQ(starts.size(), 7u);
    const size_t second = starts[3]; // where the second reading's entry starts

    struct Damage {
        const char* what;
        std::function<void(std::string&)> apply;
        const char* problem;
    };
    const std::vector<Damage> damages = {
        {"flipped payload byte", [&](std::string& b) { b[second + 40] ^= 1; }, "checksum mismatch"},
        {"huge length", [&](std::string& b) { b.replace(second, 4, "\xff\xff\xff\x7f", 4); }, "impossible entry length"},
        {"zero length", [&](std::string& b) { b.replace(second, 4, std::string(4, '\0')); }, "checksum mismatch"},
        {"garbage", [&](std::string& b) { b.replace(second, 200, std::string(200, '\xA5')); }, "impossible entry length"},
        {"valid frame of unknown type", [&](std::string& b) { b.insert(second, Frame(99, "x")); }, "unknown type"},
        {"valid frame, empty reading", [&](std::string& b) { b.insert(second, Frame(journal::kSurveyReading, "")); },
         "malformed"},
        {"valid frame, track reading in a survey",
         [&](std::string& b) { b.insert(second, Frame(journal::kTrackReading, "")); }, "malformed"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::string damaged = bytes;
        damage.apply(damaged);
        const RecoveryResult result = RecoverJournal(damaged, Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.readings, 1u);
        EXPECT_NE(result.problem.find(damage.problem), std::string::npos) << result.problem;
        EXPECT_EQ(Serialized(*result.dataSet), expected[1]);
    }
}

TEST_F(JournalFaultTest, ReadingsOutsideTheDataSetAreRefused)
{
    std::vector<std::string> expected;
    const std::string bytes = MapJournal(1, expected);
    journal::Reading reading;
    reading.record = testing_support::SampleRecord(50);
    for (const auto& [index, p, s] : {std::tuple{9u, 0u, 0u}, std::tuple{0xFFFFFFFFu, 0u, 0u}, std::tuple{2u, 3u, 0u},
                                      std::tuple{2u, 0u, 3u}}) {
        reading.index = index;
        reading.positionA = p;
        reading.positionB = s;
        const RecoveryResult result =
            RecoverJournal(bytes + Frame(journal::kSurveyReading, journal::EncodeReading(reading, false)), Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.readings, 1u);
        EXPECT_NE(result.problem.find("outside the data set"), std::string::npos) << result.problem;
        EXPECT_EQ(result.dataSet->RecordCount(), 9u);
    }
}

TEST_F(JournalFaultTest, HostileHeadersGiveNoDataSet)
{
    const std::string header = journal::FileHeader();
    journal::Begin hugeGrid;
    hugeGrid.workType = kWorkMap;
    hugeGrid.xSize = 1u << 20;
    hugeGrid.ySize = 1u << 20;
    journal::Begin zeroProfiles = hugeGrid;
    zeroProfiles.xSize = 3;
    zeroProfiles.ySize = 0;
    journal::Begin openMap = zeroProfiles; // found by fuzzing: saved as a file that did not open
    openMap.xSize = 0;
    openMap.ySize = 197120;
    journal::Begin strangeType = zeroProfiles;
    strangeType.ySize = 1;
    strangeType.workType = 77;
    const std::string state = Frame(journal::kState, journal::EncodeState({}));
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "not an acquisition journal"},
        {"LURJ", "not an acquisition journal"},
        {std::string("LURJ\x02\0\0\0", 8), "version 2"},
        {std::string(5000, 'x'), "not an acquisition journal"},
        {header, "does not begin"},
        {header + state, "does not begin"},
        {header + Frame(journal::kBegin, journal::EncodeBegin({})), "does not begin"}, // no settings entry
        {header + Frame(journal::kBegin, journal::EncodeBegin(hugeGrid)) + state, "impossible grid"},
        {header + Frame(journal::kBegin, journal::EncodeBegin(zeroProfiles)) + state, "impossible grid"},
        {header + Frame(journal::kBegin, journal::EncodeBegin(strangeType)) + state, "impossible grid"},
        {header + Frame(journal::kBegin, journal::EncodeBegin(openMap)) + state, "impossible grid"},
        {header + Frame(journal::kBegin, "\x01") + state, "does not begin"},
        {header + Frame(journal::kBegin, journal::EncodeBegin({})) + Frame(journal::kState, "\xff\xff"),
         "does not begin"},
    };
    for (const auto& [bytes, problem] : cases) {
        SCOPED_TRACE(problem);
        const RecoveryResult result = RecoverJournal(bytes, Settings());
        EXPECT_FALSE(result.dataSet);
        EXPECT_NE(result.problem.find(problem), std::string::npos) << result.problem;
        EXPECT_FALSE(SummarizeJournal(bytes).readings);
    }
}

TEST_F(JournalFaultTest, FullDiskFailsTheReadingButKeepsItAndEveryEarlierOne)
{
    Settings().workType = kWorkProfile;
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const std::string beforeFailure = Serialized(d);

    // The disk fills up: writes to the journal now fail with ENOSPC.
    const int saved = ::dup(journal->Descriptor());
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_GE(::dup2(full, journal->Descriptor()), 0);
    ::close(full);

    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_FALSE(journal->Durable());
    EXPECT_NE(journal->Error().find("No space"), std::string::npos) << journal->Error();
    EXPECT_EQ(d.CurrentIndex(), 3u) << "the reading is kept and the position moved on";
    EXPECT_EQ(d.Record(2).bytes, testing_support::SampleRecord(3).bytes);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);

    // A crash now recovers every reading made durable before the disk filled.
    RecoveryResult crashed = RecoverJournal(ReadFile(journal->Path()), Settings());
    ASSERT_TRUE(crashed.dataSet);
    EXPECT_EQ(crashed.readings, 2u);
    EXPECT_EQ(Serialized(*crashed.dataSet), beforeFailure);

    // A failed instrument is told apart from a failed journal.
    source.outcomes = {false};
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Failed);
    EXPECT_EQ(d.CurrentIndex(), 4u);

    // Space comes back: the next reading carries the queued ones to disk.
    ASSERT_GE(::dup2(saved, journal->Descriptor()), 0);
    ::close(saved);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_TRUE(journal->Durable());
    EXPECT_EQ(journal->Error(), "");
    RecoveryResult recovered = RecoverJournal(ReadFile(journal->Path()), Settings());
    ASSERT_TRUE(recovered.dataSet);
    EXPECT_EQ(recovered.readings, 5u);
    EXPECT_EQ(recovered.problem, "");
    EXPECT_TRUE(SameRecords(recovered.dataSet->Records(), d.Records()));
    EXPECT_EQ(Serialized(*recovered.dataSet), Serialized(d));
}

TEST_F(JournalFaultTest, AJournalThatCannotStartFailsReadingsWithoutLosingThem)
{
    WriteFile(dir.File("blocked"), "a file where the directory should be");
    AcquisitionJournal blocked(dir.File("blocked") + "/journal", Settings());
    Settings().workType = kWorkMap;
    Settings().xSize = 2;
    Settings().ySize = 2;
    SurveyDataSet d(Settings());
    d.SetJournal(&blocked);
    EXPECT_FALSE(blocked.Start(d));
    EXPECT_NE(blocked.Error().find("journal directory"), std::string::npos) << blocked.Error();
    ScriptedSource source;
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_FALSE(blocked.Durable());
    EXPECT_TRUE(d.Modified());
    EXPECT_FALSE(d.Record(0).Empty());
    // The operator saves: the reading is in the file and nothing is pending any more.
    ASSERT_TRUE(SaveSession(d, dir.File("saved.lur")).ok);
    EXPECT_TRUE(blocked.Durable());
}

TEST_F(JournalFaultTest, ChangedHeaderSettingsAreJournaledBeforeTheNextReading)
{
    Settings().workType = kWorkLimitedProfile;
    Settings().xSize = 4;
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const size_t before = JournalBytes().size();
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const size_t readingEntry = JournalBytes().size() - before;
    Settings().reportedSerial = 9; // another instrument answered
    Settings().calibrationKey = {9, 2011, 5, 6};
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_GT(JournalBytes().size() - before, 2 * readingEntry) << "a settings entry came first";
    const std::string expected = Serialized(d);
    Settings().reportedSerial = 0;
    Settings().InstallSet({});
    const RecoveryResult result = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(result.dataSet);
    EXPECT_EQ(Settings().calibrationKey, (CalibrationKey{9, 2011, 5, 6}));
    EXPECT_EQ(Settings().reportedSerial, 9);
    EXPECT_EQ(Serialized(*result.dataSet), expected);
}

// Found by fuzzing: steps that are not numbers reached the settings, and the recovered
// session saved into a file that no longer opened.
TEST_F(JournalFaultTest, StepsThatAreNotNumbersEndRecovery)
{
    std::vector<std::string> expected;
    const std::string bytes = MapJournal(2, expected);
    journal::State nan;
    nan.xStep = std::numeric_limits<float>::quiet_NaN();
    journal::State infinite;
    infinite.yStep = std::numeric_limits<float>::infinity();
    for (const journal::State& state : {nan, infinite}) {
        const RecoveryResult result = RecoverJournal(bytes + Frame(journal::kState, journal::EncodeState(state)), Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.readings, 2u);
        EXPECT_NE(result.problem.find("settings entry is malformed"), std::string::npos) << result.problem;
        SessionImage image;
        EXPECT_EQ(ParseSession(Serialized(*result.dataSet), image), "");
    }
}

TEST_F(JournalFaultTest, LivePositionsDoNotPassOffQueuedTrackReadingsAsDurable)
{
    TrackDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const int saved = ::dup(journal->Descriptor());
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_GE(::dup2(full, journal->Descriptor()), 0);
    ::close(full);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_EQ(d.RecordCount(), 2u);
    ASSERT_GE(::dup2(saved, journal->Descriptor()), 0);
    ::close(saved);
    d.SetCurrentFix({55, 37, 10}); // written without a flush: must not count
    EXPECT_FALSE(journal->Durable());
    EXPECT_TRUE(d.SetFix(1, {55.1, 37.1, d.FixAt(1).tick})); // a flushed change carries everything
    EXPECT_TRUE(journal->Durable());
    const RecoveryResult result = RecoverJournal(ReadFile(journal->Path()), Settings());
    ASSERT_TRUE(result.dataSet);
    EXPECT_EQ(result.readings, 2u);
    EXPECT_EQ(Serialized(*result.dataSet), Serialized(d));
    EXPECT_EQ(static_cast<const TrackDataSet&>(*result.dataSet).CurrentFix().tick, 10u);
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

TEST_F(JournalFaultTest, ABrokenJournalGivesUpItsQueueAndStartsOverWithEverything)
{
    Settings().workType = kWorkProfile;
    Settings().tracerModeOn = 1; // fourteen readings a measure fill the queue sooner
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const std::string first = journal->Path();
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_GE(::dup2(full, journal->Descriptor()), 0);
    ::close(full);

    // The directory cannot take a new file either: the queue is given up, not kept.
    const std::string moved = dir.File("moved");
    ASSERT_EQ(::rename(JournalDirectory().c_str(), moved.c_str()), 0);
    WriteFile(JournalDirectory(), "a file where the directory should be");
    const size_t entryBytes = 14 * (journal::kEntryOverhead + 180);
    const size_t enough = 2 * AcquisitionJournal::kMaxPendingBytes / entryBytes;
    size_t measures = 0;
    while (journal->Descriptor() >= 0 && measures < enough) {
        EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
        ++measures;
    }
    ASSERT_LT(measures, enough) << "the queue was never given up";
    EXPECT_GT(measures, AcquisitionJournal::kMaxPendingBytes / (2 * entryBytes));
    EXPECT_FALSE(journal->Durable());
    EXPECT_NE(journal->Error().find("journal directory"), std::string::npos) << journal->Error();
    EXPECT_EQ(d.RecordCount(), 14 * (measures + 1)) << "the data set keeps every reading";
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_EQ(journal->Path(), first) << "the file that has the first readings is kept";
    const std::string movedFile = moved + first.substr(first.rfind('/'));
    RecoveryResult crashed = RecoverJournal(ReadFile(movedFile), Settings());
    ASSERT_TRUE(crashed.dataSet);
    EXPECT_EQ(crashed.readings, 14u);

    // The directory is back: the next reading starts a file with everything, and the old one goes.
    ASSERT_EQ(::unlink(JournalDirectory().c_str()), 0);
    ASSERT_EQ(::rename(moved.c_str(), JournalDirectory().c_str()), 0);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_TRUE(journal->Durable());
    EXPECT_NE(journal->Path(), first);
    EXPECT_NE(::access(first.c_str(), F_OK), 0);
    const RecoveryResult recovered = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(recovered.dataSet);
    EXPECT_EQ(recovered.problem, "");
    EXPECT_EQ(recovered.dataSet->RecordCount(), d.RecordCount());
    EXPECT_TRUE(SameRecords(recovered.dataSet->Records(), d.Records()));
}
