#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "GpsLink.h"
#include "InstrumentSession.h"
#include "SimulatedField.h"
#include "settings/CSettings.h"
#include "survey/AcquisitionJournal.h"
#include "survey/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

const char* const kSurveyUsage =
    "Usage:\n"
    "  lurctl survey (--simulate | --port DEV [--gps-port DEV]) --type map|limited|profile|track\n"
    "                [--x N] [--y N] [--xstep M] [--ystep M] [--readings N] [--series]\n"
    "                [--interval S] [--homogeneous OHMM] [--pacing] [--delay MS]\n"
    "                [--time-factor X] --out FILE.lur\n"
    "      Takes a whole survey through the instrument protocol: against the built-in\n"
    "      simulators on pseudo-terminals (--simulate), or against a real instrument port\n"
    "      (and, for a track, a real GPS port). --x, --y, --xstep and --ystep set the grid\n"
    "      (default: the settings' xSize, ySize, xStep, yStep). A profile is open-ended and\n"
    "      takes --readings readings (default 20); a track takes --readings readings (default\n"
    "      200) every --interval seconds of walking (default 2), each placed where the GPS\n"
    "      says it was taken. --series asks for 14 single-frequency records per reading.\n"
    "      The simulated instrument stands on its ground model (a buried pipe across the\n"
    "      profiles a sixth of the way along them, and a resistive block), or on a homogeneous\n"
    "      ground of the given resistivity; it answers at once unless --pacing (the pace of a\n"
    "      9600-baud line) or --delay (a measurement time) is given. The simulated GPS\n"
    "      receiver walks east-west lines 10 m apart over a 120 m x 60 m field, its time\n"
    "      running --time-factor times faster (default 100).\n"
    "      Progress goes to standard error. The session is saved at the end, and on Ctrl-C\n"
    "      with what was measured; the settings file is not changed. Every reading is\n"
    "      journalled to disk as it is taken, so a survey that is killed can be rebuilt with\n"
    "      \"lurctl session recover\".\n";

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int)
{
    interrupted = 1;
}

int32_t WorkTypeOf(const std::string& name)
{
    if (name == "map")
        return kWorkMap;
    if (name == "limited")
        return kWorkLimitedProfile;
    if (name == "profile")
        return kWorkProfile;
    if (name == "track")
        return kWorkGpsTrack;
    return 0;
}

std::optional<double> ParseNumber(const std::string& text, double min, double max)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= min && value <= max))
        return std::nullopt;
    return value;
}

// The GPS of a track survey should answer within this time; a receiver that has been
// switched on just now may need minutes for its first fix.
constexpr std::chrono::seconds kFirstFixLimit{120};
constexpr std::chrono::seconds kLastAnswerLimit{5};

} // namespace

int RunSurvey(const std::vector<std::string>& words)
{
    Args args(words);
    const bool simulate = args.TakeFlag("--simulate");
    const bool series = args.TakeFlag("--series");
    const bool pacing = args.TakeFlag("--pacing");
    auto type = args.TakeOption("--type");
    auto x = args.TakeOption("--x");
    auto y = args.TakeOption("--y");
    auto readings = args.TakeOption("--readings");
    auto xStep = args.TakeOption("--xstep");
    auto yStep = args.TakeOption("--ystep");
    auto interval = args.TakeOption("--interval");
    auto homogeneous = args.TakeOption("--homogeneous");
    auto delay = args.TakeOption("--delay");
    auto timeFactor = args.TakeOption("--time-factor");
    auto port = args.TakeOption("--port");
    auto gpsPort = args.TakeOption("--gps-port");
    auto out = args.TakeOption("--out");
    std::vector<std::string> rest;
    if (!args.Finish(0, 0, rest))
        return UsageError("survey", args.Error());
    if (simulate == port.has_value())
        return UsageError("survey", "give either --simulate or --port DEV");
    if (!out)
        return UsageError("survey", "--out FILE.lur is needed");
    const int32_t workType = type ? WorkTypeOf(*type) : 0;
    if (workType == 0)
        return UsageError("survey", "--type takes map, limited, profile or track");
    const bool track = workType == kWorkGpsTrack;
    if (port && track && !gpsPort)
        return UsageError("survey", "a track on a real instrument needs --gps-port DEV");
    if (gpsPort && !(port && track))
        return UsageError("survey", "--gps-port is for a track on a real instrument");
    if (!simulate && (pacing || delay || timeFactor || homogeneous))
        return UsageError("survey", "--pacing, --delay, --time-factor and --homogeneous need --simulate");

    CSettings& settings = CSettings::Instance();
    settings.workType = workType;
    settings.tracerModeOn = series ? 1 : 0;
    auto size = [&](const std::optional<std::string>& text, int32_t& field) {
        if (!text)
            return true;
        auto value = ParseInteger(*text, 1, 100000);
        if (value)
            field = static_cast<int32_t>(*value);
        return value.has_value();
    };
    if (!size(x, settings.xSize) || !size(y, settings.ySize))
        return UsageError("survey", "--x and --y take a whole number from 1 to 100000");
    auto step = [&](const std::optional<std::string>& text, float& field) {
        if (!text)
            return true;
        auto value = ParseNumber(*text, 1e-3, 10000);
        if (value)
            field = static_cast<float>(*value);
        return value.has_value();
    };
    if (!step(xStep, settings.xStep) || !step(yStep, settings.yStep))
        return UsageError("survey", "--xstep and --ystep take a distance in metres up to 10000");
    auto count = readings ? ParseInteger(*readings, 1, 100000) : std::optional<long>(track ? 200 : 20);
    if (!count)
        return UsageError("survey", "--readings takes a whole number from 1 to 100000");
    auto walkSeconds = interval ? ParseNumber(*interval, 0, 3600) : std::optional<double>(2.0);
    if (!walkSeconds)
        return UsageError("survey", "--interval takes seconds from 0 to 3600");
    auto ohmMetres = homogeneous ? ParseNumber(*homogeneous, 0.011, 999999) : std::optional<double>(0);
    if (!ohmMetres)
        return UsageError("survey", "--homogeneous takes a resistivity in ohm-metres");
    auto delayMs = delay ? ParseInteger(*delay, 0, 60000) : std::optional<long>(0);
    if (!delayMs)
        return UsageError("survey", "--delay takes milliseconds from 0 to 60000");
    auto speedUp = timeFactor ? ParseNumber(*timeFactor, 0.01, 1000) : std::optional<double>(100);
    if (!speedUp)
        return UsageError("survey", "--time-factor takes a number from 0.01 to 1000");

    std::unique_ptr<DataSet> dataSet;
    if (track)
        dataSet = std::make_unique<TrackDataSet>(settings);
    else
        dataSet = std::make_unique<SurveyDataSet>(settings);
    AcquisitionJournal journal(AcquisitionJournal::DefaultDirectory(), settings);
    if (!journal.Start(*dataSet))
        std::fprintf(stderr, "lurctl survey: no journal, readings are kept in memory only: %s\n",
                     journal.Error().c_str());
    dataSet->SetJournal(&journal);

    std::unique_ptr<SimulatedField> field;
    std::string device = port ? *port : "";
    std::string gpsDevice = gpsPort ? *gpsPort : "";
    double walkRealSeconds = *walkSeconds;
    if (simulate) {
        InstrumentOptions options;
        options.walk.xSize = workType == kWorkProfile ? 0 : static_cast<uint32_t>(settings.gridStations);
        options.walk.xStep = settings.xStep;
        options.walk.yStep = settings.yStep;
        options.pacing = pacing;
        options.measurementDelayMs = static_cast<uint32_t>(*delayMs);
        if (homogeneous) {
            options.ground.background = 1.0 / *ohmMetres;
            options.ground.pipeConductivity = 0;
            options.ground.blockConductivity = options.ground.background;
        } else if (!track) {
            const double stations = workType == kWorkProfile ? double(*count) : double(settings.gridStations);
            options.ground = options.ground.PlacedIn((stations - 1) * settings.xStep,
                                                     (settings.gridProfiles - 1) * settings.yStep);
        }
        std::optional<GpsSimulatorOptions> gps;
        if (track) {
            gps.emplace();
            gps->rateHz = 10;
            gps->timeFactor = *speedUp;
            walkRealSeconds /= *speedUp;
        }
        field = std::make_unique<SimulatedField>(options, gps);
        std::string error;
        if (!field->Start(error)) {
            std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
            return 1;
        }
        device = field->InstrumentPath();
        gpsDevice = field->GpsPath();
    }
    InstrumentSession session;
    std::string error;
    if (!session.Open(device, error)) {
        std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
        return 1;
    }

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    GpsLink gps;
    int status = 0;
    if (track) {
        if (!gps.Open(gpsDevice, settings.GpsBaudRate(), error)) {
            std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "waiting for a GPS fix...\n");
        if (!gps.WaitForFix(kFirstFixLimit, interrupted) && !interrupted) {
            std::fprintf(stderr, "lurctl survey: %s\n",
                         gps.Lost() ? ("GPS: " + gps.Failure()).c_str() : "no GPS fix within two minutes");
            status = 1;
        }
    }

    // Readings at the grid's last station overwrite it, so the grid bounds the count.
    const size_t planned = workType == kWorkProfile || track
                               ? static_cast<size_t>(*count)
                               : static_cast<size_t>(settings.gridStations) * static_cast<size_t>(settings.gridProfiles);
    const size_t perReading = series ? kFrequencyCount : 1;
    size_t taken = 0;
    bool journalFailureShown = false;
    while (status == 0 && taken < planned && !interrupted) {
        const uint32_t index = dataSet->CurrentIndex();
        if (field)
            field->PlaceInstrumentAtReceiver();
        if (!dataSet->Measure(session.Instrument())) {
            if (!journal.Durable()) {
                // The reading is in memory; go on, but say once that a crash would lose it.
                if (!journalFailureShown)
                    std::fprintf(stderr, "\nlurctl survey: journal: %s; readings are kept in memory only\n",
                                 journal.Error().c_str());
                journalFailureShown = true;
            } else {
                std::fprintf(stderr, "\nlurctl survey: reading at index %u failed%s\n", index,
                             session.LinkLost() ? ": the instrument's line went dead (switched off, or out of range?)"
                                                : "");
                status = 1;
                break;
            }
        }
        taken += perReading;
        std::fprintf(stderr, "\r%zu/%zu", std::min(taken, planned), planned);
        if (track) {
            auto& trackSet = static_cast<TrackDataSet&>(*dataSet);
            gps.RequestPositions(trackSet, index);
            gps.Pump(trackSet, std::chrono::milliseconds(static_cast<long>(walkRealSeconds * 1000)), false);
            if (gps.Lost()) {
                std::fprintf(stderr, "\nlurctl survey: GPS: %s; the survey stops\n", gps.Failure().c_str());
                status = 1;
            }
        }
    }
    std::fprintf(stderr, "%s\n", interrupted ? " interrupted" : "");
    if (track) {
        auto& trackSet = static_cast<TrackDataSet&>(*dataSet);
        if (!gps.Lost())
            gps.Pump(trackSet, kLastAnswerLimit, true);
        if (gps.Outstanding() > 0)
            std::fprintf(stderr, "lurctl survey: %u readings keep the live position at their time\n",
                         gps.Outstanding());
        gps.Stop();
    }
    if (field)
        field->Stop();

    platform::FileResult saved = SaveSession(*dataSet, *out);
    if (!saved.ok) {
        std::fprintf(stderr, "lurctl survey: %s\n", saved.error.c_str());
        if (journal.Durable())
            std::fprintf(stderr, "lurctl survey: the readings stay in the journal; \"lurctl session recover %s --out FILE.lur\" saves them elsewhere\n",
                         journal.Path().c_str());
        return 1;
    }
    std::fprintf(stderr, "saved %s\n", out->c_str());
    return status;
}
