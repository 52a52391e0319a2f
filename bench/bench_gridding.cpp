#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/BilinearGridder.h"
#include "graphics/CellGridPainter.h"
#include "graphics/ColorChart.h"
#include "graphics/RadiusGridder.h"

// A full-HD surface painted with one cell per pixel: the largest grid a paint asks for.
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<float> Random(size_t count, unsigned seed, float low, float high)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(low, high);
    std::vector<float> values(count);
    for (float& v : values)
        v = distribution(generator);
    return values;
}

void Bilinear(benchmark::State& state, int columns, int rows)
{
    std::vector<float> xs = Random(static_cast<size_t>(columns), 1, 0.0f, 500.0f);
    std::vector<float> ys = Random(static_cast<size_t>(rows), 2, 0.0f, 120.0f);
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    const std::vector<float> values = Random(static_cast<size_t>(columns) * rows, 3, 10.0f, 900.0f);
    std::vector<float> out(static_cast<size_t>(kWidth) * kHeight);
    BilinearGridder gridder;
    for (auto _ : state) {
        gridder.Regrid(columns, rows, xs.data(), ys.data(), values.data(), kWidth, kHeight, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

// A section: 100 stations × 14 frequencies.
static void BM_BilinearSection(benchmark::State& state)
{
    Bilinear(state, 100, 14);
}
BENCHMARK(BM_BilinearSection)->Unit(benchmark::kMillisecond);

// A map: 100 stations × 100 profiles.
static void BM_BilinearMap(benchmark::State& state)
{
    Bilinear(state, 100, 100);
}
BENCHMARK(BM_BilinearMap)->Unit(benchmark::kMillisecond);

// The smoothing pass alone, which Regrid includes.
static void BM_Smooth(benchmark::State& state)
{
    std::vector<float> grid = Random(static_cast<size_t>(kWidth) * kHeight, 4, 0.0f, 1.0f);
    BilinearGridder gridder;
    for (auto _ : state) {
        gridder.Smooth(kWidth, kHeight, grid.data());
        benchmark::DoNotOptimize(grid.data());
    }
}
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);

// Times gridding the points onto the whole 1920 × 1080 grid with the default radius.
static void GridWithRadius50(benchmark::State& state, const std::vector<float>& x, const std::vector<float>& y,
                             const std::vector<float>& v)
{
    std::vector<float> out(static_cast<size_t>(kWidth) * kHeight);
    RadiusGridder gridder;
    gridder.radius = 50;
    for (auto _ : state) {
        gridder.GridScattered(static_cast<int>(x.size()), x.data(), y.data(), v.data(), kWidth, kHeight, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

// A track map: 10 000 readings along a walked track, radius 50 cells.
static void BM_RadiusTrack(benchmark::State& state)
{
    const int n = 10000;
    std::vector<float> x(n), y(n);
    std::mt19937 generator(5);
    std::normal_distribution<float> stride(0.0f, 1.0f);
    float px = 0.0f, py = 0.0f;
    for (int k = 0; k < n; ++k) {
        px += 0.8f + 0.3f * stride(generator);
        py += 0.5f * stride(generator);
        x[k] = px;
        y[k] = py + 40.0f * static_cast<float>(k % 1000 < 500 ? 1 : -1); // serpentine lanes
    }
    // Stretched to fill the area, as the track map does without real scaling.
    const auto [minX, maxX] = std::minmax_element(x.begin(), x.end());
    const auto [minY, maxY] = std::minmax_element(y.begin(), y.end());
    const float sx = static_cast<float>(kWidth - 1) / (*maxX - *minX);
    const float sy = static_cast<float>(kHeight - 1) / (*maxY - *minY);
    const float x0 = *minX, y0 = *minY;
    for (int k = 0; k < n; ++k) {
        x[k] = (x[k] - x0) * sx;
        y[k] = (y[k] - y0) * sy;
    }
    const std::vector<float> v = Random(static_cast<size_t>(n), 6, 10.0f, 900.0f);
    GridWithRadius50(state, x, y, v);
}
BENCHMARK(BM_RadiusTrack)->Unit(benchmark::kMillisecond);

// 10 000 readings spread evenly over the area: every diamond lies inside the grid.
static void BM_RadiusScattered(benchmark::State& state)
{
    const int n = 10000;
    const std::vector<float> x = Random(static_cast<size_t>(n), 7, 0.0f, 1920.0f);
    const std::vector<float> y = Random(static_cast<size_t>(n), 8, 0.0f, 1080.0f);
    const std::vector<float> v = Random(static_cast<size_t>(n), 9, 10.0f, 900.0f);
    GridWithRadius50(state, x, y, v);
}
BENCHMARK(BM_RadiusScattered)->Unit(benchmark::kMillisecond);

// The whole map paint at pixel size 1: grid, range, colour and fill a 1920 × 1080 surface.
static void BM_MapPaint(benchmark::State& state)
{
    const int columns = 100, rows = 100;
    std::vector<float> stations(columns), profiles(rows);
    for (int c = 0; c < columns; ++c)
        stations[c] = 5.0f * static_cast<float>(c);
    for (int r = 0; r < rows; ++r)
        profiles[r] = 10.0f * static_cast<float>(r);
    const std::vector<float> values = Random(static_cast<size_t>(columns) * rows, 3, 10.0f, 900.0f);
    ValueSurface surface;
    surface.Create(kWidth, kHeight, 32);
    ColorChart chart;
    chart.LoadPreset(0);
    BilinearGridder gridder;
    for (auto _ : state) {
        surface.Clear();
        std::vector<float> grid(static_cast<size_t>(kWidth) * kHeight); // allocated per paint
        gridder.Regrid(columns, rows, stations.data(), profiles.data(), values.data(), kWidth, kHeight, grid.data());
        float low = 0, high = 0;
        GridValueRange(grid.data(), grid.size(), low, high);
        chart.SetRange(low, high);
        PaintCells(surface, grid.data(), kWidth, kHeight, 1, PixelRect{0, 0, kWidth, kHeight}, true, chart);
        benchmark::DoNotOptimize(surface.Bits());
    }
}
BENCHMARK(BM_MapPaint)->Unit(benchmark::kMillisecond);
