#include <benchmark/benchmark.h>

#include <vector>

#include "graphics/ColorChart.h"

// Colouring one 1920 x 1080 map costs two million of these.
static void BM_ColorAt(benchmark::State& state)
{
    ColorChart chart;
    chart.LoadPreset(0);
    chart.SetRange(-10.0f, 10.0f);
    float x = -12.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(chart.ColorAt(x));
        x = x > 12.0f ? -12.0f : x + 0.001f;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ColorAt);

// A painted row of cells at a time, as the map and section painters colour them.
static void BM_ColorsAtRow(benchmark::State& state)
{
    ColorChart chart;
    chart.LoadPreset(0);
    chart.SetRange(-10.0f, 10.0f);
    std::vector<float> values(1920);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = -12.0f + 24.0f * static_cast<float>(k) / static_cast<float>(values.size());
    std::vector<Colour> colours(values.size());
    for (auto _ : state) {
        chart.ColorsAt(values.data(), values.size(), colours.data());
        benchmark::DoNotOptimize(colours.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_ColorsAtRow);
