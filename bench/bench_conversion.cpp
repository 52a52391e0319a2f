#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "settings/CSettings.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"

namespace {

// Readings with every channel present and plausible signal and current values.
std::vector<MeasurementRecord> Readings(size_t count)
{
    std::vector<MeasurementRecord> records(count);
    for (size_t k = 0; k < count; ++k) {
        MeasurementRecord& r = records[k];
        for (int i = 0; i < kFrequencyCount; ++i) {
            const int32_t values[4] = {int32_t(50000 + 37 * k + 1000 * i), int32_t(-20000 - 11 * k), 30000, -40000};
            for (int v = 0; v < 4; ++v) {
                const uint32_t u = uint32_t(values[v]) & 0xFFFFFF;
                const size_t at = size_t(12 * i + 3 * v);
                r.bytes[at] = uint8_t(u >> 16);
                r.bytes[at + 1] = uint8_t(u >> 8);
                r.bytes[at + 2] = uint8_t(u);
            }
        }
        r.bytes[168] = 0xFF;
        r.bytes[169] = 0x3F;
        r.SetTimeStamp(uint32_t(k));
    }
    return records;
}

void BM_ConvertSpectrumApparentModuleFiltered(benchmark::State& state)
{
    const std::vector<MeasurementRecord> records = Readings(1024);
    ConversionSettings s;
    s.unitMeasure = 1;
    s.signalComponent = 0;
    s.applySignalFilter = 1;
    const CalibrationSet& c = BuiltInCalibrationSet();
    std::array<float, kFrequencyCount> out{};
    size_t k = 0;
    for (auto _ : state) {
        ConvertSpectrum(s, c, records[k++ & 1023], out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.SetLabel("records");
}
BENCHMARK(BM_ConvertSpectrumApparentModuleFiltered);

void BM_ConvertReadingFilteredApparentModule(benchmark::State& state)
{
    const std::vector<MeasurementRecord> records = Readings(1024);
    ConversionSettings s;
    s.unitMeasure = 1;
    s.signalComponent = 0;
    s.applySignalFilter = 1;
    const CalibrationSet& c = BuiltInCalibrationSet();
    size_t k = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertReadingFiltered(s, c, records[k++ & 1023], 6));
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ConvertReadingFilteredApparentModule);

void BM_OpenSession100k(benchmark::State& state)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_conversion_session";
    std::filesystem::create_directories(dir);
    CSettings::SetEnvironment({(dir / "settings.reg").string(), (dir / "LurCalibration.ini").string(), {}});
    CSettings& settings = CSettings::Instance();
    settings.workType = kWorkMap;
    settings.xSize = 1000;
    settings.ySize = 100;
    const std::string path = (dir / "large.lur").string();
    {
        SurveyDataSet d(settings);
        const std::vector<MeasurementRecord> records = Readings(100000);
        for (size_t k = 0; k < records.size(); ++k)
            d.StoreRecord(k, records[k]);
        SaveSession(d, path);
    }
    for (auto _ : state) {
        OpenSessionResult opened = OpenSession(path, settings);
        if (!opened.dataSet) {
            state.SkipWithError(opened.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(opened.dataSet->RecordCount());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_OpenSession100k)->Unit(benchmark::kMillisecond);

} // namespace
