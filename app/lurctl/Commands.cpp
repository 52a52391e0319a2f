#include "Commands.h"

#include "Module.h"

namespace {

int HandRenderOver(const std::vector<std::string>&) { return RunModule("render", kRenderModule); }

int HandGisExportOver(const GisExportRequest&) { return RunModule("session", kExportModule); }

int RunSessionHere(const std::vector<std::string>& args) { return RunSession(args, HandGisExportOver); }

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
        {"invert", "invert a session's readings for layered grounds, as CSV", kInvertUsage, RunInvert},
    };
    return commands;
}
