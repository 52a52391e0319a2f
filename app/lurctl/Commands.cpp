#include "Commands.h"
#include "LinkCommands.h"

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"calibration", "list, show and merge calibration sets", kCalibrationUsage, RunCalibration},
        {"read", "one reading", kReadUsage, RunRead},
        {"battery", "battery", kBatteryUsage, RunBattery},
        {"settings", "show the persisted settings", kSettingsUsage, RunSettings},
    };
    return commands;
}
