#include "Commands.h"

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"calibration", "list, show and merge calibration sets", kCalibrationUsage, RunCalibration},
        {"settings", "show the persisted settings", kSettingsUsage, RunSettings},
        {"gps", "decode NMEA from a receiver or a recorded log", kGpsUsage, RunGps},
        {"session", "describe, export or recover a session file", kSessionUsage, RunSession},
    };
    return commands;
}
