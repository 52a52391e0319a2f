#include "export/SessionExport.h"

#include <algorithm>
#include <vector>

#include "export/GridExport.h"
#include "export/MapGrids.h"
#include "export/PointExport.h"
#include "export/SectionExport.h"
#include "export/StagedOutput.h"
#include "export/TrackReadings.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace {

bool IsGrid(ExportFormat format)
{
    return format == ExportFormat::GeoTiff || format == ExportFormat::AsciiGrid || format == ExportFormat::SurferGrid;
}

// Placemark colours: the map chart over the values of the settings' area frequency when it
// is exported, else of the first one; fitted to them unless the chart's range is manual.
std::vector<Colour> PlacemarkColours(const TrackReadings& readings, const ExportFrequencies& frequencies,
                                     const CSettings& settings)
{
    const auto chosen = std::find(frequencies.indices.begin(), frequencies.indices.end(),
                                  settings.mapFrequencyNumber - 1);
    const size_t column = chosen != frequencies.indices.end() ? size_t(chosen - frequencies.indices.begin()) : 0;
    const size_t columns = frequencies.indices.size();
    std::vector<float> values(readings.Count());
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = readings.values[k * columns + column];
    ColorChart chart = settings.mapChart;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    if (!settings.manualMapRange && low != values.end())
        chart.SetRange(*low, *high);
    std::vector<Colour> colours(values.size());
    chart.ColorsAt(values.data(), values.size(), colours.data());
    return colours;
}

bool WriteTrack(const TrackDataSet& data, const CSettings& settings, ExportFormat format,
                const ExportFrequencies& frequencies, const std::string& path, std::string& error)
{
    TrackReadings readings;
    if (!CollectTrackReadings(data, settings, frequencies, readings, error))
        return false;
    if (IsGrid(format)) {
        GeoGrid grid;
        return GridTrackMap(readings, frequencies, settings, grid, error) && WriteGrid(grid, format, path, error);
    }
    const std::vector<Colour> colours =
        format == ExportFormat::Kml ? PlacemarkColours(readings, frequencies, settings) : std::vector<Colour>{};
    return WriteTrackPoints(readings, frequencies, colours, format, path, error);
}

bool WriteSurvey(const SurveyDataSet& data, const CSettings& settings, ExportFormat format,
                 const ExportFrequencies& frequencies, const std::string& path, std::string& error)
{
    if (IsGrid(format)) {
        GeoGrid grid;
        return GridSurveyMap(data, frequencies, settings, grid, error) && WriteGrid(grid, format, path, error);
    }
    return WriteSection(data, settings, format, frequencies, path, error);
}

} // namespace

ExportResult ExportSession(const DataSet& data, const CSettings& settings, ExportFormat format,
                           const FrequencySelection& frequencies, const std::string& path)
{
    const std::vector<ExportFormatInfo> formats = ExportFormatsFor(settings.workType);
    const auto info = std::find_if(formats.begin(), formats.end(),
                                   [&](const ExportFormatInfo& f) { return f.format == format; });
    if (info == formats.end())
        return {false, "this format does not suit a session of this work type"};
    const auto* track = AsTrack(data);
    const auto* survey = AsSurvey(data);
    if ((settings.workType == kWorkGpsTrack) != (track != nullptr) || (!track && !survey))
        return {false, "the data set does not match the settings' work type"};
    if (std::all_of(data.Records().begin(), data.Records().end(),
                    [](const MeasurementRecord& r) { return r.Empty(); }))
        return {false, "the session has no measured reading"};
    ExportFrequencies selected;
    std::string error;
    if (!SelectFrequencies(settings, frequencies, selected, error))
        return {false, error};
    if (info->oneFrequency && selected.indices.size() > 1)
        return {false, info->name + " holds one frequency: choose which"};

    StagedOutput output(path);
    if (!output.Open(error))
        return {false, error};
    const bool written = track ? WriteTrack(*track, settings, format, selected, output.Path(), error)
                               : WriteSurvey(*survey, settings, format, selected, output.Path(), error);
    if (!written) {
        // Name the file the caller asked for, not the staging place.
        for (size_t at = error.find(output.Path()); at != std::string::npos;
             at = error.find(output.Path(), at + path.size()))
            error.replace(at, output.Path().size(), path);
        return {false, error};
    }
    if (!output.Commit(error))
        return {false, error};
    return {true, {}};
}
