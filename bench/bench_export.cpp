#include <benchmark/benchmark.h>

#include "export/SessionExport.h"
#include "settings/CSettings.h"
#include "support/SyntheticGround.h"
#include "support/TempDir.h"

// The largest exports asked for: a 10 000-reading track's map, every frequency, as GeoTIFF
// at the default cell and as painted 1920 pixels across, written and flushed to disk.
static void BM_TrackGeoTiff(benchmark::State& state)
{
    testing_support::TempDir dir;
    CSettings::SetEnvironment({dir.File("settings.reg"), dir.File("LurCalibration.ini"), {}});
    CSettings& settings = CSettings::Instance();
    auto data = testing_support::GroundTrack(settings, 10000);
    ExportOptions options;
    options.format = ExportFormat::GeoTiff;
    if (state.range(0) != 0)
        options.grid.paintedWidth = int(state.range(0));
    for (auto _ : state) {
        const ExportResult result = ExportSession(*data, settings, options, dir.File("t.tif"));
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
    }
    CSettings::Release();
}
BENCHMARK(BM_TrackGeoTiff)->Arg(0)->Arg(1920)->Unit(benchmark::kMillisecond)->Iterations(3);
