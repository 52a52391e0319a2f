#include "Commands.h"

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"calibration", "list, show and merge calibration sets", kCalibrationUsage, RunCalibration},
        {"settings", "show the persisted settings", kSettingsUsage, RunSettings},
        {"gps", "decode NMEA from a receiver or a recorded log", kGpsUsage, RunGps},
        {"session", "describe, export or recover a session file", kSessionUsage, RunSession},
        {"survey", "take a whole survey from an instrument or the simulator", kSurveyUsage, RunSurvey},
        {"read", "take one reading from an instrument", kReadUsage, RunRead},
        {"battery", "read an instrument's battery voltage", kBatteryUsage, RunBattery},
        {"render", "paint a graph of a session file as PNG", kRenderUsage, RunRender},
        {"forward", "model the instrument over a layered ground", kForwardUsage, RunForward},
        {"invert", "invert a session's readings for layered grounds, as CSV", kInvertUsage, RunInvert},
    };
    return commands;
}
