// Cost of one journaled reading, write and fdatasync() included, on a real file in the
// directory given by the benchmark's name (/tmp, and the working directory's file system).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "settings/CSettings.h"
#include "support/ScriptedSource.h"
#include "support/TempDir.h"
#include "session/AcquisitionJournal.h"
#include "survey/SurveyDataSet.h"

namespace {

CSettings& BenchSettings()
{
    static testing_support::TempDir dir;
    static bool set = false;
    if (!set) {
        CSettings::SetEnvironment({dir.File("settings.reg"), dir.File("LurCalibration.ini"), {}});
        set = true;
    }
    return CSettings::Instance();
}

void MeasureJournaled(benchmark::State& state, const char* where, bool series)
{
    CSettings& settings = BenchSettings();
    settings.workType = kWorkLimitedProfile;
    settings.xSize = 100; // the end of the profile is re-measured: memory stays flat
    char pattern[] = "bench-journal-XXXXXX";
    std::string base = std::string(where) + "/" + pattern;
    if (!::mkdtemp(base.data())) {
        state.SkipWithError("cannot create a directory there");
        return;
    }
    {
        AcquisitionJournal journal(base, settings);
        SurveyDataSet dataSet(settings);
        dataSet.SetJournal(&journal);
        journal.Start(dataSet);
        ScriptedSource source;
        source.series = series;
        for (auto _ : state) {
            if (source.Measure(dataSet) != MeasureOutcome::Stored)
                state.SkipWithError(journal.Error().c_str());
        }
        journal.Discard();
    }
    std::system(("rm -rf '" + base + "'").c_str());
}

void MeasureInMemory(benchmark::State& state)
{
    CSettings& settings = BenchSettings();
    settings.workType = kWorkLimitedProfile;
    settings.xSize = 100;
    SurveyDataSet dataSet(settings);
    ScriptedSource source;
    for (auto _ : state)
        benchmark::DoNotOptimize(source.Measure(dataSet));
}

} // namespace

BENCHMARK_CAPTURE(MeasureJournaled, tmp, "/tmp", false)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK_CAPTURE(MeasureJournaled, workdir, ".", false)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK_CAPTURE(MeasureJournaled, tmp_series14, "/tmp", true)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK_CAPTURE(MeasureJournaled, workdir_series14, ".", true)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(MeasureInMemory)->Unit(benchmark::kMicrosecond);
