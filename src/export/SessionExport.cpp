#include "export/SessionExport.h"

#include <algorithm>
#include <vector>

#include "export/GridExport.h"
#include "export/MapGrids.h"
#include "export/PointExport.h"
#include "export/SectionExport.h"
#include "export/StagedOutput.h"
#include "export/TrackReadings.h"
#include "platform/FileIO.h"
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

std::string Stem(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The formats that keep the provenance inside; the others get a side note "<file>.txt".
bool KeepsMetadata(ExportFormat format)
{
    return format == ExportFormat::GeoTiff || format == ExportFormat::GeoPackage;
}

// Files an earlier export of this name may have left beside it, or a GIS program beside that:
// they go when the new set is in place.
std::vector<std::string> Companions(ExportFormat format, const std::string& path)
{
    const std::string name = BaseName(path), stem = Stem(name);
    std::vector<std::string> names{name + ".txt", name + ".aux.xml"};
    switch (format) {
    case ExportFormat::Shapefile:
        for (const char* extension : {".shx", ".dbf", ".prj", ".cpg", ".qix", ".sbn", ".sbx", ".qpj"})
            names.push_back(stem + extension);
        break;
    case ExportFormat::GeoTiff:
        names.push_back(stem + ".tfw");
        break;
    case ExportFormat::CsvWkt:
        names.push_back(stem + ".csvt");
        names.push_back(stem + ".prj");
        break;
    case ExportFormat::AsciiGrid:
    case ExportFormat::SectionAsciiGrid:
        names.push_back(stem + ".prj");
        break;
    default:
        break;
    }
    return names;
}

bool WriteTrack(const TrackDataSet& data, const CSettings& settings, const ExportOptions& options,
                const ExportFrequencies& frequencies, const std::string& path, Provenance& provenance,
                ExportResult& result, ExportError& error)
{
    const TrackCorrectionSettings correction = TrackCorrectionFor(settings, options.correction);
    provenance.emplace_back("gps_lag_s", Seconds(correction.lagSeconds));
    provenance.emplace_back("antenna_ahead_m", Metres(correction.antennaAheadMetres));
    TrackReadings readings;
    if (!CollectTrackReadings(data, settings, correction, frequencies,
                              options.leftOut == LeftOutReadings::KeepUnlocated, readings, result.leftOut, error))
        return false;
    if (result.leftOut.Any() && options.leftOut == LeftOutReadings::Refuse) {
        error = Refusal(ExportProblem::ReadingsLeftOut, DescribeLeftOut(result.leftOut) + ": nothing written");
        return false;
    }
    if (!result.leftOut.unpositioned.empty())
        provenance.emplace_back(options.leftOut == LeftOutReadings::KeepUnlocated ? "readings_without_position"
                                                                                   : "left_out_without_position",
                                ReadingList(result.leftOut.unpositioned));
    if (!result.leftOut.withoutFrequency.empty())
        provenance.emplace_back("left_out_without_frequency", ReadingList(result.leftOut.withoutFrequency));
    std::vector<size_t> poorlyPlaced;
    for (size_t k = 0; k < readings.Count(); ++k)
        if (readings.located[k] && !readings.placedOk[k])
            poorlyPlaced.push_back(readings.index[k]);
    if (!poorlyPlaced.empty())
        provenance.emplace_back("poorly_placed", ReadingList(poorlyPlaced));
    if (IsGrid(options.format)) {
        GeoGrid grid;
        result.readings = readings.LocatedCount();
        return GridTrackMap(readings, frequencies, settings, options.grid, options.format, grid, provenance, error) &&
               WriteGrid(grid, options.format, provenance, path, error);
    }
    result.readings = readings.Count();
    provenance.emplace_back("crs", "WGS 84 (EPSG:4326)");
    const std::vector<Colour> colours = options.format == ExportFormat::Kml
                                            ? PlacemarkColours(readings, frequencies, settings)
                                            : std::vector<Colour>{};
    return WriteTrackPoints(readings, frequencies, colours, provenance, options.format, path, error);
}

bool WriteSurvey(const SurveyDataSet& data, const CSettings& settings, const ExportOptions& options,
                 const ExportFrequencies& frequencies, const std::string& path, Provenance& provenance,
                 ExportResult& result, ExportError& error)
{
    result.readings = static_cast<size_t>(std::count_if(data.Records().begin(), data.Records().end(),
                                                        [](const MeasurementRecord& r) { return !r.Empty(); }));
    if (IsGrid(options.format)) {
        GeoGrid grid;
        return GridSurveyMap(data, frequencies, settings, options.grid, options.format, grid, provenance, error) &&
               WriteGrid(grid, options.format, provenance, path, error);
    }
    return WriteSection(data, settings, options.format, frequencies, path, error);
}

// Files of the staging directory `staged` by the names they take beside `path`.
std::string PlacedBeside(const std::string& file, const std::string& staged, const std::string& path)
{
    const std::string directory = platform::DirectoryOf(staged) + "/";
    if (file.rfind(directory, 0) != 0)
        return file;
    const std::string place = platform::DirectoryOf(path);
    return (place.empty() ? "" : place + "/") + file.substr(directory.size());
}

void Fail(ExportResult& result, ExportError error, const std::string& path)
{
    result.error = std::move(error.text);
    result.failure = std::move(error.failure);
    if (result.failure.file.empty())
        result.failure.file = path;
}

ExportResult Refused(ExportError error, const std::string& path)
{
    ExportResult result;
    Fail(result, std::move(error), path);
    return result;
}

} // namespace

std::string ReadingList(const std::vector<size_t>& indices)
{
    constexpr size_t kNamed = 10;
    std::string list;
    for (size_t k = 0; k < std::min(indices.size(), kNamed); ++k)
        list += (k ? ", " : "") + std::to_string(indices[k]);
    if (indices.size() > kNamed)
        list += " and " + std::to_string(indices.size() - kNamed) + " more";
    return list;
}

std::string DescribeLeftOut(const LeftOut& leftOut)
{
    auto count = [](size_t n, const char* what) {
        return std::to_string(n) + (n == 1 ? " reading " : " readings ") + what;
    };
    std::string text;
    if (!leftOut.unpositioned.empty())
        text = count(leftOut.unpositioned.size(), "without a position") + " (" +
               ReadingList(leftOut.unpositioned) + ")";
    if (!leftOut.withoutFrequency.empty())
        text += (text.empty() ? "" : " and ") + count(leftOut.withoutFrequency.size(), "without the exported frequencies") +
                " (" + ReadingList(leftOut.withoutFrequency) + ")";
    return text;
}

std::string ProvenanceValue(const ExportResult& result, const std::string& key)
{
    for (const auto& [name, value] : result.provenance)
        if (name == key)
            return value;
    return {};
}

ExportResult ExportSession(const DataSet& data, const CSettings& settings, const ExportOptions& options,
                           const std::string& path)
{
    const std::vector<ExportFormatInfo> formats = ExportFormatsFor(settings.workType);
    const auto info = std::find_if(formats.begin(), formats.end(),
                                   [&](const ExportFormatInfo& f) { return f.format == options.format; });
    if (info == formats.end())
        return Refused(Refusal(ExportProblem::FormatNotForWorkType,
                               "this format does not suit a session of this work type"),
                       path);
    const auto* track = AsTrack(data);
    const auto* survey = AsSurvey(data);
    if ((settings.workType == kWorkGpsTrack) != (track != nullptr) || (!track && !survey))
        return Refused(Refusal(ExportProblem::DataNotForWorkType,
                               "the data set does not match the settings' work type"),
                       path);
    if (std::all_of(data.Records().begin(), data.Records().end(),
                    [](const MeasurementRecord& r) { return r.Empty(); }))
        return Refused(Refusal(ExportProblem::NoMeasuredReading, "the session has no measured reading"), path);
    if (options.leftOut == LeftOutReadings::KeepUnlocated && options.format != ExportFormat::GeoPackage &&
        options.format != ExportFormat::CsvWkt)
        return Refused(Refusal(ExportProblem::KeepUnlocatedNotInFormat,
                               "only GeoPackage and CSV keep readings without a position"),
                       path);
    ExportFrequencies selected;
    ExportError error;
    if (!SelectFrequencies(settings, options.frequencies, selected, error))
        return Refused(error, path);
    if (info->oneFrequency && selected.indices.size() > 1)
        return Refused(Refusal(ExportProblem::OneFrequencyFormat, info->name + " holds one frequency: choose which"),
                       path);

    ExportResult result;
    Provenance provenance = DescribeSession(options.sessionName, settings, selected);
    StagedOutput output(path, Companions(options.format, path));
    if (!output.Open(error))
        return Refused(error, path);
    bool written = track ? WriteTrack(*track, settings, options, selected, output.Path(), provenance, result, error)
                         : WriteSurvey(*survey, settings, options, selected, output.Path(), provenance, result, error);
    if (written && !KeepsMetadata(options.format)) {
        const platform::FileResult note = platform::WriteFileAtomically(output.Path() + ".txt", ProvenanceNote(provenance));
        written = note.ok;
        if (!note.ok)
            error = FileResultError(note, output.Path() + ".txt");
    }
    if (!written) {
        // Name the file the caller asked for, not the staging place.
        std::string& text = error.text;
        for (size_t at = text.find(output.Path()); at != std::string::npos;
             at = text.find(output.Path(), at + path.size()))
            text.replace(at, output.Path().size(), path);
        error.failure.file = PlacedBeside(error.failure.file, output.Path(), path);
        Fail(result, std::move(error), path);
        return result;
    }
    if (!output.Commit(error)) {
        Fail(result, std::move(error), path);
        return result;
    }
    result.ok = true;
    result.files = output.Committed();
    result.bands = selected.indices.size();
    result.provenance = std::move(provenance);
    return result;
}
