#include <algorithm>
#include <chrono>
#include <cmath>
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
#include "session/WorkSession.h"
#include "sim/SimulatedField.h"
#include "settings/CSettings.h"

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
    "      The simulated instrument stands on its ground model (three layers: 0.02 S/m over\n"
    "      0.2 S/m from 1 to 3 m over 0.05 S/m, with a buried pipe across the profiles a sixth\n"
    "      of the way along them and a resistive block), or on a homogeneous ground of the\n"
    "      given resistivity, and reads it through the full layered-earth model of the\n"
    "      instrument; it answers at once unless --pacing (the pace of a\n"
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

// The GPS of a track survey should answer within this time; a receiver that has been
// switched on just now may need minutes for its first fix.
constexpr std::chrono::seconds kFirstFixLimit{120};
constexpr std::chrono::seconds kLastAnswerLimit{5};

struct SurveyPlan {
    int32_t workType = 0;
    bool track = false;
    bool simulate = false;
    bool series = false;
    bool pacing = false;
    std::string device, gpsDevice, out;
    double readings = 0;    // of a profile or a track
    double walkSeconds = 2; // between track readings
    double ohmMetres = 0;   // 0: the ground model
    double delayMs = 0;
    double timeFactor = 100;
};

// Reads the options into the plan, and the grid into the settings; the usage error, or empty.
std::string ParsePlan(const std::vector<std::string>& words, CSettings& settings, SurveyPlan& plan)
{
    Args args(words);
    plan.simulate = args.TakeFlag("--simulate");
    plan.series = args.TakeFlag("--series");
    plan.pacing = args.TakeFlag("--pacing");
    const auto type = args.TakeOption("--type");
    const auto port = args.TakeOption("--port");
    const auto gpsPort = args.TakeOption("--gps-port");
    const auto out = args.TakeOption("--out");
    plan.workType = type ? WorkTypeOf(*type) : 0;
    plan.track = plan.workType == kWorkGpsTrack;
    plan.readings = plan.track ? 200 : 20;
    double x = settings.xSize, y = settings.ySize, xStep = settings.xStep, yStep = settings.yStep;
    struct NumberOption {
        const char* name;
        double min, max;
        double& value;
        const char* takes;
    };
    const NumberOption numbers[] = {
        {"--x", 1, 100000, x, "a whole number from 1 to 100000"},
        {"--y", 1, 100000, y, "a whole number from 1 to 100000"},
        {"--xstep", 1e-3, 10000, xStep, "a distance in metres up to 10000"},
        {"--ystep", 1e-3, 10000, yStep, "a distance in metres up to 10000"},
        {"--readings", 1, 100000, plan.readings, "a whole number from 1 to 100000"},
        {"--interval", 0, 3600, plan.walkSeconds, "seconds from 0 to 3600"},
        {"--homogeneous", 0.011, 999999, plan.ohmMetres, "a resistivity in ohm-metres"},
        {"--delay", 0, 60000, plan.delayMs, "milliseconds from 0 to 60000"},
        {"--time-factor", 0.01, 1000, plan.timeFactor, "a number from 0.01 to 1000"},
    };
    bool simulatorOptions = plan.pacing;
    for (const NumberOption& option : numbers) {
        const std::optional<std::string> text = args.TakeOption(option.name);
        if (!text)
            continue;
        char* end = nullptr;
        option.value = std::strtod(text->c_str(), &end);
        if (text->empty() || *end != '\0' || !(option.value >= option.min && option.value <= option.max))
            return std::string(option.name) + " takes " + option.takes;
        simulatorOptions |= option.name == std::string("--homogeneous") || option.name == std::string("--delay") ||
                            option.name == std::string("--time-factor");
    }
    std::vector<std::string> rest;
    if (!args.Finish(0, 0, rest))
        return args.Error();
    if (plan.simulate == port.has_value())
        return "give either --simulate or --port DEV";
    if (!out)
        return "--out FILE.lur is needed";
    if (plan.workType == 0)
        return "--type takes map, limited, profile or track";
    if (port && plan.track && !gpsPort)
        return "a track on a real instrument needs --gps-port DEV";
    if (gpsPort && !(port && plan.track))
        return "--gps-port is for a track on a real instrument";
    if (!plan.simulate && simulatorOptions)
        return "--pacing, --delay, --time-factor and --homogeneous need --simulate";
    if (x != std::floor(x) || y != std::floor(y) || plan.readings != std::floor(plan.readings))
        return "--x, --y and --readings take whole numbers";
    plan.device = port.value_or("");
    plan.gpsDevice = gpsPort.value_or("");
    plan.out = *out;
    settings.workType = plan.workType;
    settings.tracerModeOn = plan.series ? 1 : 0;
    settings.xSize = static_cast<int32_t>(x);
    settings.ySize = static_cast<int32_t>(y);
    settings.xStep = static_cast<float>(xStep);
    settings.yStep = static_cast<float>(yStep);
    return {};
}

// The simulators of --simulate, started; the plan's devices become theirs.
std::unique_ptr<SimulatedField> StartField(SurveyPlan& plan, const CSettings& settings, std::string& error)
{
    InstrumentOptions options;
    options.walk.xSize = plan.workType == kWorkProfile ? 0 : static_cast<uint32_t>(settings.gridStations);
    options.walk.xStep = settings.xStep;
    options.walk.yStep = settings.yStep;
    options.pacing = plan.pacing;
    options.measurementDelayMs = static_cast<uint32_t>(plan.delayMs);
    if (plan.ohmMetres > 0) {
        options.ground = GroundModel::Homogeneous(1.0 / plan.ohmMetres);
    } else if (!plan.track) {
        const double stations = plan.workType == kWorkProfile ? plan.readings : double(settings.gridStations);
        options.ground = options.ground.PlacedIn((stations - 1) * settings.xStep,
                                                 (settings.gridProfiles - 1) * settings.yStep);
    }
    std::optional<GpsSimulatorOptions> gps;
    if (plan.track) {
        gps.emplace();
        gps->rateHz = 10;
        gps->timeFactor = plan.timeFactor;
        plan.walkSeconds /= plan.timeFactor; // the walk between readings, in real time
    }
    auto field = std::make_unique<SimulatedField>(options, gps);
    if (!field->Start(error))
        return nullptr;
    plan.device = field->InstrumentPath();
    plan.gpsDevice = field->GpsPath();
    return field;
}

// Takes the planned readings; 0, or 1 when the instrument or the GPS failed.
int TakeReadings(const SurveyPlan& plan, const CSettings& settings, WorkSession& work, InstrumentSession& session,
                 GpsLink& gps, SimulatedField* field)
{
    // Readings at the grid's last station overwrite it, so the grid bounds the count.
    const size_t planned = plan.workType == kWorkProfile || plan.track
                               ? static_cast<size_t>(plan.readings)
                               : static_cast<size_t>(settings.gridStations) * static_cast<size_t>(settings.gridProfiles);
    const size_t perReading = plan.series ? kFrequencyCount : 1;
    bool journalFailureShown = false;
    for (size_t taken = 0; taken < planned && !interrupted;) {
        const uint32_t index = work.Data().CurrentIndex();
        if (field)
            field->PlaceInstrumentAtReceiver();
        const MeasureOutcome outcome = work.Measure(session.Instrument());
        if (outcome == MeasureOutcome::Failed) {
            std::fprintf(stderr, "\nlurctl survey: reading at index %u failed%s\n", index,
                         session.LinkLost() ? ": the instrument's line went dead (switched off, or out of range?)"
                                            : "");
            return 1;
        }
        if (outcome == MeasureOutcome::StoredInMemory && !journalFailureShown) {
            // The reading is in memory; go on, but say once that a crash would lose it.
            std::fprintf(stderr, "\nlurctl survey: journal: %s; readings are kept in memory only\n",
                         work.Journal().Error().c_str());
            journalFailureShown = true;
        }
        taken += perReading;
        std::fprintf(stderr, "\r%zu/%zu", std::min(taken, planned), planned);
        if (plan.track) {
            gps.Pump(work, std::chrono::milliseconds(static_cast<long>(plan.walkSeconds * 1000)), false);
            if (gps.Lost()) {
                std::fprintf(stderr, "\nlurctl survey: GPS: %s; the survey stops\n", gps.Failure().c_str());
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int RunSurvey(const std::vector<std::string>& words)
{
    CSettings& settings = CSettings::Instance();
    SurveyPlan plan;
    if (const std::string error = ParsePlan(words, settings, plan); !error.empty())
        return UsageError("survey", error);

    WorkSession work(settings, AcquisitionJournal::DefaultDirectory());
    if (!work.Begin())
        std::fprintf(stderr, "lurctl survey: no journal, readings are kept in memory only: %s\n",
                     work.Journal().Error().c_str());

    std::string error;
    std::unique_ptr<SimulatedField> field;
    if (plan.simulate && !(field = StartField(plan, settings, error))) {
        std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
        return 1;
    }
    InstrumentSession session;
    if (!session.Open(plan.device, error)) {
        std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
        return 1;
    }

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    GpsLink gps;
    int status = 0;
    if (plan.track) {
        if (!gps.Open(plan.gpsDevice, settings.GpsBaudRate(), work, error)) {
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
    if (status == 0)
        status = TakeReadings(plan, settings, work, session, gps, field.get());
    std::fprintf(stderr, "%s\n", interrupted ? " interrupted" : "");
    if (plan.track) {
        if (!gps.Lost())
            gps.Pump(work, kLastAnswerLimit, true);
        if (work.OutstandingPositions() > 0)
            std::fprintf(stderr, "lurctl survey: %u readings keep the live position at their time\n",
                         work.OutstandingPositions());
        gps.Stop();
    }
    if (field)
        field->Stop();

    platform::FileResult saved = work.Save(plan.out);
    if (!saved.ok) {
        std::fprintf(stderr, "lurctl survey: %s\n", saved.error.c_str());
        if (work.Journal().Durable())
            std::fprintf(stderr,
                         "lurctl survey: the readings stay in the journal; \"lurctl session recover %s --out "
                         "FILE.lur\" saves them elsewhere\n",
                         work.Journal().Path().c_str());
        return 1;
    }
    std::fprintf(stderr, "saved %s\n", plan.out.c_str());
    return status;
}
