#include "graphics/SurveySectionTable.h"

#include <array>
#include <new>

#include "conversion/ReadingConversion.h"
#include "graphics/GraphSettings.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

GraphOutcome BuildSurveySectionTable(const SurveyDataSet& data, const CSettings& settings, uint32_t p, uint32_t s,
                                     SurveySectionTable& table)
{
    const GridSpan run = data.FindStationRun(p, s);
    if (!run.found)
        return GraphOutcome::NotPainted;
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    const CalibrationSet& calibration = settings.currentCalibration;
    const size_t m = run.last - run.first + 1;
    try {
        table.frequencies = UsedByDepth(conversion, calibration);
        const size_t nf = table.frequencies.size();
        if (m < 2 || nf < 2)
            return GraphOutcome::NotPainted;
        table.xs.resize(m);
        table.ys.resize(nf);
        table.values.resize(m * nf);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    const size_t nf = table.frequencies.size();
    table.firstStation = run.first;
    for (size_t r = 0; r < nf; ++r)
        table.ys[r] = FrequencyDepth(conversion, calibration, table.frequencies[r]);
    std::array<float, kFrequencyCount> spectrum{};
    for (size_t c = 0; c < m; ++c) {
        table.xs[c] = static_cast<float>(c) * data.XStep();
        ConvertSpectrum(conversion, calibration, data.Record(data.IndexOf(p, run.first + uint32_t(c))), spectrum);
        for (size_t r = 0; r < nf; ++r)
            table.values[r * m + c] = spectrum[static_cast<size_t>(table.frequencies[r])];
    }
    return GraphOutcome::Painted;
}
