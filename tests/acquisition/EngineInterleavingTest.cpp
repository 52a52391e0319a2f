// Thousands of seeded sequences of what operators, timers, instruments, receivers and disks
// do, in any order, against the engine; after every step the engine's promises are checked.
// A failure names its seed: EngineInterleaving.Seeds with LUR_SEED=N replays one.
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "acquisition/EngineHarness.h"
#include "platform/FileIO.h"
#include "session/LeftJournals.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

using testing_support::EngineTest;
using testing_support::SampleRecord;
using testing_support::ScriptedInstrument;

namespace {

enum Action {
    kStart,
    kAnswer,
    kAnswerFailing,
    kTick,
    kTimerMode,
    kTimerCount,
    kTracerMode,
    kStationKey,
    kDrawn,
    kNew,
    kOpen,
    kCrash,
    kTerminate,
    kGpsFix,
    kDiskFull,
    kDiskFreed,
    kActionCount,
};
constexpr int kWeights[kActionCount] = {8, 14, 2, 6, 2, 1, 1, 3, 3, 1, 1, 1, 1, 2, 1, 1};
constexpr const char* kActionNames[kActionCount] = {
    "start", "answer", "answer-failing", "tick", "timer-mode", "timer-count", "tracer", "station-key",
    "drawn", "new", "open", "crash", "terminate", "gps-fix", "disk-full", "disk-freed"};

// What the engine promised so far, as the operator would have seen it.
class Witness final : public AcquisitionListener {
public:
    AcquisitionEngine* engine = nullptr;
    ScriptedInstrument* instrument = nullptr;
    std::vector<std::string>* failures = nullptr;
    bool changed = false;      // the data set changed in this step
    bool readingRuns = false;  // a reading was asked for and not answered

    void StartAccepted() override { acceptedAt = Index(); }
    void ReadingStarting() override
    {
        readingRuns = true;
        startedAt = Index();
        work = engine->Work();
        if (acceptedAt && *acceptedAt != startedAt)
            Fail("the reading started at " + std::to_string(startedAt) + ", Start was pressed at " +
                 std::to_string(*acceptedAt));
        acceptedAt.reset();
    }
    void ReadingStored(const StoredReading& stored) override
    {
        readingRuns = false;
        changed = true;
        if (engine->Work() != work)
            Fail("a reading was stored into another work than the one it was taken for");
        if (stored.startIndex != startedAt)
            Fail("a reading started at " + std::to_string(startedAt) + " was stored at " +
                 std::to_string(stored.startIndex));
        const uint32_t first = instrument->nextSeed - (stored.store.stored + stored.store.leftOut);
        for (uint32_t k = 0; k < stored.store.stored; ++k) {
            const size_t at = size_t(startedAt) + k;
            if (at >= work->Data().RecordCount() ||
                work->Data().Record(at).bytes != SampleRecord(first + k, instrument->serial).bytes)
                Fail("record " + std::to_string(k) + " of a reading is not where it was taken");
        }
    }
    void ReadingFailed(ExchangeFailure) override
    {
        readingRuns = false;
        acceptedAt.reset();
    }
    void Idle() override { acceptedAt.reset(); }

private:
    uint32_t Index() const { return engine->Work() ? engine->Work()->Data().CurrentIndex() : 0; }
    void Fail(const std::string& what) { failures->push_back(what); }

    std::optional<uint32_t> acceptedAt;
    uint32_t startedAt = 0;
    WorkSession* work = nullptr;
};

class EngineInterleaving : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        witness.engine = engine.get();
        witness.instrument = &instrument;
        witness.failures = &failures;
        engine->SetListener(&witness);
        // Memory-backed where the machine has it: thousands of flushes need not wait for a disk.
        char shm[] = "/dev/shm/lur-journals-XXXXXX";
        journals = ::mkdtemp(shm) != nullptr ? std::string(shm) : dir.File("journals");
        ::mkdir(journals.c_str(), 0755);
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + journals + "'").c_str());
        EngineTest::TearDown();
    }

    void Restart()
    {
        RestoreDisk(); // the descriptors go with the old program
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{Settings(), exchanges, timer, ports, nullptr});
        engine->SetListener(&witness);
        witness.engine = engine.get();
        witness.readingRuns = false;
        exchanges.pending.clear();
        timer.armed.reset();
    }
    void NewWork(std::mt19937& random)
    {
        const int32_t types[] = {kWorkMap, kWorkLimitedProfile, kWorkProfile, kWorkGpsTrack};
        Settings().workType = types[random() % 4];
        Settings().xSize = int32_t(2 + random() % 4);
        Settings().ySize = int32_t(1 + random() % 3);
        auto work = std::make_unique<WorkSession>(Settings(), journals);
        work->Begin();
        ASSERT_TRUE(engine->SetWork(std::move(work)));
    }
    void FillDisk()
    {
        WorkSession* work = engine->Work();
        if (!work || savedFd_ >= 0 || work->Journal().Descriptor() < 0)
            return;
        diskFd_ = work->Journal().Descriptor();
        savedFd_ = ::dup(diskFd_);
        const int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, diskFd_);
        ::close(full);
    }
    // The journal's file comes back under its descriptor, unless the journal has let go of
    // that descriptor meanwhile (its number may be another file's now).
    void RestoreDisk()
    {
        if (savedFd_ < 0)
            return;
        struct stat now {}, full {};
        if (::fstat(diskFd_, &now) == 0 && ::stat("/dev/full", &full) == 0 && S_ISCHR(now.st_mode) &&
            now.st_rdev == full.st_rdev)
            ::dup2(savedFd_, diskFd_);
        ::close(savedFd_);
        savedFd_ = -1;
    }
    // The journal rebuilds what the data set holds, whenever it says it is on disk.
    void CheckJournal(const char* when)
    {
        WorkSession* work = engine->Work();
        if (!work || !work->Journal().Durable() || work->Journal().Path().empty())
            return;
        std::string bytes;
        if (!platform::ReadWholeFile(work->Journal().Path(), kMaxJournalBytes, bytes).ok)
            return failures.push_back(std::string("the journal is gone ") + when);
        const RecoveryResult back = TryRecoverJournal(bytes, Settings());
        if (!back.dataSet || !testing_support::SameMeasured(back.dataSet->Records(), work->Data().Records()))
            failures.push_back(std::string("the journal does not recover the data set ") + when);
    }
    // A program that died and started again: every reading it reported stored comes back
    // from the journal it wrote.
    void Recover(const std::string& path, const std::vector<MeasurementRecord>& before)
    {
        for (const LeftJournal& left : FindLeftJournals(journals, Settings())) {
            if (left.path != path)
                continue;
            if (left.state != LeftJournalState::Recoverable)
                break;
            RecoveredJournal recovered(left.path, Settings());
            std::unique_ptr<DataSet>& data = recovered.Result().dataSet;
            if (!data)
                continue;
            if (!testing_support::SameMeasured(data->Records(), before))
                failures.push_back("a restart did not recover what was stored");
            engine->SetWork(std::make_unique<WorkSession>(Settings(), std::move(data), journals, WorkOrigin::Recovered));
            engine->Work()->Begin();
            recovered.Settle();
            return;
        }
        if (!before.empty() && std::any_of(before.begin(), before.end(), [](auto& r) { return !r.Empty(); }))
            failures.push_back("a restart found nothing to recover");
    }

    // The program ends without saving, and starts again.
    void EndProgram()
    {
        RestoreDisk(); // a program that dies lets go of every descriptor
        // What the journal must give back: what the program told the operator was stored.
        std::optional<std::vector<MeasurementRecord>> expected;
        std::string path;
        if (WorkSession* work = engine->Work(); work && work->Journal().Durable()) {
            path = work->Journal().Path();
            expected = path.empty() ? std::vector<MeasurementRecord>{} : work->Data().Records();
        }
        engine->TakeWork(); // refused while a reading runs: the engine's end drops the work then
        Restart();
        if (expected)
            Recover(path, *expected);
    }

    struct Snapshot {
        Situation situation;
        bool series;
        size_t pending;
        WorkSession* work;
        uint32_t position;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take() const
    {
        WorkSession* work = engine->Work();
        return {engine->Now(), engine->SeriesRunning(), exchanges.pending.size(), work,
                work ? work->Data().CurrentIndex() : 0};
    }

    void Step(int action, std::mt19937& random);
    void Run(uint32_t seed, int steps);

    std::string journals;
    std::vector<std::string> trace_; // the steps of the sequence, for a failure's message
    std::vector<std::string> failures;
    Witness witness;
    int deferred_ = 0;
    int diskFd_ = -1, savedFd_ = -1;
};

void EngineInterleaving::Step(int action, std::mt19937& random)
{
    CSettings& s = Settings();
    const Snapshot before = Take();
    trace_.push_back(std::string(kActionNames[action]) + " in " + std::to_string(int(before.situation)) +
                     (engine->Work() ? " at " + std::to_string(before.position) : " without work"));
    switch (action) {
    case kStart:
        if (!engine->Start() && !(before == Take()))
            failures.push_back("a refused Start changed something");
        break;
    case kAnswerFailing:
        instrument.readings.push_back(false);
        instrument.connects.push_back(false);
        [[fallthrough]];
    case kAnswer:
        Answer();
        instrument.readings.clear();
        instrument.connects.clear();
        break;
    case kTick:
        if (timer.armed)
            timer.armed.reset();
        engine->OnSeriesTick(); // a stale tick too must do no harm
        break;
    case kTimerMode:
        s.timerModeOn = !s.timerModeOn;
        break;
    case kTimerCount:
        s.timerCount = int32_t(random() % 4);
        break;
    case kTracerMode:
        s.tracerModeOn = random() % 4 == 0;
        break;
    case kStationKey:
        if (engine->Work() && engine->RuleNow(Input::StationKey) == Rule::Take)
            random() % 2 ? engine->Work()->Data().NextStation() : engine->Work()->Data().PreviousProfile();
        break;
    case kDrawn:
        engine->SetDrawPending(random() % 2 == 0);
        break;
    case kNew:
    case kOpen:
        if (engine->RuleNow(Input::SessionCommand) == Rule::Refuse)
            break;
        RestoreDisk();
        if (!engine->Quiesce()) {
            deferred_ = action; // carried out once the reading is stored
            break;
        }
        if (action == kOpen && engine->Work() && engine->Work()->Data().RecordCount() > 0) {
            const std::string path = dir.File("open.lur");
            if (!engine->Work()->Save(path).ok)
                break;
            OpenSessionResult opened = OpenSession(path, s);
            if (!opened.dataSet)
                return failures.push_back("a saved session does not open");
            engine->TakeWork()->Close();
            engine->SetWork(std::make_unique<WorkSession>(s, std::move(opened.dataSet), journals, WorkOrigin::Opened));
            engine->Work()->Begin();
            if (SurveyDataSet* survey = engine->Work()->Survey()) {
                const uint32_t at = survey->CurrentIndex();
                if (at < survey->RecordCount() && !survey->Record(at).Empty() && survey->RecordCount() > 0 &&
                    std::any_of(survey->Records().begin(), survey->Records().end(), [](auto& r) { return r.Empty(); }))
                    failures.push_back("an opened survey goes on at a measured station");
            }
        } else {
            if (auto work = engine->TakeWork())
                work->Close();
            NewWork(random);
        }
        break;
    case kCrash:
        // kill -9: nothing more happens in the program; the journals stay.
        EndProgram();
        break;
    case kTerminate:
        // The reading running is stored first; the next Terminate ends.
        if (engine->Close())
            EndProgram();
        break;
    case kGpsFix:
        engine->ApplyPosition(
            {UM_CURRENT_POSITION, 0, {55.0 + double(random() % 100) * 1e-5, 37.0, uint32_t(random())}, 1});
        break;
    case kDiskFull:
        FillDisk();
        break;
    case kDiskFreed:
        RestoreDisk();
        break;
    }
    if (deferred_ != 0 && !engine->ExchangeRunning()) {
        const int command = std::exchange(deferred_, 0);
        Step(command, random);
    }
    if (exchanges.pending.size() > 1)
        failures.push_back("two exchanges at once");
    if (witness.changed || action == kNew || action == kOpen || action == kDiskFreed)
        CheckJournal("after a step");
    witness.changed = false;
}

void EngineInterleaving::Run(uint32_t seed, int steps)
{
    std::mt19937 random(seed);
    std::discrete_distribution<int> pick(std::begin(kWeights), std::end(kWeights));
    Restart();
    trace_.clear();
    NewWork(random);
    for (int k = 0; k < steps && failures.empty(); ++k)
        Step(pick(random), random);
    RestoreDisk();
    engine->SetListener(nullptr);
    engine.reset();
}

TEST_F(EngineInterleaving, Seeds)
{
    const char* one = std::getenv("LUR_SEED");
    const uint32_t first = one ? uint32_t(std::strtoul(one, nullptr, 10)) : 1;
    const uint32_t count = one ? 1 : 1500;
    for (uint32_t seed = first; seed < first + count; ++seed) {
        Run(seed, 60);
        std::string steps;
        for (const std::string& step : trace_)
            steps += "\n  " + step;
        ASSERT_TRUE(failures.empty()) << "seed " << seed << ": " << failures.front() << steps;
        Restart();
        std::system(("rm -f '" + journals + "'/*").c_str());
        deferred_ = 0;
    }
}

} // namespace
