// The background inversion as the measurement pages use it: worker threads at a lower
// priority, the owner thread taking each result as it is posted. BM_WholeTrack inverts a
// 10 000-reading track asked for at once (a session opened with "Инверсия" on) and reports
// the elapsed seconds; BM_NewStation reports the time from a reading's station being asked
// for to its result on the owner thread, the workers idle (as while surveying) and busy with
// a whole track (the station goes before the queue, after the stations running).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "model/BackgroundInversion.h"
#include "sim/GroundModel.h"
#include "support/RecordBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

// The owner thread's queue: results wait here until the owner takes them.
class OwnerSink final : public InversionResultSink {
public:
    void Post(const StationInverted& done) override
    {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(done);
        }
        arrived_.notify_one();
    }
    // Hands what arrived to the owner, waiting for something first.
    void Deliver(BackgroundInversion& owner)
    {
        std::deque<StationInverted> ready;
        {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return !posted_.empty(); });
            ready.swap(posted_);
        }
        for (const StationInverted& done : ready)
            owner.Deliver(done);
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<StationInverted> posted_;
};

// Readings walked along lines 3 m apart over the simulator's ground, as the instrument sends them.
std::vector<MeasurementRecord> Track(size_t n)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ForwardModel model(c);
    const GroundModel ground;
    std::vector<MeasurementRecord> records(n);
    for (size_t k = 0; k < n; ++k) {
        ModelResponse z{};
        model.Evaluate(ground.EarthBelow(double(k % 120), 3.0 * double(k / 120 % 20)), kAllFrequencies, z);
        for (int i = 0; i < kFrequencyCount; ++i) {
            const ChannelValues raw = SimulatedChannel(c, i, z[size_t(i)]);
            testing_support::PutChannel(records[k], i, raw[0], raw[1], raw[2], raw[3]);
        }
        records[k].bytes[175] = 9;
    }
    return records;
}

InversionSetup Setup()
{
    InversionSetup setup;
    setup.calibration = BuiltInCalibrationSet();
    setup.used = kAllFrequencies;
    return setup;
}

std::vector<size_t> Line(size_t n)
{
    std::vector<size_t> line(n);
    for (size_t k = 0; k < n; ++k)
        line[k] = k;
    return line;
}

void BM_WholeTrack(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    const std::vector<MeasurementRecord> records = Track(n);
    for (auto _ : state) {
        OwnerSink sink;
        BackgroundInversion background(sink);
        std::string error;
        background.Start(0, error);
        background.Begin(Setup());
        const auto start = Clock::now();
        background.AskAlong(records, Line(n));
        while (background.Done() < n)
            sink.Deliver(background);
        state.counters["seconds"] = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["threads"] = std::thread::hardware_concurrency();
    }
}
BENCHMARK(BM_WholeTrack)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_NewStation(benchmark::State& state)
{
    const bool busy = state.range(0) != 0;
    const size_t n = busy ? 4000 : 200;
    const std::vector<MeasurementRecord> records = Track(n);
    OwnerSink sink;
    BackgroundInversion background(sink);
    std::string error;
    background.Start(0, error);
    background.Begin(Setup());
    if (busy)
        background.AskAlong(records, Line(n));
    std::vector<double> latencies;
    size_t slot = n - 1;
    for (auto _ : state) {
        // A reading measured again at a station the batch has not reached.
        const auto start = Clock::now();
        background.Renew(records, slot, std::nullopt);
        while (background.State(slot) != InversionState::Done)
            sink.Deliver(background);
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        --slot;
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["max_ms"] = latencies.back();
}
BENCHMARK(BM_NewStation)->Arg(0)->Arg(1)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
