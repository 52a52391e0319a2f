#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "GisExport.h"
#include "conversion/ReadingConversion.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/SessionFile.h"
#include "track/TrackCorrection.h"
#include "track/TrackProjection.h"

const char* const kSessionSummary = "describe, export or recover a session file";

const char* const kSessionUsage =
    "Usage:\n"
    "  lurctl session info FILE\n"
    "      Work type, grid and steps, calibration key and instrument serial of a session file,\n"
    "      its record count, how many records are measured and the time span they cover; for\n"
    "      a GPS track also the extent of the positioned readings in metres.\n"
    "  lurctl session export FILE [--format F] [--out PATH] [--frequency N|all]\n"
    "          [--cell M | --width N] [--radius M] [--skip-unpositioned | --keep-unpositioned]\n"
    "          [--gps-lag S] [--antenna-offset M]\n"
    "          [--units adc|apparent] [--component module|quadrature|inphase]\n"
    "          [--resistivity|--conductivity] [--normalize-current] [--normalize-frequency]\n"
    "          [--phase-equalization] [--subtract-undercompensation] [--filter]\n"
    "      Options not given take the values of the settings store; the calibration set is\n"
    "      the one the file names. Apparent resistivity is in ohm·m, conductivity in mS/m.\n"
    "      Neither the settings nor the file are changed. Files are written beside PATH and\n"
    "      renamed over it when complete.\n"
    "      csv (the format without --out): one CSV row per measured station (index, profile,\n"
    "      station) or track reading (index, latitude, longitude, east and north metres from\n"
    "      the first positioned reading), then time stamp (ms ticks), serial, for a track\n"
    "      fix_quality, hdop, satellites, fix_age_s and placed_ok, and one column per used\n"
    "      frequency (named by its frequency in kHz), to standard output or PATH.\n"
    "      Track positions are corrected for the GPS receiver's lag (--gps-lag, 0 to 5 s) and\n"
    "      the antenna's distance ahead of the instrument's centre (--antenna-offset, -10 to\n"
    "      10 m, negative behind it), by default those of the settings. fix_quality (GGA),\n"
    "      hdop, satellites and fix_age_s describe the fix a position came from, empty where\n"
    "      the receiver (or an older session file) did not tell; placed_ok is 0 for a reading\n"
    "      placed across a gap in the fixes or from a fix without a solution, or whose\n"
    "      correction found no fix that late or no walking direction.\n"
    "      GPS tracks, as WGS 84 points with the fields reading, time_ms, serial, fix_quality,\n"
    "      hdop, satellites, fix_age_s, placed_ok and one per\n"
    "      frequency (f2_501kHz for 2.501 kHz): gpkg (the default with --out), geojson, kml\n"
    "      (placemarks in the map chart's colours), gpx (a track, values as extensions), shp,\n"
    "      csvwkt (CSV with WKT points). A reading without a GPS position (or without the\n"
    "      exported frequencies) stops the export, naming it, unless --skip-unpositioned\n"
    "      leaves such readings out (saying how many on standard error) or, for gpkg and\n"
    "      csvwkt, --keep-unpositioned writes them without a geometry.\n"
    "      Maps of tracks and map surveys as grids (empty cells are no-data): tif (the default\n"
    "      for a map survey; one float32 band per frequency), asc (ESRI ASCII) and grd (Surfer 6\n"
    "      binary) of one frequency, by default the settings' area frequency. --cell M sets the\n"
    "      cell in metres; by default a quarter of the smaller station step (surveys: the\n"
    "      bilinear surface through the stations at the cell centres), and for tracks the cell\n"
    "      and radius of the track map 240 pixels wide, as the page grids it (each cell the\n"
    "      mean of the readings within the radius, weighted 1 at the reading's cell falling\n"
    "      linearly to 0 at the radius in city-block distance). --radius M sets how far a track\n"
    "      reading reaches, with a cell of a quarter of it by default. --width N writes the\n"
    "      grid as the map graph paints it N pixels across instead, smoothing included. Grids\n"
    "      above 10000 x 10000 cells or 2 GB are refused. Track grids are in the UTM zone of\n"
    "      the track's centre, survey grids in metres from station 0 of profile 0.\n"
    "      Each export records the session, instrument serial, calibration date, units,\n"
    "      component, processing switches, cell or radius, and for a track the GPS lag and\n"
    "      antenna offset used and the readings not placed well: as metadata in tif and gpkg,\n"
    "      in a side note PATH.txt for the other formats.\n"
    "      Profiles: stations (the default; station, x_m, frequency_khz, depth_m, value per\n"
    "      measured station and frequency, as CSV) and asc (the section graph's grid of the\n"
    "      run through the last measured station, y the negated pseudo-depth).\n"
    "      --frequency N (from 1) exports one frequency; it must have been used.\n"
    "  lurctl session recover [JOURNAL --out FILE.lur] [--journal-dir DIR]\n"
    "      Readings are journaled as they are taken, until the session is saved. Without\n"
    "      JOURNAL, lists the journals left by a crash or a power cut (work type, readings,\n"
    "      time span). With one, rebuilds its data set, saves it as FILE.lur (which must not\n"
    "      exist yet) and says how many readings were recovered; the journal is removed only\n"
    "      after the save succeeded. A damaged journal gives every reading before the damage.\n";

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl session: %s\n", message.c_str());
    return 1;
}

bool ReadSession(const std::string& path, SessionImage& image, std::string& error)
{
    error = ReadSessionFile(path, image).error;
    return error.empty();
}

const char* WorkTypeName(const SessionImage& image)
{
    if (image.track)
        return "GPS track (31)";
    if (image.y > 1)
        return "map (2)";
    return (image.openProfileFlag & 1) ? "profile (4)" : "limited profile (3)";
}

bool Positioned(const GpsFix& fix) { return fix.latitude != 0 || fix.longitude != 0; }

// What `session info` says of the readings, gathered as they are read: none is kept.
struct ReadingSummary {
    size_t records = 0;
    size_t measured = 0;
    uint32_t first = std::numeric_limits<uint32_t>::max();
    uint32_t last = 0;
    std::optional<TrackProjection> projection; // about the first positioned reading
    double minE = 0, maxE = 0, minN = 0, maxN = 0;

    void Add(const MeasurementRecord& record, const GpsFix& fix)
    {
        ++records;
        if (!record.Empty()) {
            ++measured;
            first = std::min(first, record.TimeStamp());
            last = std::max(last, record.TimeStamp());
        }
        if (!Positioned(fix))
            return;
        if (!projection)
            projection.emplace(fix);
        double east = 0, north = 0;
        projection->Project(fix, east, north);
        minE = std::min(minE, east);
        maxE = std::max(maxE, east);
        minN = std::min(minN, north);
        maxN = std::max(maxN, north);
    }
};

int Info(const std::string& path)
{
    SessionImage image;
    ReadingSummary summary;
    const auto add = [&summary](const MeasurementRecord& record, const GpsFix& fix) { summary.Add(record, fix); };
    if (const ReadSessionResult read = ReadSessionFile(path, image, add); !read.error.empty())
        return Fail(read.error);
    std::printf("file: %s\nwork type: %s\n", path.c_str(), WorkTypeName(image));
    if (!image.track)
        std::printf("grid: %u stations x %u profiles\nsteps: %.9g x %.9g\n", image.x, image.y, image.xStep,
                    image.yStep);
    std::printf("calibration: %02u/%02u/%u\nserial: %u\n", image.key.day, image.key.month, image.key.year,
                image.key.serial);
    std::printf("records: %zu\nmeasured: %zu\n", summary.records, summary.measured);
    if (summary.measured)
        std::printf("time span: %u .. %u ms (%.3f s)\n", summary.first, summary.last,
                    (summary.last - summary.first) / 1000.0);
    for (size_t i = 0; i < 3; ++i)
        if (!image.texts[i].empty())
            std::printf("text %zu: %s\n", i + 1, image.texts[i].c_str());
    if (!image.track)
        return 0;
    if (!summary.projection)
        std::printf("extent: no positioned readings\n");
    else
        std::printf("extent: %.1f m east-west x %.1f m north-south\n", summary.maxE - summary.minE,
                    summary.maxN - summary.minN);
    return 0;
}

// Settings-store defaults overridden by the options, in memory only; false with `error` on a
// bad value.
bool ConversionOptions(Args& args, CSettings& c, std::string& error)
{
    if (auto units = args.TakeOption("--units")) {
        if (*units != "adc" && *units != "apparent")
            return error = "--units is adc or apparent", false;
        c.unitMeasure = *units == "adc" ? 0 : 1;
    }
    if (auto component = args.TakeOption("--component")) {
        const char* names[] = {"module", "quadrature", "inphase"};
        auto it = std::find(std::begin(names), std::end(names), *component);
        if (it == std::end(names))
            return error = "--component is module, quadrature or inphase", false;
        c.signalComponent = int32_t(it - std::begin(names));
    }
    const bool resistivity = args.TakeFlag("--resistivity");
    const bool conductivity = args.TakeFlag("--conductivity");
    if (resistivity && conductivity)
        return error = "--resistivity and --conductivity exclude each other", false;
    if (resistivity)
        c.apparentValueKind = 0;
    if (conductivity)
        c.apparentValueKind = 1;
    c.normalizeToCurrent |= args.TakeFlag("--normalize-current");
    c.normalizeToFrequency |= args.TakeFlag("--normalize-frequency");
    c.phaseEqualization |= args.TakeFlag("--phase-equalization");
    c.subtractUndercompensation |= args.TakeFlag("--subtract-undercompensation");
    c.applySignalFilter |= args.TakeFlag("--filter");
    return true;
}

// Appends printf-formatted text.
template <typename... Values>
void Append(std::string& text, const char* format, Values... values)
{
    char piece[64];
    const int n = std::snprintf(piece, sizeof piece, format, values...);
    text.append(piece, size_t(std::clamp(n, 0, int(sizeof piece) - 1)));
}

// Empty for what the receiver did not tell.
void AppendQuality(std::string& text, const GpsFixQuality& q, bool placedOk)
{
    const bool ggaKnown = q.ggaQuality != GpsFixQuality::kUnknown;
    text += ',';
    if (ggaKnown)
        Append(text, "%u", unsigned(q.ggaQuality));
    text += ',';
    if (q.hdop > 0)
        Append(text, "%.2f", q.hdop);
    text += ',';
    if (ggaKnown)
        Append(text, "%u", unsigned(q.satellitesUsed));
    text += ',';
    if (QualityRecorded(q))
        Append(text, "%.3f", q.ageMs / 1000.0);
    Append(text, ",%d", placedOk ? 1 : 0);
}

int Export(const std::string& path, ConversionSettings c, const TrackCorrectionSettings& correction,
           const std::string& out)
{
    SessionImage image;
    std::string error;
    if (!ReadSession(path, image, error))
        return Fail(error);
    CalibrationKey key = image.key;
    const CalibrationSet calibration = CSettings::Instance().calibrations.SelectSet(key);
    // As opening does: the used frequencies are those of the first measured record.
    for (const MeasurementRecord& record : image.records) {
        if (!record.Empty()) {
            for (int i = 0; i < kFrequencyCount; ++i)
                c.usedFrequencies[size_t(i)] = record.ChannelPresent(i) ? 1 : 0;
            break;
        }
    }

    std::string text = image.track ? "index,latitude,longitude,east_m,north_m,time_ms,serial,fix_quality,hdop,"
                                     "satellites,fix_age_s,placed_ok"
                                   : "index,profile,station,time_ms,serial";
    for (int i = 0; i < kFrequencyCount; ++i)
        if (c.usedFrequencies[size_t(i)])
            Append(text, ",%.6g kHz", calibration.F[size_t(i)]);
    text += '\n';

    std::vector<CorrectedPosition> placed;
    if (image.track)
        placed = CorrectTrack(StampedFixes(image.records, image.fixes), correction);
    const TrackProjection projection(TrackOrigin(placed).value_or(GpsFix{}));
    const uint32_t width = image.x != 0 ? image.x : 1;
    std::array<float, kFrequencyCount> values{};
    for (size_t k = 0; k < image.records.size(); ++k) {
        const MeasurementRecord& record = image.records[k];
        if (record.Empty())
            continue;
        if (image.track) {
            const CorrectedPosition& at = placed[k];
            const GpsFix fix = at.hasPosition ? GpsFix{at.latitude, at.longitude, 0} : GpsFix{};
            double east = 0, north = 0;
            if (at.hasPosition)
                projection.Project(fix, east, north);
            Append(text, "%zu,%.8f,%.8f", k, fix.latitude, fix.longitude);
            Append(text, ",%.2f,%.2f", east, north);
        } else {
            const uint32_t p = uint32_t(k / width), r = uint32_t(k % width);
            Append(text, "%zu,%u,%u", k, p, p % 2 == 0 ? r : width - 1 - r);
        }
        Append(text, ",%u,%u", record.TimeStamp(), record.SerialNumber());
        if (image.track) {
            AppendQuality(text, image.fixes[k].quality, PlacedWell(placed[k], image.fixes[k].quality));
        }
        ConvertSpectrum(c, calibration, record, values);
        for (int i = 0; i < kFrequencyCount; ++i)
            if (c.usedFrequencies[size_t(i)])
                Append(text, ",%.9g", double(values[size_t(i)]));
        text += '\n';
    }
    if (out.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    const platform::FileResult written = platform::WriteFileAtomically(out, text);
    return written.ok ? 0 : Fail(written.error);
}

// The grid and left-out options of `lurctl session export`; false with `error` on a bad value.
bool ExportOptionsFrom(Args& args, ExportOptions& options, std::string& error)
{
    auto metres = [&](const char* name, std::optional<double>& value) {
        if (const auto word = args.TakeOption(name)) {
            char* end = nullptr;
            const double parsed = std::strtod(word->c_str(), &end);
            if (word->empty() || *end != '\0' || !(parsed > 0) || !std::isfinite(parsed))
                return error = std::string(name) + " is a length in metres above 0", false;
            value = parsed;
        }
        return true;
    };
    if (!metres("--cell", options.grid.cellMetres) || !metres("--radius", options.grid.radiusMetres))
        return false;
    if (const auto width = args.TakeOption("--width")) {
        const auto pixels = ParseInteger(*width, 2, 100000);
        if (!pixels)
            return error = "--width is a number of pixels from 2 to 100000", false;
        options.grid.paintedWidth = int(*pixels);
    }
    if (options.grid.cellMetres && options.grid.paintedWidth)
        return error = "--cell and --width exclude each other", false;
    const auto number = [&](const char* name, double limit, bool signedValue, const char* takes,
                             std::optional<double>& value) {
        if (const auto word = args.TakeOption(name)) {
            char* end = nullptr;
            const double parsed = std::strtod(word->c_str(), &end);
            if (word->empty() || *end != '\0' || !(parsed >= (signedValue ? -limit : 0.0) && parsed <= limit))
                return error = std::string(name) + " is " + takes, false;
            value = parsed;
        }
        return true;
    };
    if (!number("--gps-lag", TrackCorrectionSettings::kMaxLagSeconds, false, "a lag from 0 to 5 seconds",
                options.correction.lagSeconds) ||
        !number("--antenna-offset", TrackCorrectionSettings::kMaxAntennaAheadMetres, true,
                "a distance from -10 to 10 metres", options.correction.antennaAheadMetres))
        return false;
    const bool skip = args.TakeFlag("--skip-unpositioned");
    const bool keep = args.TakeFlag("--keep-unpositioned");
    if (skip && keep)
        return error = "--skip-unpositioned and --keep-unpositioned exclude each other", false;
    options.leftOut = skip ? LeftOutReadings::Skip : keep ? LeftOutReadings::KeepUnlocated : LeftOutReadings::Refuse;
    return true;
}

} // namespace

int RunSession(const std::vector<std::string>& words, GisExport gisExport)
{
    if (!words.empty() && words[0] == "recover")
        return RunSessionRecover(std::vector<std::string>(words.begin() + 1, words.end()));
    Args args(words);
    CSettings& settings = CSettings::Instance();
    std::string error;
    const auto format = args.TakeOption("--format");
    const auto out = args.TakeOption("--out");
    const auto frequency = args.TakeOption("--frequency");
    ExportOptions options;
    if (!ConversionOptions(args, settings, error) || !ExportOptionsFrom(args, options, error))
        return UsageError("session", error);
    std::vector<std::string> positional;
    if (!args.Finish(2, 2, positional))
        return UsageError("session", args.Error());
    if (positional[0] == "info")
        return Info(positional[1]);
    if (positional[0] != "export")
        return UsageError("session", "\"info\", \"export\" or \"recover\" expected");
    // Without a format, a file gets the work type's first format and standard output the CSV.
    if (format ? *format == "csv" : !out) {
        if (frequency)
            return UsageError("session", "the CSV export has every used frequency");
        if (options.grid.cellMetres || options.grid.paintedWidth || options.grid.radiusMetres ||
            options.leftOut != LeftOutReadings::Refuse)
            return UsageError("session", "the CSV export has every measured reading and no grid");
        return Export(positional[1], ConversionSettingsFrom(settings), TrackCorrectionFor(settings, options.correction),
                      out.value_or(""));
    }
    if (!out)
        return UsageError("session", "--out names the file to write");
    return gisExport({positional[1], format, frequency, options, *out});
}
