// What becomes of journals other runs left: held ones are left alone, offers count what
// recovery gives back, a failed recovery changes no setting, a partial one keeps its journal,
// an opened session journals nothing until a reading is taken.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include "session/AcquisitionJournal.h"
#include "session/LeftJournals.h"
#include "session/WorkSession.h"
#include "support/ScriptedSource.h"
#include "support/SettingsFixture.h"
#include "survey/SurveyDataSet.h"

using testing_support::ReadFile;
using testing_support::SampleRecord;
using testing_support::WriteFile;

namespace {

class LeftJournalsTest : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        Settings().workType = kWorkMap;
        Settings().xSize = 4;
        Settings().ySize = 2;
    }
    std::string Directory() const { return dir.File("journal"); }
    static bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }
    size_t FilesInDirectory() const
    {
        size_t n = 0;
        if (DIR* d = ::opendir(Directory().c_str())) {
            while (const dirent* e = ::readdir(d))
                n += e->d_name[0] != '.';
            ::closedir(d);
        }
        return n;
    }
    // A work with `readings` readings, left as a killed program leaves it; its journal path.
    std::string LeftBehind(int readings, int again = 0)
    {
        WorkSession work(Settings(), Directory());
        EXPECT_TRUE(work.Begin());
        ScriptedSource source;
        for (int k = 0; k < readings; ++k)
            source.Measure(work);
        for (int k = 0; k < again; ++k) { // the operator went back and measured again
            work.Data().PreviousPosition();
            source.Measure(work);
        }
        return work.Journal().Path();
    }
};

// The writing program holds its journal: nobody else offers, recovers or removes it.
TEST_F(LeftJournalsTest, AJournalBeingWrittenIsInUse)
{
    WorkSession live(Settings(), Directory());
    ASSERT_TRUE(live.Begin());
    ScriptedSource source;
    source.Measure(live);
    const std::vector<LeftJournal> found = FindLeftJournals(Directory(), Settings());
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(LeftJournalState::InUse, found[0].state);
    EXPECT_EQ(long(::getpid()), found[0].pid);
    RecoveredJournal stolen(live.Journal().Path(), Settings());
    EXPECT_FALSE(stolen.Result().dataSet);
    EXPECT_FALSE(stolen.Settle());
    EXPECT_TRUE(Exists(live.Journal().Path()));
    source.Measure(live); // and it goes on writing into a file that is still there
    EXPECT_TRUE(live.Journal().Durable());
    // The file being started under its hidden name is not listed at all.
    WriteFile(Directory() + "/.journal-20260101-000000-1-1.lurj.new", "LURJ");
    EXPECT_EQ(1u, FindLeftJournals(Directory(), Settings()).size());
}

// An offer counts the stations recovery gives back, not the entries (a station measured
// again has two); recovering whole removes the journal once the readings are safe.
TEST_F(LeftJournalsTest, TheOfferCountsWhatRecoveryRestores)
{
    const std::string path = LeftBehind(3, 2);
    const std::vector<LeftJournal> found = FindLeftJournals(Directory(), Settings());
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(LeftJournalState::Recoverable, found[0].state);
    EXPECT_EQ(5u, found[0].summary.readings);
    // The readings' own time stamps, earliest and latest (SampleRecord(n) is stamped 1000 + n).
    EXPECT_EQ(std::pair(1001u, 1005u), std::pair(found[0].summary.firstStamp, found[0].summary.lastStamp));
    EXPECT_EQ(3u, found[0].restorable);
    EXPECT_EQ(0u, found[0].lost);
    RecoveredJournal recovered(path, Settings());
    ASSERT_TRUE(recovered.Result().dataSet);
    EXPECT_EQ(3u, recovered.Result().measured);
    EXPECT_TRUE(recovered.Settle());
    EXPECT_FALSE(Exists(path));
}

// Damage in the middle gives back what stands before it and keeps the journal; a last write
// cut short by the crash was never reported and loses nothing.
TEST_F(LeftJournalsTest, APartialRecoveryKeepsItsJournal)
{
    const std::string path = LeftBehind(4);
    const std::string whole = ReadFile(path);
    for (const bool tornTail : {false, true}) {
        SCOPED_TRACE(tornTail ? "torn tail" : "damaged middle");
        std::string bytes = whole;
        if (tornTail) {
            std::string entry;
            journal::AppendEntry(entry, journal::kSurveyReading, std::string(100, 'x'));
            bytes += entry.substr(0, 10); // a write cut short
        } else {
            bytes[bytes.size() - 200 - 180] ^= 0x5A; // inside the third reading
        }
        WriteFile(path, bytes);
        const std::vector<LeftJournal> found = FindLeftJournals(Directory(), Settings());
        ASSERT_EQ(1u, found.size());
        RecoveredJournal recovered(path, Settings());
        RecoveryResult& result = recovered.Result();
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(found[0].restorable, result.measured);
        EXPECT_EQ(tornTail ? 4u : 2u, result.measured);
        EXPECT_EQ(tornTail, result.complete);
        EXPECT_FALSE(result.problem.empty());
        EXPECT_EQ(tornTail, recovered.Settle());
        EXPECT_EQ(!tornTail, Exists(path));
        WriteFile(path, whole);
    }
}

// A journal no data set can be built from changes no setting, and is kept; one that holds
// no reading holds nothing to keep.
TEST_F(LeftJournalsTest, AFailedRecoveryChangesNoSetting)
{
    journal::Begin impossible;
    impossible.workType = kWorkLimitedProfile;
    impossible.xSize = 3;
    impossible.ySize = 3;
    journal::State state;
    state.texts = {"a", "b", "c"};
    state.xStep = 7;
    state.usedFrequencies.fill(1);
    std::string bytes = journal::FileHeader();
    journal::AppendEntry(bytes, journal::kBegin, journal::EncodeBegin(impossible));
    journal::AppendEntry(bytes, journal::kState, journal::EncodeState(state));
    ::mkdir(Directory().c_str(), 0755);
    const std::string broken = Directory() + "/journal-20260101-000000-1-1.lurj";
    WriteFile(broken, bytes);
    Settings().headerText1 = "mine";
    Settings().xStep = 2;
    Settings().usedFrequencies.fill(0);
    const int32_t workType = Settings().workType;

    const std::vector<LeftJournal> found = FindLeftJournals(Directory(), Settings());
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(LeftJournalState::Unreadable, found[0].state);
    RecoveredJournal recovered(broken, Settings());
    EXPECT_FALSE(recovered.Result().dataSet);
    EXPECT_NE(recovered.Result().problem.find("impossible grid"), std::string::npos);
    EXPECT_EQ("mine", Settings().headerText1);
    EXPECT_EQ(2.0f, Settings().xStep);
    EXPECT_EQ(0, Settings().usedFrequencies[5]);
    EXPECT_EQ(workType, Settings().workType);
    EXPECT_TRUE(Exists(broken));

    const std::string empty = LeftBehind(0);
    for (const LeftJournal& left : FindLeftJournals(Directory(), Settings())) {
        if (left.path == empty) {
            EXPECT_EQ(LeftJournalState::Empty, left.state);
        }
    }
    EXPECT_FALSE(Exists(empty));
    EXPECT_TRUE(Exists(broken));
}

// An opened session is safe in its file: no journal until a reading changes it, and then
// one that holds the whole data set.
TEST_F(LeftJournalsTest, AnOpenedSessionJournalsNothingUntilAReadingIsTaken)
{
    auto data = std::make_unique<SurveyDataSet>(Settings());
    for (uint32_t k = 0; k < 3; ++k)
        data->StoreRecord(k, SampleRecord(50 + k));
    WorkSession opened(Settings(), std::move(data), Directory(), WorkOrigin::Opened);
    EXPECT_TRUE(opened.Begin());
    EXPECT_EQ(0u, FilesInDirectory());
    EXPECT_TRUE(opened.Journal().Path().empty());
    ScriptedSource source;
    source.Measure(opened);
    ASSERT_EQ(1u, FilesInDirectory());
    CSettings& settings = Settings();
    const RecoveryResult back = TryRecoverJournal(ReadFile(opened.Journal().Path()), settings);
    ASSERT_TRUE(back.dataSet);
    EXPECT_EQ(4u, back.measured);
    EXPECT_EQ(SampleRecord(1).bytes, back.dataSet->Record(3).bytes); // at the first unmeasured station
}

} // namespace
