#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

#include "Commands.h"
#include "session/AcquisitionJournal.h"
#include "session/Crc32.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"
#include "session/WorkSession.h"
#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
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
    void FreeDisk(int saved)
    {
        EXPECT_GE(::dup2(saved, journal->Descriptor()), 0);
        ::close(saved);
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

// Provided by lurctl's main in the program.
int UsageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "lurctl %s: %s\n", command.c_str(), message.c_str());
    return 2;
}

namespace {

class CmdSessionTest : public JournalTest {
protected:
    int Recover(std::vector<std::string> args)
    {
        args.insert(args.begin(), "recover");
        args.insert(args.end(), {"--journal-dir", JournalDirectory()});
        return Run(args);
    }
    int Run(const std::vector<std::string>& args)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = RunSession(args);
        err = testing::internal::GetCapturedStderr();
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    // A limited profile of 6 stations with 4 readings, left journaled as by a crash; `expected`
    // is the file of its first 3.
    std::string CrashedProfile()
    {
        Grid(kWorkLimitedProfile, 6, 1);
        DistinctHeader();
        SurveyDataSet d(Settings());
        d.SetJournal(journal.get());
        EXPECT_TRUE(journal->Start(d));
        ScriptedSource source;
        for (int i = 0; i < 4; ++i) {
            if (i == 3)
                expected = Serialized(d);
            EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
        }
        const std::string path = journal->Path();
        journal.reset(); // the program dies: the file stays
        ScrambleSettings();
        return path;
    }
    // A 3 × 2 map with stations (0,0), (0,2), (1,2) and (1,0) measured, only channels 0 and 2.
    std::string MapFile()
    {
        Grid(kWorkMap, 3, 2);
        SurveyDataSet d(Settings());
        for (uint32_t index : {0u, 2u, 3u, 5u}) {
            MeasurementRecord r;
            testing_support::PutChannel(r, 0, 128 * int32_t(index + 1), 0, 1, 0);
            testing_support::PutChannel(r, 2, -128, 0, 1, 0);
            r.bytes[175] = 4;
            r.SetTimeStamp(5000 + index);
            d.StoreRecord(index, r);
        }
        EXPECT_TRUE(SaveSession(d, dir.File("map.lur")).ok);
        return dir.File("map.lur");
    }
    std::string out, err, expected;
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
        {"tracer series on a map", kWorkMap, 4, 5, 1, 2},
        // More stations than an open profile starts with: only open profiles log their last record.
        {"large map", kWorkMap, 50, 40, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Grid(c.workType, c.xSize, c.ySize);
        Settings().tracerModeOn = c.tracer;
        DistinctHeader();
        SurveyDataSet d(Settings());
        d.SetJournal(journal.get()); // no Start(): the first reading starts the file
        ScriptedSource source;
        for (int i = 0; i < c.count; ++i) {
            if (i == c.count / 2) {
                Settings().reportedSerial = 43; // another instrument answered
                d.PreviousPosition();
            }
            EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
        }
        const size_t readings = size_t(c.count) * (c.tracer ? 14 : 1);
        EXPECT_EQ(SummarizeJournal(JournalBytes()).readings, readings);
        ASSERT_TRUE(journal->Durable()) << journal->Error();
        const std::string bytes = JournalBytes(), path = journal->Path();
        EXPECT_TRUE(SaveSession(d, dir.File("a.lur")).ok);
        EXPECT_FALSE(Exists(path)) << "a save removes the journal";
        ScrambleSettings();
        const RecoveryResult result = RecoverJournal(bytes, Settings());
        ASSERT_TRUE(result.dataSet) << result.problem;
        EXPECT_TRUE(result.dataSet->Modified());
        EXPECT_TRUE(SaveSession(*result.dataSet, dir.File("b.lur")).ok);
        EXPECT_EQ(ReadFile(dir.File("b.lur")), ReadFile(dir.File("a.lur")));
        EXPECT_EQ(result.readings, readings);
        EXPECT_EQ(result.problem, "");
        const auto* r = dynamic_cast<const SurveyDataSet*>(result.dataSet.get());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Profile(), d.Profile());
        EXPECT_EQ(r->Station(), d.Station());
        EXPECT_EQ(Settings().workType, c.workType);
        EXPECT_EQ(Settings().headerText1, "Участок 7");
        EXPECT_EQ(Settings().reportedSerial, 43);
        // After a save the next reading starts a journal over with every reading; replay used
        // to stop at the first reading beyond what had been replayed.
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
        const RecoveryResult again = RecoverJournal(JournalBytes(), Settings());
        ASSERT_TRUE(again.dataSet);
        EXPECT_EQ(again.problem, "");
        EXPECT_EQ(again.dataSet->CurrentIndex(), d.CurrentIndex());
        EXPECT_EQ(Serialized(*again.dataSet), Serialized(d));
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
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const std::string afterOne = Serialized(d);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
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

TEST_F(JournalTest, FullDiskFailsTheReadingButKeepsItAndEveryEarlierOne)
{
    TrackDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const std::string beforeFailure = Serialized(d);
    const int saved = FillDisk();
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_FALSE(journal->Durable());
    EXPECT_NE(journal->Error().find("No space"), std::string::npos) << journal->Error();
    EXPECT_EQ(d.CurrentIndex(), 3u) << "the reading is kept and the position moved on";
    EXPECT_EQ(d.Record(2).bytes, testing_support::SampleRecord(3).bytes);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    // A crash now recovers every reading made durable before the disk filled.
    RecoveryResult crashed = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(crashed.dataSet);
    EXPECT_EQ(crashed.readings, 2u);
    EXPECT_EQ(Serialized(*crashed.dataSet), beforeFailure);
    source.outcomes = {false};
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Failed) << "a failed instrument is told apart";
    EXPECT_EQ(d.CurrentIndex(), 4u);
    FreeDisk(saved);
    d.SetCurrentFix({55, 37, 10}); // written without a flush: must not count
    EXPECT_FALSE(journal->Durable());
    EXPECT_TRUE(d.SetFix(1, {54.0, 36.0, d.FixAt(1).tick})); // provisional
    EXPECT_TRUE(d.SetFix(1, {55.1, 37.1, d.FixAt(1).tick})); // a flushed change carries everything
    EXPECT_TRUE(journal->Durable());
    EXPECT_EQ(journal->Error(), "");
    ScrambleSettings();
    RecoveryResult recovered = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(recovered.dataSet);
    EXPECT_EQ(Settings().workType, kWorkGpsTrack);
    EXPECT_EQ(recovered.readings, 4u);
    EXPECT_EQ(recovered.problem, "");
    EXPECT_EQ(Serialized(*recovered.dataSet), Serialized(d));
    const auto& r = static_cast<const TrackDataSet&>(*recovered.dataSet);
    EXPECT_EQ(r.CurrentFix().tick, 10u);
    EXPECT_EQ(r.FixAt(1).tick, d.FixAt(1).tick) << "the file keeps no ticks: the journal must";
    ASSERT_TRUE(SaveSession(d, dir.File("t.lur")).ok);
    EXPECT_TRUE(ListJournals(JournalDirectory()).empty());
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const RecoveryResult again = RecoverJournal(JournalBytes(), Settings());
    EXPECT_EQ(again.readings, 5u) << "a journal started over has every reading";
    ASSERT_TRUE(again.dataSet);
    EXPECT_EQ(Serialized(*again.dataSet), Serialized(d));
}

TEST_F(JournalTest, ABrokenJournalGivesUpItsQueueAndStartsOverWithEverything)
{
    Settings().workType = kWorkProfile;
    Settings().tracerModeOn = 1; // fourteen readings a measure fill the queue sooner
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d));
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
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
        EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    ASSERT_LT(measures, enough) << "the queue was never given up";
    EXPECT_GT(measures, AcquisitionJournal::kMaxPendingBytes / (2 * entryBytes));
    EXPECT_NE(journal->Error().find("journal directory"), std::string::npos) << journal->Error();
    EXPECT_EQ(d.RecordCount(), 14 * (measures + 1)) << "the data set keeps every reading";
    EXPECT_EQ(d.Measure(source), MeasureOutcome::StoredInMemory);
    EXPECT_EQ(journal->Path(), first) << "the file that has the first readings is kept";
    EXPECT_EQ(RecoverJournal(ReadFile(moved + first.substr(first.rfind('/'))), Settings()).readings, 14u);
    // The directory is back: the next reading starts a file with everything, and the old one goes.
    ASSERT_EQ(::unlink(JournalDirectory().c_str()), 0);
    ASSERT_EQ(::rename(moved.c_str(), JournalDirectory().c_str()), 0);
    EXPECT_EQ(d.Measure(source), MeasureOutcome::Stored);
    EXPECT_TRUE(journal->Durable());
    EXPECT_FALSE(Exists(first));
    const RecoveryResult recovered = RecoverJournal(JournalBytes(), Settings());
    ASSERT_TRUE(recovered.dataSet);
    EXPECT_EQ(recovered.problem, "");
    EXPECT_TRUE(SameRecords(recovered.dataSet->Records(), d.Records()));
}

// Lists a torn journal and a junk file, refuses targets that would lose data, then recovers.
TEST_F(CmdSessionTest, ListsRefusesThenRecoversAndRemovesTheJournal)
{
    const std::string path = CrashedProfile();
    std::string bytes = ReadFile(path);
    bytes.resize(bytes.size() - 10); // torn last reading
    WriteFile(path, bytes);
    WriteFile(dir.File("journal/junk.lurj"), "not a journal at all");
    ASSERT_EQ(Recover({}), 0) << err;
    for (const std::string& line : {path, std::string("work type: limited profile (3)"), std::string("readings: 3"),
                                    std::string("time span: "),
                                    std::string("damaged after the last reading above: the last entry is cut short"),
                                    std::string("nothing to recover: not an acquisition journal")})
        EXPECT_NE(out.find(line), std::string::npos) << out;
    EXPECT_EQ(Recover({dir.File("journal/junk.lurj"), "--out", dir.File("junk.lur")}), 1);
    EXPECT_NE(err.find("not an acquisition journal"), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir.File("junk.lur")));
    ::unlink(dir.File("journal/junk.lurj").c_str());
    WriteFile(dir.File("taken.lur"), "precious");
    EXPECT_EQ(Recover({path, "--out", dir.File("taken.lur")}), 1);
    EXPECT_NE(err.find("exists"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(dir.File("taken.lur")), "precious");
    EXPECT_EQ(Recover({path, "--out", dir.File("no/such/dir/x.lur")}), 1);
    EXPECT_NE(err.find("the journal is kept"), std::string::npos) << err;
    EXPECT_EQ(Recover({path}), 2); // --out missing
    ASSERT_TRUE(Exists(path));
    ASSERT_EQ(Recover({path, "--out", dir.File("recovered.lur")}), 0) << err;
    EXPECT_NE(out.find("recovered 3 readings (3 measured records)"), std::string::npos) << out;
    EXPECT_NE(out.find("damaged after them"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(dir.File("recovered.lur")), expected);
    EXPECT_FALSE(Exists(path));
    ASSERT_EQ(Recover({}), 0);
    EXPECT_NE(out.find("no journals to recover"), std::string::npos) << out;
}

TEST_F(CmdSessionTest, ExportAndInfoOfAMap)
{
    const std::string path = MapFile();
    const CalibrationSet& c = BuiltInCalibrationSet();
    ASSERT_EQ(Run({"export", path, "--format", "csv", "--units", "adc", "--component", "quadrature"}), 0);
    char header[128];
    std::snprintf(header, sizeof header, "index,profile,station,time_ms,serial,%.6g kHz,%.6g kHz", c.F[0], c.F[2]);
    // Stations in walking order, only the frequencies used.
    EXPECT_EQ(out, std::string(header) + "\n0,0,0,5000,4,1,-1\n2,0,2,5002,4,3,-1\n3,1,2,5003,4,4,-1\n5,1,0,5005,4,6,-1\n");
    Settings().workType = kWorkProfile;
    ASSERT_EQ(Run({"info", path}), 0);
    for (const char* line : {"work type: map (2)", "grid: 3 stations x 2 profiles", "records: 6\nmeasured: 4",
                             "time span: 5000 .. 5005 ms"})
        EXPECT_NE(out.find(line), std::string::npos) << out;
    EXPECT_EQ(Settings().workType, kWorkProfile) << "info changes no settings";
    EXPECT_EQ(Run({"export", path, "--resistivity", "--conductivity"}), 2);
    WriteFile(dir.File("short.lur"), "LUR");
    EXPECT_EQ(Run({"info", dir.File("short.lur")}), 1);
    EXPECT_NE(err.find("not a session file"), std::string::npos) << err;
}

TEST_F(JournalTest, AWorkSessionsSaveOrCloseRemoveItsJournalAndAnythingElseKeepsIt)
{
    Settings().workType = kWorkProfile;
    ScriptedSource source;
    for (const std::string end : {"save", "close", "none"}) {
        SCOPED_TRACE(end);
        std::string path;
        {
            WorkSession work(Settings(), JournalDirectory());
            ASSERT_TRUE(work.Begin());
            ASSERT_EQ(work.Measure(source), MeasureOutcome::Stored);
            path = work.Journal().Path();
            ASSERT_TRUE(Exists(path));
            if (end == "save")
                ASSERT_TRUE(work.Save(dir.File("s.lur")).ok);
            else if (end == "close")
                work.Close();
        }
        EXPECT_EQ(Exists(path), end == "none");
        ::unlink(path.c_str());
    }
    // A journal that cannot start keeps readings in memory until saved.
    testing_support::WriteFile(JournalDirectory() + ".file", "");
    WorkSession work(Settings(), JournalDirectory() + ".file");
    EXPECT_FALSE(work.Begin());
    EXPECT_NE(work.Journal().Error().find("journal directory"), std::string::npos) << work.Journal().Error();
    EXPECT_EQ(work.Measure(source), MeasureOutcome::StoredInMemory);
    ASSERT_TRUE(work.Save(dir.File("saved.lur")).ok);
    EXPECT_TRUE(work.Journal().Durable()) << "nothing is pending after a save";
}
