#include "graphics/SurveyMapTable.h"

#include <new>

#include "conversion/ReadingConversion.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

GraphOutcome BuildSurveyMapTable(const SurveyDataSet& data, const CSettings& settings, uint32_t p, uint32_t s,
                                 int f, SurveyMapTable& table)
{
    const size_t width = data.XSize() != 0 ? data.XSize() : data.RecordCount();
    const GridSpan block = data.FindProfileBlock(p, s);
    if (!block.found || width < 2 || f < 0 || f >= kFrequencyCount ||
        !settings.usedFrequencies[static_cast<size_t>(f)])
        return GraphOutcome::NotPainted;
    const uint32_t lastRow = block.last < p && p < data.YSize() ? p : block.last;
    const size_t rows = lastRow - block.first + 1;
    if (rows < 2)
        return GraphOutcome::NotPainted;

    try {
        table.xs.resize(width);
        table.ys.resize(rows);
        table.values.resize(width * rows);
    } catch (const std::bad_alloc&) {
        return GraphOutcome::OutOfMemory;
    }
    table.firstProfile = block.first;
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    for (size_t c = 0; c < width; ++c)
        table.xs[c] = static_cast<float>(c) * data.XStep();
    for (size_t r = 0; r < rows; ++r) {
        table.ys[r] = static_cast<float>(r) * data.YStep();
        const uint32_t q = block.first + static_cast<uint32_t>(r);
        for (size_t c = 0; c < width; ++c) {
            float& cell = table.values[r * width + c];
            const uint32_t index = data.IndexOf(q, static_cast<uint32_t>(c));
            if (index < data.RecordCount() && !data.Record(index).Empty())
                cell = ConvertReadingFiltered(conversion, settings.currentCalibration, data.Record(index), f);
            else // not yet measured on the partial row: repeat the profile below
                cell = r > 0 ? table.values[(r - 1) * width + c] : 0.0f;
        }
    }
    return GraphOutcome::Painted;
}
