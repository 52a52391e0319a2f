#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "graphics/SurveyGraphs.h"
#include "graphics/TrackGraphs.h"
#include "support/SyntheticGround.h"

// Full rebuilds as a page repaint does them: raw records through conversion, gridding and
// painting into a full-HD surface with one pixel per cell.
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Labels are not measured here: the axes are off.
class NoText : public DrawContext {
public:
    void SetPen(PenStyle, int, Colour) override {}
    void SetBrush(Colour) override {}
    void SetFont(const std::string&, int) override {}
    void SetTextColour(Colour) override {}
    void FillRect(const PixelRect&, Colour) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(const PixelRect&) override {}
    void TextOut(int, int, const std::string&) override {}
    TextSize TextExtent(const std::string&) override { return {}; }
};

CSettings& BenchSettings()
{
    static CSettings* settings = [] {
        char pattern[] = "/tmp/bench_render.XXXXXX";
        const std::string dir = mkdtemp(pattern) ? pattern : "/tmp";
        CSettings::SetEnvironment({dir + "/settings.reg", dir + "/LurCalibration.ini", {}});
        CSettings& s = CSettings::Instance();
        s.pixelSize = 1;
        s.realScaling = 0;
        s.showGrid = 0;
        s.showScaleMarks = 0;
        s.manualMapRange = 0;
        s.manualSectionRange = 0;
        return &s;
    }();
    return *settings;
}

struct Canvas {
    Canvas() { surface.Create(kWidth, kHeight, 32); }
    ValueSurface surface;
    NoText dc;
    const PixelRect rect{0, 0, kWidth, kHeight};
};

void SurveyMap(benchmark::State& state)
{
    CSettings& settings = BenchSettings();
    auto data = testing_support::GroundSurvey(settings, 100, 100, 1.0f, 1.0f, 100 * 100);
    Canvas canvas;
    for (auto _ : state)
        if (DrawMap(*data, settings, canvas.surface, canvas.dc, canvas.rect, 99, 99, 7) != GraphOutcome::Painted)
            state.SkipWithError("map not painted");
}
BENCHMARK(SurveyMap)->Unit(benchmark::kMillisecond);

void SurveySection(benchmark::State& state)
{
    CSettings& settings = BenchSettings();
    auto data = testing_support::GroundSurvey(settings, 1000, 1, 0.1f, 0.0f, 1000);
    Canvas canvas;
    for (auto _ : state)
        if (DrawSection(*data, settings, canvas.surface, canvas.dc, canvas.rect, 0, 500) != GraphOutcome::Painted)
            state.SkipWithError("section not painted");
}
BENCHMARK(SurveySection)->Unit(benchmark::kMillisecond);

void TrackMap(benchmark::State& state)
{
    CSettings& settings = BenchSettings();
    auto data = testing_support::GroundTrack(settings, 10000);
    data->ScatteredGridder().radius = 50;
    Canvas canvas;
    for (auto _ : state)
        if (PaintTrackMap(*data, settings, canvas.surface, canvas.dc, canvas.rect, 7) != GraphOutcome::Painted)
            state.SkipWithError("track map not painted");
}
BENCHMARK(TrackMap)->Unit(benchmark::kMillisecond);

} // namespace
