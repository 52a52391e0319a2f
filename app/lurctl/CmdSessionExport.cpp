// The GIS formats of `lurctl session export`, written through GDAL: lurctl-export's part of
// the session command (Module.h).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "GisExport.h"
#include "session/SessionFile.h"
#include "settings/CSettings.h"

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl session: %s\n", message.c_str());
    return 1;
}

// --frequency N (from 1) or all; a one-frequency format without it takes the settings'
// area frequency.
std::optional<FrequencySelection> ChooseFrequencies(const std::optional<std::string>& word,
                                                    const ExportFormatInfo& format, const CSettings& settings)
{
    if (!word)
        return format.oneFrequency ? FrequencySelection{settings.mapFrequencyNumber - 1} : FrequencySelection{};
    if (*word == "all")
        return FrequencySelection{};
    const auto number = ParseInteger(*word, 1, kFrequencyCount);
    if (!number)
        return std::nullopt;
    return FrequencySelection{int(*number) - 1};
}

} // namespace

int ExportToGis(const GisExportRequest& request)
{
    // Opening adjusts the settings in memory; nothing here saves them.
    CSettings& settings = CSettings::Instance();
    OpenSessionResult opened = OpenSession(request.path, settings);
    if (!opened.dataSet)
        return Fail(opened.error);
    const std::vector<ExportFormatInfo> formats = ExportFormatsFor(settings.workType);
    const std::optional<ExportFormatInfo> format =
        request.format ? FindExportFormat(settings.workType, *request.format) : formats.front();
    if (!format) {
        std::string names = "csv";
        for (const ExportFormatInfo& f : formats)
            names += ", " + f.name;
        return UsageError("session", "this session exports as " + names);
    }
    const std::optional<FrequencySelection> selection = ChooseFrequencies(request.frequency, *format, settings);
    if (!selection)
        return UsageError("session", "--frequency is a number from 1 to " + std::to_string(kFrequencyCount) +
                                         " or all");
    ExportOptions options = request.options;
    options.format = format->format;
    options.frequencies = *selection;
    options.sessionName = request.path.substr(request.path.rfind('/') + 1);
    const ExportResult result = ExportSession(*opened.dataSet, settings, options, request.out);
    if (!result.ok) {
        if (result.leftOut.Any() && options.leftOut == LeftOutReadings::Refuse)
            return Fail(result.error + " (--skip-unpositioned leaves them out)");
        return Fail(result.error);
    }
    const size_t unpositioned = result.leftOut.unpositioned.size();
    if (unpositioned != 0 && options.leftOut == LeftOutReadings::Skip)
        std::fprintf(stderr, "%zu reading%s without a position %s left out\n", unpositioned,
                     unpositioned == 1 ? "" : "s", unpositioned == 1 ? "was" : "were");
    if (unpositioned != 0 && options.leftOut == LeftOutReadings::KeepUnlocated)
        std::fprintf(stderr, "%zu reading%s without a position %s written without a geometry\n", unpositioned,
                     unpositioned == 1 ? "" : "s", unpositioned == 1 ? "was" : "were");
    const size_t withoutFrequency = result.leftOut.withoutFrequency.size();
    if (withoutFrequency != 0)
        std::fprintf(stderr, "%zu reading%s without the exported frequencies %s left out\n", withoutFrequency,
                     withoutFrequency == 1 ? "" : "s", withoutFrequency == 1 ? "was" : "were");
    return 0;
}

