#include <benchmark/benchmark.h>

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
