// NMEA parser throughput on a realistic receiver stream: 1 Hz epochs of RMC, GGA, GSA and
// three GSV from the simulator, fed in the reader thread's 256-byte chunks.
#include <benchmark/benchmark.h>

#include <string>

#include "gps/CNmeaParser.h"
#include "sim/GpsSimulator.h"

namespace {

std::string Stream(size_t noiseBytes)
{
    GpsSimulatorOptions o;
    o.startUtcMs = 1717230000000;
    o.noiseBytes = noiseBytes;
    o.fixLoss = {{100, 110}};
    const GpsSimulator sim(GpsWalker::Default(), o);
    std::string text;
    for (uint64_t e = 0; e < 600; ++e) text += sim.EpochText(e);
    return text;
}

void FeedStream(benchmark::State& state, const std::string& text, size_t chunk)
{
    platform::ManualClock clock;
    CNmeaParser parser(clock);
    GpsData out;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (auto _ : state) {
        for (size_t at = 0; at < text.size(); at += chunk)
            parser.Feed(bytes + at, std::min(chunk, text.size() - at), &out);
        benchmark::DoNotOptimize(out.rmcCount);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_NmeaParser_Chunks256(benchmark::State& state)
{
    static const std::string text = Stream(0);
    FeedStream(state, text, 256);
}
BENCHMARK(BM_NmeaParser_Chunks256);

void BM_NmeaParser_Chunks256_WithNoise(benchmark::State& state)
{
    static const std::string text = Stream(64);
    FeedStream(state, text, 256);
}
BENCHMARK(BM_NmeaParser_Chunks256_WithNoise);

void BM_NmeaParser_Chunks16(benchmark::State& state)
{
    static const std::string text = Stream(0);
    FeedStream(state, text, 16);
}
BENCHMARK(BM_NmeaParser_Chunks16);

} // namespace
