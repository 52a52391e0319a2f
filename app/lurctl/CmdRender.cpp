#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "graphics/FontRuntime.h"
#include "graphics/GraphDispatch.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
#include "graphics/SurfacePng.h"
#include "graphics/ValueSurface.h"
#include "platform/FileIO.h"
#include "settings/CSettings.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

const char* const kRenderUsage =
    "Usage:\n"
    "  lurctl render FILE.lur --graph map|section|profile-curve|sounding|progress|track-view\n"
    "          [--profile P] [--station S] [--reading K] [--frequency N] [--width W] [--height H]\n"
    "          [--pixel-size N] [--radius R] [--stretch] [--gps-lag S] [--antenna-offset M]\n"
    "          [--out FILE.png] [--values FILE.csv]\n"
    "      Paints one graph of a session file exactly as the measurement page does, with the\n"
    "      settings store and the calibration the file names, into a W x H picture (default\n"
    "      640 x 480) written as PNG (default FILE.<graph>.png). P and S (from 0, default 0)\n"
    "      choose the survey station the page would stand at; K (from 0, default the last) the\n"
    "      reading of a track sounding curve, or the current reading of the track view; N (from\n"
    "      1, default the settings' area frequency) the frequency of maps and profile curves.\n"
    "      --pixel-size and --radius (track map, in cells of a 240-pixel-wide map however wide\n"
    "      the picture, as on the page) override the settings for this picture only; so does\n"
    "      --stretch, which fills the picture instead of keeping true\n"
    "      proportions (a long track's section is otherwise a thin strip). For a GPS track session map, section, profile-curve and sounding are\n"
    "      the track graphs and progress is the track view; they place the readings corrected\n"
    "      for the GPS receiver's lag and the antenna's distance ahead of the instrument's\n"
    "      centre, those of the settings unless --gps-lag (0 to 5 s) or --antenna-offset (-10\n"
    "      to 10 m, negative behind) say otherwise, and leave out readings without a position.\n"
    "      --values writes the value under\n"
    "      each pixel as CSV (one line per pixel row, empty where the graph shows no value).\n"
    "      The settings are never written. Exits with 1 and the reason when the graph has\n"
    "      nothing to show.\n";

// fontconfig keeps its caches until exit; LeakSanitizer reads this when the build uses it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "lurctl render: %s\n", message.c_str());
    return 1;
}

struct RenderRequest {
    std::string path;
    std::string graph;
    uint32_t profile = 0;
    uint32_t station = 0;
    std::optional<long> reading;
    std::optional<long> frequency;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::optional<long> pixelSize;
    std::optional<long> radius;
    std::optional<double> gpsLag;
    std::optional<double> antennaOffset;
    bool stretch = false;
    std::string out;
    std::string values;
};

bool TakeInteger(Args& args, const char* name, long min, long max, std::optional<long>& value, std::string& error)
{
    const std::optional<std::string> text = args.TakeOption(name);
    if (!text)
        return true;
    value = ParseInteger(*text, min, max);
    if (!value)
        error = std::string(name) + " takes a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    return value.has_value();
}

bool TakeNumber(Args& args, const char* name, double min, double max, std::optional<double>& value,
                std::string& error)
{
    const std::optional<std::string> text = args.TakeOption(name);
    if (!text)
        return true;
    char* end = nullptr;
    const double parsed = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !(parsed >= min && parsed <= max)) {
        char range[64];
        std::snprintf(range, sizeof range, " takes a number from %g to %g", min, max);
        error = name + std::string(range);
        return false;
    }
    value = parsed;
    return true;
}

bool ParseRequest(const std::vector<std::string>& words, RenderRequest& request, std::string& error)
{
    Args args(words);
    request.graph = args.TakeOption("--graph").value_or("");
    request.stretch = args.TakeFlag("--stretch");
    std::optional<long> profile, station, width, height;
    if (!TakeInteger(args, "--profile", 0, 1L << 20, profile, error) ||
        !TakeInteger(args, "--station", 0, 1L << 20, station, error) ||
        !TakeInteger(args, "--reading", 0, 1L << 20, request.reading, error) ||
        !TakeInteger(args, "--frequency", 1, kFrequencyCount, request.frequency, error) ||
        !TakeInteger(args, "--width", 1, DibSurface::kMaxSide, width, error) ||
        !TakeInteger(args, "--height", 1, DibSurface::kMaxSide, height, error) ||
        !TakeInteger(args, "--pixel-size", 1, 1000, request.pixelSize, error) ||
        !TakeInteger(args, "--radius", 1, 100000, request.radius, error) ||
        !TakeNumber(args, "--gps-lag", 0, TrackCorrectionSettings::kMaxLagSeconds, request.gpsLag, error) ||
        !TakeNumber(args, "--antenna-offset", -TrackCorrectionSettings::kMaxAntennaAheadMetres,
                    TrackCorrectionSettings::kMaxAntennaAheadMetres, request.antennaOffset, error))
        return false;
    request.profile = static_cast<uint32_t>(profile.value_or(0));
    request.station = static_cast<uint32_t>(station.value_or(0));
    request.width = static_cast<int>(width.value_or(kDefaultWidth));
    request.height = static_cast<int>(height.value_or(kDefaultHeight));
    request.out = args.TakeOption("--out").value_or("");
    request.values = args.TakeOption("--values").value_or("");
    std::vector<std::string> positional;
    if (!args.Finish(1, 1, positional)) {
        error = args.Error();
        return false;
    }
    request.path = positional[0];
    const char* graphs[] = {"map", "section", "profile-curve", "sounding", "progress", "track-view"};
    bool known = false;
    for (const char* g : graphs)
        known |= request.graph == g;
    if (!known) {
        error = "--graph is map, section, profile-curve, sounding, progress or track-view";
        return false;
    }
    if (request.out.empty())
        request.out = request.path + "." + request.graph + ".png";
    return true;
}

// The graph of a --graph name; "track-view" is the track's progress view.
GraphKind KindOf(const std::string& graph)
{
    if (graph == "map")
        return GraphKind::Map;
    if (graph == "section")
        return GraphKind::Section;
    if (graph == "profile-curve")
        return GraphKind::ProfileCurve;
    if (graph == "sounding")
        return GraphKind::SoundingCurve;
    return GraphKind::Progress;
}

std::string TooFewReadings(const std::string& g, bool track)
{
    if (g == "map")
        return track ? "the track map needs at least 4 measured readings spread over an area"
                     : "the map needs at least 2 profiles, complete but for the current one";
    if (g == "section")
        return track ? "the track section needs at least 2 readings and 2 used frequencies"
                     : "the section needs a run of at least 2 measured stations and 2 used frequencies";
    if (g == "profile-curve")
        return track ? "the profile curve needs at least 2 readings"
                     : "the profile curve needs a run of at least 2 measured stations";
    if (g == "sounding")
        return "the sounding curve needs a measured station and at least 2 distinct used frequencies";
    return "there is nothing to show";
}

std::string Refused(GraphRefusal refusal, const RenderRequest& request, int frequencyNumber, bool track)
{
    switch (refusal) {
    case GraphRefusal::TooSmall:
        return "the picture is too small for one grid row of the " + request.graph +
               "; make it larger or the pixel size smaller";
    case GraphRefusal::BadRectangle:
        return "the picture has no usable size";
    case GraphRefusal::FrequencyNotUsed:
        return "frequency " + std::to_string(frequencyNumber) + " is not used in this session";
    case GraphRefusal::OutOfMemory:
        return "not enough memory to paint the " + request.graph;
    case GraphRefusal::TooFewReadings:
    case GraphRefusal::None:
        break;
    }
    return TooFewReadings(request.graph, track);
}

// The progress views mark the current position: walk there from the first one.
void MoveTo(DataSet& data, const RenderRequest& request)
{
    if (auto* survey = AsSurvey(data)) {
        while (!(survey->Profile() == request.profile && survey->Station() == request.station) &&
               survey->NextPosition()) {
        }
    } else if (request.reading) {
        for (long k = 0; k < *request.reading && data.NextPosition(); ++k) {
        }
    }
}

bool WriteValues(ValueSurface& surface, const std::string& path, std::string& error)
{
    std::string text;
    char number[32];
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            if (x > 0)
                text += ',';
            const float v = surface.GetValue(x, y);
            if (v != kNoDataValue) {
                std::snprintf(number, sizeof number, "%.9g", static_cast<double>(v));
                text += number;
            }
        }
        text += '\n';
    }
    const platform::FileResult written = platform::WriteFileAtomically(path, text);
    if (!written.ok)
        error = written.error;
    return written.ok;
}

} // namespace

int RunRender(const std::vector<std::string>& words)
{
    RenderRequest request;
    std::string error;
    if (!ParseRequest(words, request, error))
        return UsageError("render", error);

    // Opening a session adjusts the settings; they stay in memory, as nothing here releases
    // (and so saves) the settings object.
    CSettings& settings = CSettings::Instance();
    OpenSessionResult opened = OpenSession(request.path, settings);
    if (!opened.dataSet)
        return Fail(opened.error);
    if (request.pixelSize)
        settings.pixelSize = static_cast<int32_t>(*request.pixelSize);
    if (request.stretch)
        settings.realScaling = 0;
    if (request.gpsLag)
        settings.gpsLagSeconds = static_cast<float>(*request.gpsLag);
    if (request.antennaOffset)
        settings.antennaAheadMetres = static_cast<float>(*request.antennaOffset);
    const int frequencyNumber = static_cast<int>(request.frequency.value_or(PageFrequencyNumber(settings)));
    auto* track = AsTrack(*opened.dataSet);
    auto* survey = AsSurvey(*opened.dataSet);
    if (track && request.radius)
        track->ScatteredGridder().radius = static_cast<int32_t>(*request.radius);
    else if (track)
        track->ScatteredGridder().radius = settings.gpsTrackRadius;
    if (survey && request.graph == "track-view")
        return Fail("the track view needs a GPS track session");

    if (!EnsureFontRuntime())
        return Fail("no text rendering available");
    ValueSurface surface;
    if (!surface.Create(request.width, request.height, 32) || !surface.Clear())
        return Fail("not enough memory for the picture");
    GraphRequest graph;
    graph.kind = KindOf(request.graph);
    graph.position = {request.profile, request.station, 0};
    if (track) {
        const size_t last = track->RecordCount() > 0 ? track->RecordCount() - 1 : 0;
        graph.position.reading = static_cast<uint32_t>(request.reading ? static_cast<size_t>(*request.reading) : last);
    }
    graph.frequency = frequencyNumber - 1;
    graph.rect = PixelRect{0, 0, request.width, request.height};
    if (graph.kind == GraphKind::Progress)
        MoveTo(*opened.dataSet, request);
    GraphRefusal refusal = GraphRefusal::None;
    {
        SurfacePainter painter(surface);
        refusal = PaintGraph(*opened.dataSet, settings, graph, surface, painter.Context());
    }
    if (refusal != GraphRefusal::None)
        return Fail(Refused(refusal, request, frequencyNumber, track != nullptr));
    if (!SaveSurfacePng(surface, request.out, &error))
        return Fail(request.out + ": " + error);
    if (!request.values.empty() && !WriteValues(surface, request.values, error))
        return Fail(request.values + ": " + error);
    return 0;
}
