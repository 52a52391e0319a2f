#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "InvertCommand.h"
#include "model/ForwardModel.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/SessionFile.h"

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

const char* const kInvertSummary = "invert a session's readings for layered grounds, as CSV, GeoTIFF or GeoPackage";

const char* const kInvertUsage =
    "Usage:\n"
    "  lurctl invert SESSION [--profile P] [--layers N] [--noise REL,ABS] --out FILE.csv|FILE.tif|FILE.gpkg\n"
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
    "      goes to standard error when it is a terminal.\n"
    "      FILE.tif and FILE.gpkg hold the conductivity in S/m at depth slices every 0.5 m (a\n"
    "      coarser round step past 30 slices) down to the deepest depth of investigation, each\n"
    "      station's slices below its own depth of investigation empty. The GeoTIFF has one\n"
    "      band per slice: a survey's grid has a cell per station (x along the profiles, y\n"
    "      across, in metres from station 0 of profile 0); a track's grid is in the UTM zone of\n"
    "      its centre, 1 m cells, each the nearest inverted reading within 2 m. The GeoPackage\n"
    "      has one point per station (survey metres) or reading (WGS 84) with its status,\n"
    "      chi2, doi_m and a field per slice. Both keep where the values came from as metadata.\n";

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

bool IsInvertedGisPath(const std::string& path)
{
    for (const char* extension : {".tif", ".tiff", ".gpkg"})
        if (path.size() > std::strlen(extension) &&
            strcasecmp(path.c_str() + path.size() - std::strlen(extension), extension) == 0)
            return true;
    return false;
}

int RunInvert(const std::vector<std::string>& words, InvertedGisWriter gis)
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
        return UsageError("invert", "--out FILE.csv, FILE.tif or FILE.gpkg is needed");
    InvertRequest request;
    request.session = positional[0];
    request.out = *out;
    request.profile = profileText;
    request.options.threads = 0;
    request.options.chainReference = true;
    if (layersText) {
        const auto layers = ParseInteger(*layersText, 20, 30);
        if (!layers)
            return UsageError("invert", "--layers takes a whole number from 20 to 30");
        request.options.inversion.layers = size_t(*layers);
    }
    if (noiseText) {
        const size_t comma = noiseText->find(',');
        double relative = 0, units = 0;
        if (comma == std::string::npos || !ParseDouble(noiseText->substr(0, comma), relative) ||
            !ParseDouble(noiseText->substr(comma + 1), units) || relative < 0 || relative > 1 || units < 0 ||
            units > 1e6 || (relative == 0 && units == 0))
            return UsageError("invert", "--noise takes REL,ABS: a fraction from 0 to 1 and units from 0, not both 0");
        request.options.inversion.noise = {relative, units};
    }
    if (IsInvertedGisPath(request.out))
        return gis(request);

    InvertedSession inverted;
    if (const int status = InvertSession(request, inverted); status != 0)
        return status;
    const SessionStations& session = inverted.stations;
    const size_t layers = request.options.inversion.layers;
    std::string text = session.track ? "index,latitude,longitude,east_m,north_m" : "index,profile,station,x_m,y_m";
    text += ",status,chi2,doi_m,bottom_m";
    for (size_t j = 1; j <= layers; ++j)
        Append(text, ",top_%zu_m", j);
    for (size_t j = 1; j <= layers; ++j)
        Append(text, ",sigma_%zu_S_per_m", j);
    text += '\n';
    size_t done = 0;
    for (size_t n = 0; n < session.stations.size(); ++n) {
        const SessionStation& s = session.stations[n];
        if (session.track)
            Append(text, "%zu,%.8f,%.8f,%.2f,%.2f", s.index, s.latitude, s.longitude, s.east, s.north);
        else
            Append(text, "%zu,%u,%u,%.3f,%.3f", s.index, s.profile, s.station, s.x, s.y);
        const InversionResult& r = inverted.results[n];
        if (r.refusal != StationRefusal::None) {
            text += ",";
            text += StationRefusalText(r.refusal);
            text += std::string(3 + 2 * layers, ',');
            text += '\n';
            continue;
        }
        ++done;
        Append(text, ",ok,%.4g,%.3f,%.3f", r.chi2, r.doi, r.bottom);
        for (size_t j = 0; j < r.model.Layers(); ++j)
            Append(text, ",%.4f", r.model.Top(j));
        for (double sigma : r.model.conductivity)
            Append(text, ",%.6g", sigma);
        text += '\n';
    }
    const platform::FileResult written = platform::WriteFileAtomically(request.out, text);
    if (!written.ok)
        return Fail("invert", written.error);
    std::fprintf(stderr, "inverted %zu of %zu stations into %s\n", done, session.stations.size(), request.out.c_str());
    return 0;
}

int InvertSession(const InvertRequest& request, InvertedSession& inverted)
{
    SessionImage image;
    if (const ReadSessionResult read = ReadSessionFile(request.session, image); !read.error.empty())
        return Fail("invert", read.error);
    std::optional<uint32_t> profile;
    if (request.profile) {
        if (image.track)
            return UsageError("invert", "a GPS track has no profiles");
        const auto p = ParseInteger(*request.profile, 0, long(image.y) - 1);
        if (!p)
            return UsageError("invert", "--profile takes a profile from 0 to " + std::to_string(long(image.y) - 1));
        profile = uint32_t(*p);
    }
    inverted.name = request.session.substr(request.session.rfind('/') + 1);
    inverted.key = image.key;
    const CalibrationSet calibration = CSettings::Instance().calibrations.SelectSet(inverted.key);
    inverted.stations =
        StationsOfSession(image, &calibration, profile, TrackCorrectionFrom(CSettings::Instance()));
    std::vector<StationInput> stations;
    stations.reserve(inverted.stations.stations.size());
    for (const SessionStation& station : inverted.stations.stations)
        stations.push_back(station.input);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    inverted.results = InvertStations(&calibration, stations, request.options, [&](size_t done, size_t total) {
        if (terminal)
            std::fprintf(stderr, "\rinverted %zu/%zu", done, total);
    });
    if (terminal && !stations.empty())
        std::fprintf(stderr, "\n");
    return 0;
}
