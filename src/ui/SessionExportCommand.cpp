#include "ui/SessionExportCommand.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "export/ExportFormat.h"
#include "export/SessionExport.h"
#include "platform/Prompter.h"
#include "settings/CSettings.h"
#include "survey/Calibration.h"

namespace {

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

// "GeoPackage (*.gpkg)|*.gpkg|...||", the default format first.
std::string DialogFilter(const std::vector<ExportFormatInfo>& formats)
{
    std::string filter;
    for (const ExportFormatInfo& format : formats)
        filter += format.filter + "|*." + format.extension + "|";
    return filter + "|";
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
    choice.defaultExtension = formats.front().extension;
    choice.overwritePrompt = true;
    std::optional<std::string> path = prompter.ChooseFile(choice);
    if (!path)
        return;
    const std::string extension = LowerExtension(*path);
    auto format = std::find_if(formats.begin(), formats.end(),
                               [&extension](const ExportFormatInfo& f) { return f.extension == extension; });
    if (format == formats.end()) {
        format = formats.begin();
        *path += "." + format->extension;
    }
    FrequencySelection frequencies;
    if (format->oneFrequency)
        frequencies.index = std::clamp(settings.mapFrequencyNumber - 1, 0, kFrequencyCount - 1);
    const ExportResult result = ExportSession(data, settings, format->format, frequencies, *path);
    if (!result.ok)
        prompter.Ask("Ошибка экспорта: " + result.error, "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
}
