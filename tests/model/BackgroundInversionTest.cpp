// Stations inverted on worker threads and handed back to the owner thread: the same results
// as inverting them in place, nothing of a replaced work or an earlier request reaching the
// owner, and refusals coming back as refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "InversionResultQueue.h"
#include "SyntheticStation.h"
#include "model/BackgroundInversion.h"

namespace {

using testing_support::InversionResultQueue;
using testing_support::ModelledRecord;

InversionSetup TestSetup(double relativeNoise = 0.02)
{
    InversionSetup setup;
    setup.calibration = BuiltInCalibrationSet();
    setup.used = kAllFrequencies;
    setup.options.layers = 12; // enough for the tests, quicker under the sanitizers
    setup.options.noise = {relativeNoise, 1};
    return setup;
}

// A profile whose conductive layer thickens station by station.
std::vector<MeasurementRecord> Profile(size_t n, uint32_t seed = 1)
{
    std::vector<MeasurementRecord> records;
    for (size_t k = 0; k < n; ++k)
        records.push_back(ModelledRecord({{0.02, 0.2, 0.05}, {1.0, 1.0 + 0.3 * double(k)}}, 0.01, seed + uint32_t(k)));
    return records;
}

InversionResult Expected(const InversionSetup& setup, const MeasurementRecord& record,
                         const InversionResult* reference = nullptr)
{
    StationData data;
    InversionResult refused;
    refused.refusal = StationDataFromRecord(&setup.calibration, record, setup.used, data);
    if (refused.refusal != StationRefusal::None)
        return refused;
    InversionOptions options = setup.options;
    if (reference)
        options.reference = reference->model;
    return InvertStation(&setup.calibration, data, options);
}

void ExpectSame(const InversionResult& expected, const InversionResult* got, size_t slot)
{
    ASSERT_NE(got, nullptr) << slot;
    EXPECT_EQ(got->refusal, expected.refusal) << slot;
    EXPECT_EQ(got->model.conductivity, expected.model.conductivity) << slot;
    EXPECT_EQ(got->model.thickness, expected.model.thickness) << slot;
    EXPECT_EQ(got->chi2, expected.chi2) << slot;
    EXPECT_EQ(got->doi, expected.doi) << slot;
}

std::vector<size_t> Slots(size_t n)
{
    std::vector<size_t> slots(n);
    for (size_t k = 0; k < n; ++k)
        slots[k] = k;
    return slots;
}

TEST(BackgroundInversion, StationsComeBackAsInvertingThemInPlaceGivesThem)
{
    InversionResultQueue queue;
    BackgroundInversion background(queue);
    std::string error;
    ASSERT_TRUE(background.Start(2, error)) << error;
    const InversionSetup setup = TestSetup();
    background.Begin(setup);

    std::vector<MeasurementRecord> records = Profile(6);
    testing_support::PutChannel(records[2], 5, 8388607, 100, 100, 100); // saturated
    records[5] = MeasurementRecord{};                                     // not measured yet
    background.AskAlong(records, Slots(6));
    EXPECT_EQ(background.Asked(), 5u);
    EXPECT_EQ(background.State(0), InversionState::Running);
    ASSERT_TRUE(queue.PumpUntil(background, [&] { return background.Done() == 5; }));

    // Neighbours are drawn towards the station before them, where that one was inverted.
    const InversionResult first = Expected(setup, records[0]);
    ExpectSame(first, background.Result(0), 0);
    ExpectSame(Expected(setup, records[1], &first), background.Result(1), 1);
    EXPECT_EQ(background.Result(2)->refusal, StationRefusal::Saturated);
    const InversionResult fourth = Expected(setup, records[3]);
    ExpectSame(fourth, background.Result(3), 3);
    ExpectSame(Expected(setup, records[4], &fourth), background.Result(4), 4);
    EXPECT_EQ(background.State(5), InversionState::NotAsked);
    EXPECT_EQ(background.Result(5), nullptr);
    EXPECT_EQ(queue.delivered, 5u);

    // Asking again asks nothing; a new reading is asked alone, drawn towards its neighbour.
    background.AskAlong(records, Slots(6));
    EXPECT_EQ(background.State(4), InversionState::Done);
    records[5] = Profile(1, 40)[0];
    background.Renew(records, 5, 4);
    EXPECT_EQ(background.Asked(), 1u); // counted afresh once everything was done
    ASSERT_TRUE(queue.PumpUntil(background, [&] { return background.Done() == 1; }));
    ExpectSame(Expected(setup, records[5], background.Result(4)), background.Result(5), 5);
    EXPECT_EQ(queue.posted, 6u);
}

TEST(BackgroundInversion, NothingOfAReplacedWorkOrAnEarlierRequestReachesTheOwner)
{
    InversionResultQueue queue;
    BackgroundInversion background(queue);
    std::string error;
    ASSERT_TRUE(background.Start(2, error)) << error;
    background.Begin(TestSetup(0.02));
    const std::vector<MeasurementRecord> old = Profile(40);
    background.AskAlong(old, Slots(40));
    const uint64_t oldWork = background.Work();

    // Another noise is another work: the old one's stations are dropped.
    const InversionSetup setup = TestSetup(0.05);
    EXPECT_TRUE(background.Follow(setup));
    EXPECT_FALSE(background.Follow(setup));
    EXPECT_EQ(background.State(3), InversionState::NotAsked);
    std::vector<MeasurementRecord> records = Profile(3, 100);
    background.AskAlong(records, Slots(3));
    // A station measured again while its first request runs: only the second one counts.
    records[2] = Profile(1, 200)[0];
    background.Renew(records, 2, 1);
    EXPECT_EQ(background.Asked(), 3u);
    ASSERT_TRUE(queue.PumpUntil(background, [&] { return background.Done() == 3; }));

    EXPECT_EQ(queue.delivered, 3u);
    for (const StationInverted& seen : queue.seen)
        EXPECT_TRUE(seen.work == background.Work() || seen.work == oldWork);
    const InversionResult first = Expected(setup, records[0]);
    ExpectSame(first, background.Result(0), 0);
    // Its neighbour was still running when it was asked again: nothing to be drawn towards.
    ExpectSame(Expected(setup, records[2]), background.Result(2), 2);
    EXPECT_EQ(background.State(3), InversionState::NotAsked);

    background.Forget();
    EXPECT_FALSE(background.HasWork());
    EXPECT_EQ(background.Result(0), nullptr);
    background.AskAlong(records, Slots(3)); // no work: nothing is asked
    EXPECT_EQ(background.Asked(), 0u);
}

TEST(BackgroundInversion, StationsThatCannotBeInvertedComeBackRefused)
{
    InversionResultQueue queue;
    BackgroundInversion background(queue);
    std::string error;
    ASSERT_TRUE(background.Start(1, error)) << error;

    std::vector<MeasurementRecord> records = Profile(4);
    for (int i = 0; i < kFrequencyCount; ++i)
        testing_support::PutChannel(records[1], i, 0, 0, 0, 0); // nothing came back
    testing_support::PutChannel(records[2], 3, -8388608, 5, 5, 5);
    const auto refusals = [&](const InversionSetup& setup) {
        background.Begin(setup);
        background.AskAlong(records, Slots(4));
        EXPECT_TRUE(queue.PumpUntil(background, [&] { return background.Done() == 4; }));
        std::vector<StationRefusal> got;
        for (size_t k = 0; k < 4; ++k)
            got.push_back(background.Result(k) ? background.Result(k)->refusal : StationRefusal::Cancelled);
        return got;
    };
    using R = StationRefusal;
    EXPECT_EQ(refusals(TestSetup()), (std::vector<R>{R::None, R::NoSignal, R::Saturated, R::None}));
    InversionSetup one = TestSetup();
    one.used = {};
    one.used[4] = true;
    EXPECT_EQ(refusals(one), (std::vector<R>{R::TooFewFrequencies, R::NoSignal, R::TooFewFrequencies,
                                             R::TooFewFrequencies}));
    InversionSetup uncalibrated = TestSetup();
    uncalibrated.calibration.r2 = std::nan("");
    EXPECT_EQ(refusals(uncalibrated), std::vector<R>(4, R::NoCalibration));
    InversionSetup notANumber = TestSetup();
    notANumber.calibration.GF[6] = std::nan("");
    EXPECT_EQ(refusals(notANumber)[0], R::NotANumber);
}

// A gate in the sink holds the worker inside its first Post while the test drops the work.
class GatedSink final : public InversionResultSink {
public:
    void Post(const StationInverted& done) override
    {
        std::unique_lock lock(mutex_);
        posted_.push_back(done);
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    bool WaitForPosts(size_t n)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(120), [&] { return posted_.size() >= n; });
    }
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    std::vector<StationInverted> Posted()
    {
        std::lock_guard lock(mutex_);
        return posted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<StationInverted> posted_;
    bool open_ = false;
};

InversionRun ProfileRun(uint64_t work, size_t firstSlot, size_t n)
{
    InversionRun run;
    run.work = work;
    run.calibration = std::make_shared<const CalibrationSet>(BuiltInCalibrationSet());
    run.options = TestSetup().options;
    const std::vector<MeasurementRecord> records = Profile(n, uint32_t(firstSlot + 1));
    for (size_t k = 0; k < n; ++k) {
        InversionStation station{firstSlot + k, firstSlot + k + 1, {}};
        station.input.refusal =
            StationDataFromRecord(run.calibration.get(), records[k], kAllFrequencies, station.input.data);
        run.stations.push_back(station);
    }
    return run;
}

TEST(InversionWorker, ADroppedWorkStopsAfterItsRunningStationAndUrgentRunsGoFirst)
{
    GatedSink sink;
    std::vector<size_t> order;
    {
        InversionWorker worker(sink);
        std::string error;
        ASSERT_TRUE(worker.Start(1, error)) << error;
        worker.Submit(ProfileRun(1, 0, 3));
        EXPECT_TRUE(sink.WaitForPosts(1)); // the thread waits in the gate after station 0
        worker.Submit(ProfileRun(1, 10, 2));
        worker.Submit(ProfileRun(2, 20, 1));
        worker.Submit(ProfileRun(2, 30, 1), true);
        worker.DropWorksBefore(2);
        sink.Open();
        EXPECT_TRUE(sink.WaitForPosts(3));
    }
    for (const StationInverted& done : sink.Posted())
        order.push_back(done.slot);
    EXPECT_EQ(order, (std::vector<size_t>{0, 30, 20}));
    EXPECT_EQ(sink.Posted()[1].work, 2u);
}

TEST(InversionWorker, WithoutAThreadEveryStationComesBackAtOnceAsCancelled)
{
    InversionResultQueue queue;
    BackgroundInversion background(queue); // never started
    background.Begin(TestSetup());
    const std::vector<MeasurementRecord> records = Profile(2);
    background.AskAlong(records, Slots(2));
    ASSERT_TRUE(queue.PumpUntil(background, [&] { return background.Done() == 2; }));
    EXPECT_EQ(background.Result(1)->refusal, StationRefusal::Cancelled);
}

} // namespace
