#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "model/BatchInversion.h"
#include "model/ForwardModel.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/SessionFile.h"
#include "track/TrackCorrection.h"
#include "track/TrackProjection.h"

const char* const kForwardUsage =
    "Usage:\n"
    "  lurctl forward --model \"S1:H1,S2:H2,...,SN\" [--height H]\n"
    "      The instrument's response over a layered ground: conductivities S in S/m from the\n"
    "      top down, each layer but the last with its thickness H in metres; --height is the\n"
    "      instrument's height above the ground in metres (default 0). Prints, for each of the\n"
    "      14 frequencies of the installed calibration set (the built-in set when none is\n"
    "      installed), the frequency in kHz and the modelled quadrature and in-phase values of\n"
    "      the corrected signal Z, as the conversion computes it from a reading before apparent\n"
    "      values: normalised to the current, less the undercompensation, phase-corrected and\n"
    "      scaled by GF. One line each.\n";

const char* const kInvertUsage =
    "Usage:\n"
    "  lurctl invert SESSION [--profile P] [--layers N] [--noise REL,ABS] --out FILE.csv\n"
    "      Inverts each measured station or track reading of a session for a layered ground\n"
    "      under it (Occam: the least structure that fits the data to their noise, interfaces\n"
    "      sharpened where the data ask for them; each station drawn towards the one before\n"
    "      it where the data leave the ground free). --profile P (from 0, as in the session\n"
    "      export) takes one profile of a survey. --layers N (20 to 30, default 25) layers grow\n"
    "      in thickness down to a bottom chosen from the data. --noise REL,ABS is the noise of\n"
    "      each quadrature and in-phase value: REL of the value (default 0.02) and ABS units of\n"
    "      the instrument's resolution, one unit of the shifted signal value (default 1).\n"
    "      The calibration set is the one the file names. The CSV has one row per station\n"
    "      (index, profile, station, x_m, y_m) or reading (index, latitude, longitude,\n"
    "      east_m, north_m; corrected for the settings' GPS lag and antenna offset), then\n"
    "      status (ok or why it was not inverted), chi2 (misfit per\n"
    "      value, 1 fits to the noise), doi_m (depth of investigation: below it the data cannot\n"
    "      tell the ground), bottom_m, the top of each layer in metres and the conductivity of\n"
    "      each in S/m. Written beside FILE.csv and renamed over it when complete; progress\n"
    "      goes to standard error when it is a terminal.\n";

namespace {

int Fail(const char* command, const std::string& message)
{
    std::fprintf(stderr, "lurctl %s: %s\n", command, message.c_str());
    return 1;
}

bool ParseDouble(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

// Appends printf-formatted text.
template <typename... Values>
void Append(std::string& text, const char* format, Values... values)
{
    char piece[96];
    const int n = std::snprintf(piece, sizeof piece, format, values...);
    text.append(piece, size_t(std::clamp(n, 0, int(sizeof piece) - 1)));
}


} // namespace

int RunForward(const std::vector<std::string>& words)
{
    Args args(words);
    const auto text = args.TakeOption("--model");
    const auto heightText = args.TakeOption("--height");
    std::vector<std::string> rest;
    if (!args.Finish(0, 0, rest))
        return UsageError("forward", args.Error());
    if (!text)
        return UsageError("forward", "--model \"S1:H1,...,SN\" is needed");
    LayeredEarth earth;
    std::string error;
    if (!ParseLayeredEarth(*text, earth, error))
        return UsageError("forward", "--model: " + error);
    double height = 0;
    if (heightText && !(ParseDouble(*heightText, height) && height >= 0 && height <= 1000))
        return UsageError("forward", "--height takes metres from 0 to 1000");

    const CalibrationSet& calibration = CSettings::Instance().currentCalibration;
    ForwardModel model(calibration, height);
    ModelResponse z{};
    if (!model.Evaluate(earth, kAllFrequencies, z))
        return Fail("forward", model.Problem().empty() ? "the model cannot be computed" : model.Problem());
    for (int i = 0; i < kFrequencyCount; ++i)
        std::printf("%.6g %.9g %.9g\n", calibration.F[size_t(i)], z[size_t(i)].real(), z[size_t(i)].imag());
    return 0;
}

int RunInvert(const std::vector<std::string>& words)
{
    Args args(words);
    const auto out = args.TakeOption("--out");
    const auto profileText = args.TakeOption("--profile");
    const auto layersText = args.TakeOption("--layers");
    const auto noiseText = args.TakeOption("--noise");
    std::vector<std::string> positional;
    if (!args.Finish(1, 1, positional))
        return UsageError("invert", args.Error());
    if (!out)
        return UsageError("invert", "--out FILE.csv is needed");
    BatchOptions options;
    options.threads = 0;
    options.chainReference = true;
    if (layersText) {
        const auto layers = ParseInteger(*layersText, 20, 30);
        if (!layers)
            return UsageError("invert", "--layers takes a whole number from 20 to 30");
        options.inversion.layers = size_t(*layers);
    }
    if (noiseText) {
        const size_t comma = noiseText->find(',');
        double relative = 0, units = 0;
        if (comma == std::string::npos || !ParseDouble(noiseText->substr(0, comma), relative) ||
            !ParseDouble(noiseText->substr(comma + 1), units) || relative < 0 || relative > 1 || units < 0 ||
            units > 1e6 || (relative == 0 && units == 0))
            return UsageError("invert", "--noise takes REL,ABS: a fraction from 0 to 1 and units from 0, not both 0");
        options.inversion.noise = {relative, units};
    }

    SessionImage image;
    if (const ReadSessionResult read = ReadSessionFile(positional[0], image); !read.error.empty())
        return Fail("invert", read.error);
    std::optional<long> profile;
    if (profileText) {
        if (image.track)
            return UsageError("invert", "a GPS track has no profiles");
        profile = ParseInteger(*profileText, 0, long(image.y) - 1);
        if (!profile)
            return UsageError("invert", "--profile takes a profile from 0 to " + std::to_string(long(image.y) - 1));
    }
    CalibrationKey key = image.key;
    const CalibrationSet calibration = CSettings::Instance().calibrations.SelectSet(key);

    // As opening does: the used frequencies are those of the first measured record.
    FrequencyMask used{};
    for (const MeasurementRecord& record : image.records) {
        if (!record.Empty()) {
            for (int i = 0; i < kFrequencyCount; ++i)
                used[size_t(i)] = record.ChannelPresent(i);
            break;
        }
    }
    // Measured stations in walking order, with where they are.
    struct Row {
        size_t index;
        std::string where;
    };
    std::vector<Row> rows;
    std::vector<StationInput> stations;
    // Track readings where they were taken, as the track graphs place them.
    std::vector<CorrectedPosition> placed;
    if (image.track)
        placed = CorrectTrack(StampedFixes(image.records, image.fixes), TrackCorrectionFrom(CSettings::Instance()));
    const TrackProjection projection(TrackOrigin(placed).value_or(GpsFix{}));
    for (size_t k = 0; k < image.records.size(); ++k) {
        const MeasurementRecord& record = image.records[k];
        if (record.Empty())
            continue;
        std::string where;
        if (image.track) {
            const GpsFix fix = placed[k].hasPosition ? GpsFix{placed[k].latitude, placed[k].longitude, 0} : GpsFix{};
            double east = 0, north = 0;
            if (placed[k].hasPosition)
                projection.Project(fix, east, north);
            Append(where, "%zu,%.8f,%.8f,%.2f,%.2f", k, fix.latitude, fix.longitude, east, north);
        } else {
            const uint32_t width = image.x != 0 ? image.x : uint32_t(image.records.size());
            const uint32_t p = uint32_t(k / width), r = uint32_t(k % width);
            const uint32_t s = p % 2 == 0 ? r : width - 1 - r;
            if (profile && long(p) != *profile)
                continue;
            Append(where, "%zu,%u,%u,%.3f,%.3f", k, p, s, s * image.xStep, p * image.yStep);
        }
        StationInput station;
        station.refusal = StationDataFromRecord(&calibration, record, used, station.data);
        stations.push_back(station);
        rows.push_back({k, where});
    }

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const std::vector<InversionResult> results =
        InvertStations(&calibration, stations, options, [&](size_t done, size_t total) {
            if (terminal)
                std::fprintf(stderr, "\rinverted %zu/%zu", done, total);
        });
    if (terminal && !stations.empty())
        std::fprintf(stderr, "\n");

    const size_t layers = options.inversion.layers;
    std::string text = image.track ? "index,latitude,longitude,east_m,north_m" : "index,profile,station,x_m,y_m";
    text += ",status,chi2,doi_m,bottom_m";
    for (size_t j = 1; j <= layers; ++j)
        Append(text, ",top_%zu_m", j);
    for (size_t j = 1; j <= layers; ++j)
        Append(text, ",sigma_%zu_S_per_m", j);
    text += '\n';
    size_t inverted = 0;
    for (size_t n = 0; n < rows.size(); ++n) {
        const InversionResult& r = results[n];
        text += rows[n].where;
        if (r.refusal != StationRefusal::None) {
            text += ",";
            text += StationRefusalText(r.refusal);
            text += std::string(3 + 2 * layers, ',');
            text += '\n';
            continue;
        }
        ++inverted;
        Append(text, ",ok,%.4g,%.3f,%.3f", r.chi2, r.doi, r.bottom);
        for (size_t j = 0; j < r.model.Layers(); ++j)
            Append(text, ",%.4f", r.model.Top(j));
        for (double sigma : r.model.conductivity)
            Append(text, ",%.6g", sigma);
        text += '\n';
    }
    const platform::FileResult written = platform::WriteFileAtomically(*out, text);
    if (!written.ok)
        return Fail("invert", written.error);
    std::fprintf(stderr, "inverted %zu of %zu stations into %s\n", inverted, rows.size(), out->c_str());
    return 0;
}
