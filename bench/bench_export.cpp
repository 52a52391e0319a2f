#include <benchmark/benchmark.h>

#include "export/SessionExport.h"
#include "settings/CSettings.h"
#include "support/SyntheticGround.h"
#include "support/TempDir.h"

// The largest export asked for: a 10 000-reading track's map, every frequency, as GeoTIFF
// at the map graph's 1920-pixel width, written and flushed to disk.
static void BM_TrackGeoTiff(benchmark::State& state)
{
    testing_support::TempDir dir;
    CSettings::SetEnvironment({dir.File("settings.reg"), dir.File("LurCalibration.ini"), {}});
    CSettings& settings = CSettings::Instance();
    auto data = testing_support::GroundTrack(settings, 10000);
    for (auto _ : state) {
        const ExportResult result = ExportSession(*data, settings, ExportFormat::GeoTiff, {}, dir.File("t.tif"));
        if (!result.ok)
            state.SkipWithError(result.error.c_str());
    }
    CSettings::Release();
}
BENCHMARK(BM_TrackGeoTiff)->Unit(benchmark::kMillisecond)->Iterations(3);
