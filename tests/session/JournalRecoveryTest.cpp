#include <sys/stat.h>

#include "JournalFixture.h"

using testing_support::ReadFile;
using testing_support::SameRecords;

namespace {

class JournalRecoveryTest : public testing_support::JournalTest {
protected:
    // Saves the data set normally; the journal as it stood before the save, and the file.
    void SaveNormally(DataSet& d, std::string& journalBytes, std::string& saved)
    {
        ASSERT_TRUE(journal->Durable()) << journal->Error();
        journalBytes = JournalBytes();
        const std::string path = journal->Path();
        ASSERT_TRUE(SaveSession(d, dir.File("a.lur")).ok);
        saved = ReadFile(dir.File("a.lur"));
        struct stat st {};
        EXPECT_NE(::stat(path.c_str(), &st), 0) << "a save removes the journal";
    }

    void ExpectSameSurvey(const SurveyDataSet& a, const DataSet& recovered)
    {
        const auto* b = dynamic_cast<const SurveyDataSet*>(&recovered);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(SameRecords(a.Records(), b->Records()));
        EXPECT_EQ(a.Profile(), b->Profile());
        EXPECT_EQ(a.Station(), b->Station());
        EXPECT_EQ(a.XSize(), b->XSize());
        EXPECT_EQ(a.YSize(), b->YSize());
        EXPECT_EQ(a.XStep(), b->XStep());
        EXPECT_EQ(a.YStep(), b->YStep());
    }

    // Takes `count` readings of the configured survey, with one step back and a re-measure
    // and a change of instrument half-way; the data set stays attached to the journal.
    std::unique_ptr<SurveyDataSet> Survey(int count)
    {
        auto d = std::make_unique<SurveyDataSet>(Settings());
        d->SetJournal(journal.get());
        EXPECT_TRUE(journal->Start(*d));
        ScriptedSource source;
        for (int i = 0; i < count; ++i) {
            if (i == count / 2) {
                Settings().reportedSerial = 43; // another instrument answered
                d->PreviousPosition();
            }
            EXPECT_EQ(d->Measure(source), MeasureOutcome::Stored);
        }
        return d;
    }
};

} // namespace

TEST_F(JournalRecoveryTest, SurveysRecoverTheFileANormalSaveWrites)
{
    struct Case {
        const char* what;
        int32_t workType, xSize, ySize, tracer;
        int count;
    };
    const Case cases[] = {
        {"map", kWorkMap, 3, 4, 0, 9},
        {"limited profile overwriting its last station", kWorkLimitedProfile, 5, 1, 0, 8},
        {"open profile grown past its first array", kWorkProfile, 20, 1, 0, 26},
        {"tracer series on a map", kWorkMap, 4, 5, 1, 2},
        // More stations than an open profile starts with: only open profiles log their last record.
        {"large map", kWorkMap, 50, 40, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings().workType = c.workType;
        Settings().xSize = c.xSize;
        Settings().ySize = c.ySize;
        Settings().tracerModeOn = c.tracer;
        DistinctHeader();
        auto d = Survey(c.count);
        const size_t readings = size_t(c.count) * (c.tracer ? 14 : 1);
        EXPECT_EQ(SummarizeJournal(JournalBytes()).readings, readings);
        std::string journalBytes, saved;
        SaveNormally(*d, journalBytes, saved);
        ScrambleSettings();
        RecoveryResult result;
        EXPECT_EQ(RecoverAndSave(journalBytes, "b.lur", &result), saved);
        EXPECT_EQ(result.readings, readings);
        EXPECT_EQ(result.problem, "");
        ExpectSameSurvey(*d, *result.dataSet);
        EXPECT_EQ(Settings().workType, c.workType);
        EXPECT_EQ(Settings().headerText1, "Участок 7");
        EXPECT_EQ(Settings().reportedSerial, 43);
    }
}

TEST_F(JournalRecoveryTest, TrackWithProvisionalFinalAndDroppedPositionsRecovers)
{
    for (const bool tracer : {false, true}) {
        SCOPED_TRACE(tracer ? "tracer series" : "single readings");
        Settings().tracerModeOn = tracer ? 1 : 0;
        DistinctHeader();
        TrackDataSet d(Settings());
        d.SetJournal(journal.get());
        ASSERT_TRUE(journal->Start(d));
        ScriptedSource source;
        for (int i = 0; i < 4; ++i) {
            d.SetCurrentFix({55.0 + i * 1e-4, 37.0, 900u + uint32_t(i)});
            const uint32_t first = d.CurrentIndex();
            ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
            for (uint32_t k = first; k < d.CurrentIndex(); ++k) {
                GpsFix provisional = d.CurrentFix();
                provisional.tick = d.FixAt(k).tick;
                d.SetFix(k, provisional);
                if (k % 2 == 0)
                    d.SetFix(k, {55.5, 37.5 + k * 1e-5, provisional.tick}); // the final answer
            }
        }
        // Re-measure reading 1; the late answer for the replaced reading is dropped.
        const uint32_t replacedTick = d.FixAt(1).tick;
        d.ResetPosition();
        d.NextPosition();
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
        EXPECT_FALSE(d.SetFix(1, {1, 1, replacedTick}));
        d.SetCurrentFix({56, 38, 5000});

        std::string journalBytes, saved;
        SaveNormally(d, journalBytes, saved);
        ScrambleSettings();
        RecoveryResult result;
        EXPECT_EQ(RecoverAndSave(journalBytes, "b.lur", &result), saved);
        const auto* r = dynamic_cast<const TrackDataSet*>(result.dataSet.get());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(Settings().workType, kWorkGpsTrack);
        EXPECT_TRUE(SameRecords(d.Records(), r->Records()));
        ASSERT_EQ(r->FixCount(), d.FixCount());
        for (size_t k = 0; k < d.FixCount(); ++k) {
            EXPECT_EQ(r->FixAt(k).latitude, d.FixAt(k).latitude) << k;
            EXPECT_EQ(r->FixAt(k).longitude, d.FixAt(k).longitude) << k;
            EXPECT_EQ(r->FixAt(k).tick, d.FixAt(k).tick) << k;
        }
        EXPECT_EQ(r->CurrentIndex(), d.CurrentIndex());
        EXPECT_EQ(r->CurrentFix().latitude, 56.0);
        EXPECT_EQ(r->CurrentFix().tick, 5000u);
        EXPECT_EQ(r->Track().size(), r->RecordCount() + 1);
    }
}

TEST_F(JournalRecoveryTest, ReadingsAfterASaveStartAJournalHoldingTheWholeDataSet)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 3;
    Settings().ySize = 2;
    DistinctHeader();
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ScriptedSource source;
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored); // no Start(): the first commit starts the file
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    ASSERT_TRUE(SaveSession(d, dir.File("first.lur")).ok);
    EXPECT_EQ(journal->Path(), "");
    EXPECT_TRUE(ListJournals(JournalDirectory()).empty());
    ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    ASSERT_EQ(ListJournals(JournalDirectory()).size(), 1u);

    ByteWriter expected;
    d.Serialize(expected, false);
    const std::string bytes = JournalBytes();
    ScrambleSettings();
    RecoveryResult result;
    EXPECT_EQ(RecoverAndSave(bytes, "b.lur", &result), expected.Data());
    ExpectSameSurvey(d, *result.dataSet);
}

TEST_F(JournalRecoveryTest, DiscardRemovesTheFileAndSummaryDescribesIt)
{
    Settings().workType = kWorkLimitedProfile;
    Settings().xSize = 10;
    SurveyDataSet d(Settings());
    d.SetJournal(journal.get());
    ASSERT_TRUE(journal->Start(d, 1'700'000'000));
    ScriptedSource source;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(d.Measure(source), MeasureOutcome::Stored);
    const JournalSummary summary = SummarizeJournal(JournalBytes());
    EXPECT_TRUE(summary.begun);
    EXPECT_FALSE(summary.begin.track);
    EXPECT_EQ(summary.begin.workType, kWorkLimitedProfile);
    EXPECT_EQ(summary.begin.xSize, 10u);
    EXPECT_EQ(summary.begin.created, 1'700'000'000);
    EXPECT_EQ(summary.readings, 3u);
    EXPECT_EQ(summary.firstStamp, testing_support::SampleRecord(1).TimeStamp());
    EXPECT_EQ(summary.lastStamp, testing_support::SampleRecord(3).TimeStamp());
    EXPECT_EQ(summary.problem, "");

    ASSERT_EQ(ListJournals(JournalDirectory()), std::vector<std::string>{journal->Path()});
    journal->Discard();
    EXPECT_TRUE(ListJournals(JournalDirectory()).empty());
}

// A journal started over (after a save, or after giving up its queue) holds every reading
// with one position; replaying it used to stop at the first reading of a long open
// profile or of any track, whose position lay beyond what had been replayed so far.
TEST_F(JournalRecoveryTest, AJournalStartedOverOnALongProfileOrATrackRecoversEverything)
{
    Settings().workType = kWorkProfile;
    SurveyDataSet profile(Settings());
    TrackDataSet track(Settings());
    for (DataSet* d : {static_cast<DataSet*>(&profile), static_cast<DataSet*>(&track)}) {
        ScriptedSource source;
        for (size_t i = 0; i < SurveyDataSet::kOpenProfileStart + 5; ++i)
            ASSERT_EQ(d->Measure(source), MeasureOutcome::Stored);
        d->SetJournal(journal.get());
        ASSERT_TRUE(journal->Start(*d));
        ByteWriter expected;
        d->Serialize(expected, false);
        const RecoveryResult result = RecoverJournal(JournalBytes(), Settings());
        ASSERT_TRUE(result.dataSet);
        EXPECT_EQ(result.problem, "");
        EXPECT_EQ(result.readings, SurveyDataSet::kOpenProfileStart + 5);
        EXPECT_EQ(result.dataSet->CurrentIndex(), d->CurrentIndex());
        ByteWriter recovered;
        result.dataSet->Serialize(recovered, false);
        EXPECT_EQ(recovered.Data(), expected.Data());
        journal->Discard();
        d->SetJournal(nullptr);
    }
}
