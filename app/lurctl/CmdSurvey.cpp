#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "InstrumentSession.h"
#include "settings/CSettings.h"
#include "sim/InstrumentSimulator.h"
#include "survey/AcquisitionJournal.h"
#include "survey/SessionFile.h"
#include "survey/SurveyDataSet.h"

const char* const kSurveyUsage =
    "Usage:\n"
    "  lurctl survey (--simulate | --port DEV) --type map|limited|profile [--x N] [--y N]\n"
    "                [--xstep M] [--ystep M] [--readings N] [--series] [--homogeneous OHMM]\n"
    "                --out FILE.lur\n"
    "      Takes a whole survey through the instrument protocol: against the built-in\n"
    "      instrument simulator on a pseudo-terminal (--simulate), or against a real\n"
    "      instrument port. --x, --y, --xstep and --ystep set the grid (default: the\n"
    "      settings' xSize, ySize, xStep, yStep;\n"
    "      a profile is open-ended and takes --readings readings, default 20); --series asks\n"
    "      for 14 single-frequency records per reading. The simulator stands on its ground\n"
    "      model (a buried pipe and a resistive block), or on a homogeneous ground of the\n"
    "      given resistivity. Progress goes to standard error. The session is saved at the\n"
    "      end, and on Ctrl-C with what was measured; the settings file is not changed.\n"
    "      Every reading is journalled to disk as it is taken, so a survey that is killed\n"
    "      can be rebuilt with \"lurctl session recover\".\n";

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
    return 0;
}

} // namespace

int RunSurvey(const std::vector<std::string>& words)
{
    Args args(words);
    const bool simulate = args.TakeFlag("--simulate");
    const bool series = args.TakeFlag("--series");
    auto type = args.TakeOption("--type");
    auto x = args.TakeOption("--x");
    auto y = args.TakeOption("--y");
    auto readings = args.TakeOption("--readings");
    auto xStep = args.TakeOption("--xstep");
    auto yStep = args.TakeOption("--ystep");
    auto homogeneous = args.TakeOption("--homogeneous");
    auto port = args.TakeOption("--port");
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
        return UsageError("survey", "--type takes map, limited or profile");

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
        char* end = nullptr;
        const double value = std::strtod(text->c_str(), &end);
        if (*end != '\0' || !(value > 0 && value <= 10000))
            return false;
        field = static_cast<float>(value);
        return true;
    };
    if (!step(xStep, settings.xStep) || !step(yStep, settings.yStep))
        return UsageError("survey", "--xstep and --ystep take a distance in metres up to 10000");
    auto count = readings ? ParseInteger(*readings, 1, 100000) : std::optional<long>(20);
    if (!count)
        return UsageError("survey", "--readings takes a whole number from 1 to 100000");
    double ohmMetres = 0;
    if (homogeneous) {
        char* end = nullptr;
        ohmMetres = std::strtod(homogeneous->c_str(), &end);
        if (*end != '\0' || !(ohmMetres > 0.01 && ohmMetres < 1e6))
            return UsageError("survey", "--homogeneous takes a resistivity in ohm-metres");
    }

    auto dataSet = std::make_unique<SurveyDataSet>(settings);
    AcquisitionJournal journal(AcquisitionJournal::DefaultDirectory(), settings);
    if (!journal.Start(*dataSet))
        std::fprintf(stderr, "lurctl survey: no journal, readings are kept in memory only: %s\n",
                     journal.Error().c_str());
    dataSet->SetJournal(&journal);
    std::unique_ptr<InstrumentSimulator> simulator;
    std::string device = port ? *port : "";
    if (simulate) {
        InstrumentOptions options;
        options.walk.xSize = workType == kWorkProfile ? 0 : static_cast<uint32_t>(settings.gridStations);
        options.walk.xStep = settings.xStep;
        options.walk.yStep = settings.yStep;
        if (homogeneous) {
            options.ground.background = 1.0 / ohmMetres;
            options.ground.pipeConductivity = 0;
            options.ground.blockConductivity = options.ground.background;
        }
        simulator = std::make_unique<InstrumentSimulator>(options, BuiltInCalibrationSet());
        if (!simulator->Start()) {
            std::fprintf(stderr, "lurctl survey: no pseudo-terminal for the simulator\n");
            return 1;
        }
        device = simulator->DevicePath();
    }
    InstrumentSession session;
    std::string error;
    if (!session.Open(device, error)) {
        std::fprintf(stderr, "lurctl survey: %s\n", error.c_str());
        return 1;
    }

    // Readings at the grid's last station overwrite it, so the grid bounds the count.
    const size_t planned = workType == kWorkProfile
                               ? static_cast<size_t>(*count)
                               : static_cast<size_t>(settings.gridStations) * static_cast<size_t>(settings.gridProfiles);
    const size_t perReading = series ? kFrequencyCount : 1;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    size_t taken = 0;
    int status = 0;
    while (taken < planned && !interrupted) {
        const uint32_t index = dataSet->CurrentIndex();
        if (!dataSet->Measure(session.Instrument())) {
            if (!journal.Durable()) {
                // The reading is in memory; go on, but say that a crash would lose it.
                std::fprintf(stderr, "\nlurctl survey: journal: %s\n", journal.Error().c_str());
            } else {
                std::fprintf(stderr, "\nlurctl survey: reading at index %u failed\n", index);
                status = 1;
                break;
            }
        }
        taken += perReading;
        std::fprintf(stderr, "\r%zu/%zu", std::min(taken, planned), planned);
    }
    std::fprintf(stderr, "%s\n", interrupted ? " interrupted" : "");
    if (simulator)
        simulator->Stop();

    platform::FileResult saved = SaveSession(*dataSet, *out);
    if (!saved.ok) {
        std::fprintf(stderr, "lurctl survey: %s\n", saved.error.c_str());
        return 1;
    }
    std::fprintf(stderr, "saved %s\n", out->c_str());
    return status;
}
