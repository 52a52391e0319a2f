#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "GpsLink.h"
#include "acquisition/AcquisitionEngine.h"
#include "acquisition/InstrumentExchanger.h"
#include "acquisition/InstrumentWorker.h"
#include "acquisition/OwnerQueue.h"
#include "instrument/PortMap.h"
#include "session/WorkSession.h"
#include "sim/SimulatedField.h"
#include "settings/CSettings.h"

const char* const kSurveyUsage =
    "Usage:\n"
    "  lurctl survey (--simulate | --port DEV [--gps-port DEV]) --type map|limited|profile|track\n"
    "                [--x N] [--y N] [--xstep M] [--ystep M] [--readings N] [--series]\n"
    "                [--interval S] [--homogeneous OHMM] [--pacing] [--delay MS]\n"
    "                [--time-factor X] [--gps-lag S] [--antenna-ahead M] [--multi-gnss]\n"
    "                --out FILE.lur\n"
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
    "      receiver walks east-west lines 10 m apart over a 120 m x 60 m field, turning at\n"
    "      their ends on arcs of 2 m, its time\n"
    "      running --time-factor times faster (default 100). It reports each position\n"
    "      --gps-lag simulated seconds late (0 to 5, default 0), from an antenna riding\n"
    "      --antenna-ahead metres ahead of the instrument's centre (-10 to 10, negative\n"
    "      behind; default 0), and with --multi-gnss as a GPS, GLONASS, Galileo and BeiDou\n"
    "      receiver. The settings' GPS lag (or that of session export and render) that puts\n"
    "      such a track right is in the program's own seconds: the simulated lag divided by\n"
    "      the time factor, the same with --time-factor 1.\n"
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
    double gpsLagSeconds = 0;
    double antennaAheadMetres = 0;
    bool multiGnss = false;
};

// Reads the options into the plan, and the grid into the settings; the usage error, or empty.
std::string ParsePlan(const std::vector<std::string>& words, CSettings& settings, SurveyPlan& plan)
{
    Args args(words);
    plan.simulate = args.TakeFlag("--simulate");
    plan.series = args.TakeFlag("--series");
    plan.pacing = args.TakeFlag("--pacing");
    plan.multiGnss = args.TakeFlag("--multi-gnss");
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
        {"--gps-lag", 0, 5, plan.gpsLagSeconds, "seconds from 0 to 5"},
        {"--antenna-ahead", -10, 10, plan.antennaAheadMetres, "metres from -10 to 10"},
    };
    bool simulatorOptions = plan.pacing;
    bool receiverOptions = plan.multiGnss;
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
        receiverOptions |= option.name == std::string("--gps-lag") || option.name == std::string("--antenna-ahead");
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
    if (receiverOptions && !(plan.simulate && plan.track))
        return "--gps-lag, --antenna-ahead and --multi-gnss are for a simulated track";
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
        gps->lagSeconds = plan.gpsLagSeconds;
        gps->antennaAheadMetres = plan.antennaAheadMetres;
        gps->multiConstellation = plan.multiGnss;
        plan.walkSeconds /= plan.timeFactor; // the walk between readings, in real time
    }
    auto field = std::make_unique<SimulatedField>(options, gps);
    if (!field->Start(error))
        return nullptr;
    plan.device = field->InstrumentPath();
    plan.gpsDevice = field->GpsPath();
    return field;
}

// What the survey sees of the engine: progress and failures on standard error, and when
// the planned readings are done.
class SurveyReporter final : public AcquisitionListener {
public:
    SurveyReporter(WorkSession& work, SimulatedField* field, size_t planned)
        : work_(work), field_(field), planned_(planned)
    {
    }

    void ReadingStarting() override
    {
        index_ = work_.Data().CurrentIndex();
        if (field_)
            field_->PlaceInstrumentAtReceiver();
    }
    void ReadingStored(const StoredReading& stored) override
    {
        if (stored.store.outcome == MeasureOutcome::StoredInMemory && !journalFailureShown_) {
            // The reading is in memory; go on, but say once that a crash would lose it.
            std::fprintf(stderr, "\nlurctl survey: journal: %s; readings are kept in memory only\n",
                         work_.Journal().Error().c_str());
            journalFailureShown_ = true;
        }
        taken_ += stored.store.stored;
        std::fprintf(stderr, "\r%zu/%zu", std::min(taken_, planned_), planned_);
    }
    void ConnectionFailed(ExchangeFailure, int error) override
    {
        std::fprintf(stderr, "\nlurctl survey: cannot connect to the instrument: %s\n",
                     error != 0 ? std::strerror(error) : "no answer");
        failed_ = true;
    }
    void ReadingFailed(ExchangeFailure failure) override
    {
        std::fprintf(stderr, "\nlurctl survey: reading at index %u failed%s\n", index_,
                     failure == ExchangeFailure::LinkLost
                         ? ": the instrument's line went dead (switched off, or out of range?)"
                         : "");
        failed_ = true;
    }
    void SeriesEnded(SeriesEnd) override { ended_ = true; }

    bool Ended() const { return ended_; }
    bool Failed() const { return failed_; }

private:
    WorkSession& work_;
    SimulatedField* field_;
    size_t planned_;
    size_t taken_ = 0;
    uint32_t index_ = 0;
    bool journalFailureShown_ = false;
    bool ended_ = false;
    bool failed_ = false;
};

constexpr std::chrono::milliseconds kPoll{100};

// Runs the owner queue until `done` or an interrupt; false when interrupted.
template <class Done> bool RunUntil(OwnerQueue& queue, Done done)
{
    while (!done()) {
        if (interrupted)
            return false;
        queue.RunOnce(kPoll);
    }
    return true;
}

} // namespace

int RunSurvey(const std::vector<std::string>& words)
{
    CSettings& settings = CSettings::Instance();
    SurveyPlan plan;
    if (const std::string error = ParsePlan(words, settings, plan); !error.empty())
        return UsageError("survey", error);

    // The data set first: it settles the grid the simulator walks and the count of readings.
    auto work = std::make_unique<WorkSession>(settings, AcquisitionJournal::DefaultDirectory());
    if (!work->Begin())
        std::fprintf(stderr, "lurctl survey: no journal, readings are kept in memory only: %s\n",
                     work->Journal().Error().c_str());

    std::string error;
    std::unique_ptr<SimulatedField> field;
    if (plan.simulate && !(field = StartField(plan, settings, error))) {
        std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
        return 1;
    }
    PortMap ports;
    if (!plan.simulate)
        ports.Load(settings.Registry());
    const std::string instrumentDevice = ports.Resolve(plan.device);
    const std::string gpsDevice = ports.Resolve(plan.gpsDevice);

    // Readings are taken as a timed series of the engine: back to back on a grid, one every
    // --interval of walking on a track.
    const size_t perReading = plan.series ? kFrequencyCount : 1;
    const bool counted = plan.workType == kWorkProfile || plan.track;
    const size_t planned = counted ? static_cast<size_t>(plan.readings)
                                   : static_cast<size_t>(settings.gridStations) * size_t(settings.gridProfiles);
    settings.timerModeOn = 1;
    settings.timerDelayMs = plan.track ? static_cast<int32_t>(plan.walkSeconds * 1000) : 0;
    settings.timerCount = counted ? static_cast<int32_t>((planned + perReading - 1) / perReading) : 0;
    // The instrument port is the one given, whatever the settings' port number.
    ports.SetOverride(static_cast<unsigned>(settings.btInboundPort), instrumentDevice);

    OwnerQueue queue;
    CSerialPort instrumentPort, unusedGpsPort;
    CInstrument instrument(InstrumentLinks{instrumentPort, unusedGpsPort, platform::SystemTicks()});
    InstrumentExchanger exchanger(instrument, instrumentPort);
    InstrumentWorker worker(exchanger, queue);
    AcquisitionEngine engine(AcquisitionParts{settings, worker, queue, ports, nullptr});
    queue.SetEngine(&engine);
    if (!worker.Start(error)) {
        std::fprintf(stderr, "lurctl survey: cannot start the instrument thread: %s\n", error.c_str());
        return 1;
    }

    WorkSession& session = *work;
    engine.SetWork(std::move(work));
    SurveyReporter reporter(session, field.get(), planned);
    engine.SetListener(&reporter);

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    GpsLink gps(queue);
    int status = 0;
    if (plan.track) {
        const auto gapLimitMs = static_cast<uint32_t>(std::max(settings.gpsGapLimitMs, 0));
        if (!gps.Open(gpsDevice, settings.GpsBaudRate(), gapLimitMs, session, error)) {
            std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "waiting for a GPS fix...\n");
        const auto start = std::chrono::steady_clock::now();
        RunUntil(queue, [&] {
            return gps.HasFix() || gps.Lost() || std::chrono::steady_clock::now() - start > kFirstFixLimit;
        });
        if (!gps.HasFix() && !interrupted) {
            std::fprintf(stderr, "lurctl survey: %s\n",
                         gps.Lost() ? ("GPS: " + gps.Failure()).c_str() : "no GPS fix within two minutes");
            status = 1;
        }
    }
    if (status == 0 && !interrupted) {
        engine.Start();
        RunUntil(queue, [&] {
            if (plan.track && gps.Lost()) {
                std::fprintf(stderr, "\nlurctl survey: GPS: %s; the survey stops\n", gps.Failure().c_str());
                return true;
            }
            return reporter.Ended() && !engine.ExchangeRunning();
        });
        status = reporter.Failed() || (plan.track && gps.Lost()) ? 1 : 0;
    }
    // Whatever ended the survey, the reading running is stored before anything goes.
    engine.Close();
    const bool wasInterrupted = interrupted != 0;
    interrupted = 0;
    RunUntil(queue, [&] { return !engine.ExchangeRunning(); });
    std::fprintf(stderr, "%s\n", wasInterrupted ? " interrupted" : "");
    if (plan.track) {
        const auto start = std::chrono::steady_clock::now();
        RunUntil(queue, [&] {
            return session.OutstandingPositions() == 0 || gps.Lost() ||
                   std::chrono::steady_clock::now() - start > kLastAnswerLimit;
        });
        if (session.OutstandingPositions() > 0)
            std::fprintf(stderr, "lurctl survey: %u readings keep the live position at their time\n",
                         session.OutstandingPositions());
        gps.Stop();
    }
    if (field)
        field->Stop();

    platform::FileResult saved = session.Save(plan.out);
    if (!saved.ok) {
        std::fprintf(stderr, "lurctl survey: %s\n", saved.error.c_str());
        if (session.Journal().Durable())
            std::fprintf(stderr,
                         "lurctl survey: the readings stay in the journal; \"lurctl session recover %s --out "
                         "FILE.lur\" saves them elsewhere\n",
                         session.Journal().Path().c_str());
        return 1;
    }
    std::fprintf(stderr, "saved %s\n", plan.out.c_str());
    return status;
}
