#include "ui/SessionExportCommand.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <sys/stat.h>

#include "export/ExportFormat.h"
#include "export/SessionExport.h"
#include "platform/Prompter.h"
#include "settings/CSettings.h"
#include "survey/Calibration.h"
#include "survey/SurveyDataSet.h"
#include "ui/ExportTexts.h"

namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string FileName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// "Сетка GeoTIFF (*.tif)|*.tif|...||", the default format first.
std::string DialogFilter(const std::vector<ExportFormatInfo>& formats)
{
    std::string filter;
    for (const ExportFormatInfo& format : formats)
        filter += format.filter + "|*." + format.extension + "|";
    return filter + "|";
}

bool IsGrid(ExportFormat format)
{
    return format == ExportFormat::GeoTiff || format == ExportFormat::AsciiGrid || format == ExportFormat::SurferGrid;
}

// The format the file is written in and its final name: the filter's format, unless the name
// carries the extension of another format of the list and the operator means that one; a name
// without the format's extension gets it. Nothing when the operator cancels.
std::optional<std::pair<ExportFormatInfo, std::string>> ResolveFormat(const std::vector<ExportFormatInfo>& formats,
                                                                      const platform::SavedFile& saved,
                                                                      platform::Prompter& prompter)
{
    ExportFormatInfo format = formats[static_cast<size_t>(std::clamp<int>(saved.filter, 0, int(formats.size()) - 1))];
    std::string path = saved.path;
    const std::string extension = LowerExtension(path);
    if (extension == format.extension)
        return std::pair{format, path};
    const auto typed = std::find_if(formats.begin(), formats.end(),
                                    [&](const ExportFormatInfo& f) { return f.extension == extension; });
    if (typed != formats.end()) {
        const PromptAnswer answer =
            prompter.Ask(FormatQuestion(path, *typed, format), "", PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return std::nullopt;
        if (answer == PromptAnswer::Yes)
            return std::pair{*typed, path};
    }
    return std::pair{format, path + "." + format.extension};
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

// The grid and left-out options; nothing when the operator cancels.
std::optional<platform::ExportOptionsAnswer> AskOptions(const DataSet& data, const CSettings& settings,
                                                        ExportFormat format, platform::Prompter& prompter)
{
    const bool track = settings.workType == kWorkGpsTrack;
    platform::ExportOptionsRequest request;
    request.grid = IsGrid(format) && (track || settings.workType == kWorkMap);
    request.radius = request.grid && track;
    request.keepUnlocated = format == ExportFormat::GeoPackage || format == ExportFormat::CsvWkt;
    if (!request.grid && !request.keepUnlocated)
        return platform::ExportOptionsAnswer{};
    if (const auto* survey = AsSurvey(data); survey && request.grid)
        request.cellHint = SurveyCellHint(std::min(survey->XStep(), survey->YStep()) / 4.0);
    if (track) {
        request.cellHint = kTrackCellHint;
        request.radiusHint = kTrackRadiusHint;
    }
    return prompter.ChooseExportOptions(request);
}

} // namespace

void ExportCurrentSession(const DataSet& data, const CSettings& settings, platform::Prompter& prompter)
{
    const std::vector<ExportFormatInfo> formats = ExportFormatsFor(settings.workType);
    if (formats.empty())
        return;
    platform::FileChoice choice;
    choice.save = true;
    choice.filter = DialogFilter(formats);
    const std::optional<platform::SavedFile> saved = prompter.ChooseSaveFile(choice);
    if (!saved)
        return;
    const auto resolved = ResolveFormat(formats, *saved, prompter);
    if (!resolved)
        return;
    const auto& [format, path] = *resolved;
    if (Exists(path) &&
        prompter.Ask(ReplaceQuestion(path), "", PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return;
    const std::optional<platform::ExportOptionsAnswer> answer = AskOptions(data, settings, format.format, prompter);
    if (!answer)
        return;

    ExportOptions options;
    options.format = format.format;
    if (format.oneFrequency)
        options.frequencies.index = std::clamp(settings.mapFrequencyNumber - 1, 0, kFrequencyCount - 1);
    options.grid.cellMetres = answer->cellMetres;
    options.grid.radiusMetres = answer->radiusMetres;
    options.leftOut = answer->keepUnlocated ? LeftOutReadings::KeepUnlocated : LeftOutReadings::Refuse;
    options.sessionName = FileName(data.Name());
    ExportResult result = ExportSession(data, settings, options, path);
    // Asked only when leaving them out is all that stands in the way.
    if (result.failure.problem == ExportProblem::ReadingsLeftOut) {
        if (prompter.Ask(LeftOutQuestion(result.leftOut), "", PromptButtons::YesNo, PromptIcon::Question) !=
            PromptAnswer::Yes)
            return;
        options.leftOut = LeftOutReadings::Skip;
        result = ExportSession(data, settings, options, path);
    }
    if (!result.ok) {
        prompter.Ask(ExportFailureText(result), "", PromptButtons::Ok, PromptIcon::Error);
        return;
    }
    prompter.Ask(ExportSummary(result, format), "", PromptButtons::Ok, PromptIcon::Information);
}
