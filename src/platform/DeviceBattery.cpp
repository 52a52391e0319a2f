#include "platform/DeviceBattery.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

namespace platform {

namespace {

std::string FirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

int DeviceBatteryPercent(const std::string& powerSupplyRoot)
{
    std::error_code error;
    std::vector<std::filesystem::path> supplies;
    for (const auto& entry : std::filesystem::directory_iterator(powerSupplyRoot, error))
        supplies.push_back(entry.path());
    // BAT0 before BAT1, whatever order the directory lists them in.
    std::sort(supplies.begin(), supplies.end());
    for (const auto& supply : supplies) {
        if (FirstLine(supply / "type") != "Battery")
            continue;
        const std::string capacity = FirstLine(supply / "capacity");
        if (capacity.empty() || capacity.size() > 3 || !std::all_of(capacity.begin(), capacity.end(), ::isdigit))
            continue;
        const int percent = std::stoi(capacity);
        if (percent <= 100)
            return percent;
    }
    return kBatteryUnknown;
}

} // namespace platform
