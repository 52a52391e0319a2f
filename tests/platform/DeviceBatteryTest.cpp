#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DeviceBattery.h"
#include "support/TempDir.h"

namespace {

struct Supply {
    const char* name;
    const char* type;
    const char* capacity; // nullptr: no capacity file
};

int PercentOf(std::initializer_list<Supply> supplies)
{
    testing_support::TempDir root;
    for (const Supply& s : supplies) {
        std::filesystem::create_directories(root.File(s.name));
        testing_support::WriteFile(root.File(s.name) + "/type", std::string(s.type) + "\n");
        if (s.capacity != nullptr) testing_support::WriteFile(root.File(s.name) + "/capacity", s.capacity);
    }
    return platform::DeviceBatteryPercent(root.path());
}

TEST(DeviceBattery, TheFirstReadableBatteryGivesThePercentageElseUnknown)
{
    constexpr int kUnknown = platform::kBatteryUnknown;
    EXPECT_EQ(87, PercentOf({{"AC", "Mains", "100\n"}, {"BAT0", "Battery", "87\n"}}));
    EXPECT_EQ(40, PercentOf({{"BAT1", "Battery", "90\n"}, {"BAT0", "Battery", "40\n"}})); // BAT0 first
    EXPECT_EQ(55, PercentOf({{"BAT0", "Battery", "garbage"}, {"BAT1", "Battery", "55"}}));
    EXPECT_EQ(kUnknown, PercentOf({{"AC", "Mains", "100"}}));
    EXPECT_EQ(kUnknown, PercentOf({{"BAT0", "Battery", nullptr}}));
    EXPECT_EQ(kUnknown, PercentOf({{"BAT0", "Battery", "150"}}));
    EXPECT_EQ(kUnknown, platform::DeviceBatteryPercent("/nonexistent/power_supply"));
}

} // namespace
