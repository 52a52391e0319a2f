#include "Commands.h"

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"calibration", "list, show and merge calibration sets", kCalibrationUsage, RunCalibration},
        {"settings", "show the persisted settings", kSettingsUsage, RunSettings},
    };
    return commands;
}
