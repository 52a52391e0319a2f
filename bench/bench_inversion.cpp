// The layered-earth model and the per-station inversion: 14 frequencies, 30 layers.
// BM_InvertStation reports the median time per station over a pool of synthetic stations,
// elapsed (median_ms) and on the thread's own clock (median_cpu_ms, which other work on a
// shared machine does not inflate); BM_InvertTrack inverts a track on two threads and
// reports the time a 10 000-reading track would take, elapsed (track_10000_s) and from the
// process's processor time spread over the two threads (track_10000_cpu_s).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <time.h>
#include <vector>

#include "model/BatchInversion.h"
#include "sim/GroundModel.h"

namespace {

// Stations over the simulator's ground across its pipe and block, and over a few layered
// grounds, with 1% noise and the one-unit resolution.
std::vector<StationInput> Stations(size_t count)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ForwardModel model(c);
    const GroundModel ground;
    std::mt19937 random(5);
    std::normal_distribution<double> gauss;
    std::vector<StationInput> stations;
    for (size_t k = 0; k < count; ++k) {
        const double x = double(k % 120);
        LayeredEarth earth = ground.EarthBelow(x, 10.0 + double(k % 7));
        if (k % 3 == 1)
            earth = LayeredEarth{{0.01 * double(1 + k % 5), 0.1 + 0.05 * double(k % 4), 0.03}, {0.5 + 0.1 * double(k % 9), 2.0}};
        ModelResponse z{};
        model.Evaluate(earth, kAllFrequencies, z);
        StationInput s;
        s.data.used = kAllFrequencies;
        for (int i = 0; i < kFrequencyCount; ++i) {
            const double unit = SimulatedUnit(c, i);
            auto quantise = [&](double v) { return (std::floor(v * (1 + 0.01 * gauss(random)) / unit) + 0.5) * unit; };
            s.data.z[size_t(i)] = {quantise(z[size_t(i)].real()), quantise(z[size_t(i)].imag())};
            s.data.unit[size_t(i)] = unit;
        }
        stations.push_back(s);
    }
    return stations;
}

double CpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

InversionOptions Options()
{
    InversionOptions o;
    o.layers = 30;
    o.noise = {0.01, 1.0};
    return o;
}

void BM_ForwardWithJacobian(benchmark::State& state)
{
    ForwardModel model(BuiltInCalibrationSet());
    LayeredEarth earth;
    for (int j = 0; j < 30; ++j) {
        earth.conductivity.push_back(0.02 + 0.01 * (j % 5));
        if (j < 29)
            earth.thickness.push_back(0.15 * std::pow(1.12, j));
    }
    ModelResponse z{};
    std::vector<std::complex<double>> jacobian;
    const bool withJacobian = state.range(0) != 0;
    for (auto _ : state) {
        model.Evaluate(earth, kAllFrequencies, z, withJacobian ? &jacobian : nullptr);
        benchmark::DoNotOptimize(z);
    }
}
BENCHMARK(BM_ForwardWithJacobian)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_InvertStation(benchmark::State& state)
{
    const std::vector<StationInput> stations = Stations(60);
    const InversionOptions options = Options();
    std::vector<double> times, cpu;
    size_t k = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const InversionResult r = InvertStation(&BuiltInCalibrationSet(), stations[k % stations.size()].data, options);
        cpu.push_back(1e3 * (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart));
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(r);
        ++k;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["median_cpu_ms"] = cpu[cpu.size() / 2];
    state.counters["p90_ms"] = times[times.size() * 9 / 10];
}
BENCHMARK(BM_InvertStation)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_InvertTrack(benchmark::State& state)
{
    const std::vector<StationInput> stations = Stations(size_t(state.range(0)));
    BatchOptions options;
    options.inversion = Options();
    options.threads = 2;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto results = InvertStations(&BuiltInCalibrationSet(), stations, options);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpuSeconds = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        state.counters["track_10000_s"] = seconds * 10000.0 / double(stations.size());
        state.counters["track_10000_cpu_s"] = cpuSeconds / options.threads * 10000.0 / double(stations.size());
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_InvertTrack)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
