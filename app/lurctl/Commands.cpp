#include "Commands.h"

#include "Module.h"

namespace {

int HandRenderOver(const std::vector<std::string>&) { return RunModule("render", kRenderModule); }

int HandGisExportOver(const GisExportRequest&) { return RunModule("session", kExportModule); }

int RunSessionHere(const std::vector<std::string>& args) { return RunSession(args, HandGisExportOver); }

int HandInvertedGisOver(const InvertRequest&) { return RunModule("invert", kExportModule); }

int RunInvertHere(const std::vector<std::string>& args) { return RunInvert(args, HandInvertedGisOver); }

} // namespace

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"calibration", "list, show and merge calibration sets", kCalibrationUsage, RunCalibration},
        {"settings", "show the persisted settings", kSettingsUsage, RunSettings},
        {"gps", "decode NMEA from a receiver or a recorded log", kGpsUsage, RunGps},
        {"session", kSessionSummary, kSessionUsage, RunSessionHere},
        {"survey", "take a whole survey from an instrument or the simulator", kSurveyUsage, RunSurvey},
        {"read", "take one reading from an instrument", kReadUsage, RunRead},
        {"battery", "read an instrument's battery voltage", kBatteryUsage, RunBattery},
        {"render", kRenderSummary, kRenderUsage, HandRenderOver},
        {"forward", "model the instrument over a layered ground", kForwardUsage, RunForward},
        {"invert", kInvertSummary, kInvertUsage, RunInvertHere},
    };
    return commands;
}
