// Radio control over the platform stack and the WIDCOMM tray, and the Linux rfkill backend.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "instrument/CBluetoothControl.h"
#include "instrument/FakeBluetoothStack.h"
#include "instrument/RfkillBluetoothStack.h"
#include "support/TempDir.h"

namespace {

struct Radio {
    FakeBluetoothStack::Shared s;
    CBluetoothControl control{std::make_unique<FakeBluetoothStack>(s)};
};

TEST(BluetoothControl, RadioModeFromPlatformThenWidcomm)
{
    Radio r;
    EXPECT_EQ(r.control.GetRadioMode(), -1); // platform off, no WIDCOMM key
    r.s.stackMode = 0;
    EXPECT_EQ(r.control.GetRadioMode(), 0);
    r.s.stackMode = 5;
    EXPECT_EQ(r.control.GetRadioMode(), 1);
    r.s.stackMode.reset();
    r.s.platformMode = 2;
    EXPECT_EQ(r.control.GetRadioMode(), 1);
}

TEST(BluetoothControl, PlatformStackSwitchesWithoutTheTray)
{
    Radio r;
    r.s.trayExists = true;
    EXPECT_EQ(r.control.RadioOn(), 0);
    EXPECT_EQ(r.s.platformMode, 1u);
    EXPECT_TRUE(r.s.posted.empty());
    // Off on the platform stack, and without a WIDCOMM key the mode then reads unknown.
    EXPECT_EQ(r.control.RadioOff(), -1);
    EXPECT_EQ(r.s.platformMode, 0u);
    EXPECT_TRUE(r.s.posted.empty());
    r.s.stackMode = 0;
    EXPECT_EQ(r.control.RadioOff(), 0);
}

TEST(BluetoothControl, WidcommRadioIsSwitchedThroughTheTray)
{
    Radio r;
    r.s.platformCanSwitch = false;
    r.s.stackMode = 0;
    r.s.trayExists = true;
    EXPECT_EQ(r.control.RadioOn(), 0);
    EXPECT_EQ(r.s.posted, (std::vector<uint32_t>{4098}));
    EXPECT_EQ(r.control.RadioOff(), 0);
    EXPECT_EQ(r.s.posted, (std::vector<uint32_t>{4098, 4097}));
    // Already off: nothing more is posted.
    EXPECT_EQ(r.control.RadioOff(), 0);
    EXPECT_EQ(r.s.posted.size(), 2u);
}

TEST(BluetoothControl, NoWayToSwitchGivesMinusOne)
{
    Radio none;
    none.s.platformCanSwitch = false;
    EXPECT_EQ(none.control.RadioOn(), -1);
    EXPECT_EQ(none.control.RadioOff(), -1);

    Radio noTray;
    noTray.s.platformCanSwitch = false;
    noTray.s.stackMode = 0;
    EXPECT_EQ(noTray.control.RadioOn(), -1);
    noTray.s.stackMode = 1;
    EXPECT_EQ(noTray.control.RadioOff(), -1);
}

TEST(BluetoothControl, TrayFoundByClassWhenItsTitleWasChanged)
{
    Radio r;
    r.s.trayExists = true;
    r.s.trayTitle = "Выберите устройство GPS"; // left by an interrupted run
    EXPECT_NE(r.control.FindTrayWindow(), 0u);
    ASSERT_EQ(r.s.windowSearches.size(), 2u);
    EXPECT_TRUE(r.s.windowSearches[0].second);  // first by class and title
    EXPECT_FALSE(r.s.windowSearches[1].second); // then by class alone
    // Remembered: no further searches.
    std::string title;
    EXPECT_TRUE(r.control.GetTrayTitle(title));
    EXPECT_EQ(title, "Выберите устройство GPS");
    EXPECT_TRUE(r.control.SetTrayTitle("Bluetooth Console"));
    EXPECT_EQ(r.s.windowSearches.size(), 2u);
}

TEST(BluetoothControl, MissingTrayIsLookedForAgainByClass)
{
    Radio r;
    std::string title;
    EXPECT_FALSE(r.control.GetTrayTitle(title));
    EXPECT_FALSE(r.control.SetTrayTitle("x"));
    r.s.trayExists = true;
    EXPECT_NE(r.control.FindTrayWindow(), 0u);
    EXPECT_FALSE(r.s.windowSearches.back().second);
}

void MakeDevice(const std::string& root, const std::string& name, const std::string& type, const std::string& state)
{
    std::string dir = root + "/" + name;
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    testing_support::WriteFile(dir + "/type", type + "\n");
    testing_support::WriteFile(dir + "/state", state + "\n");
}

TEST(RfkillBluetoothStack, ReadsTheBluetoothSwitches)
{
    testing_support::TempDir sys;
    RfkillBluetoothStack stack(sys.path(), sys.File("rfkill"));
    EXPECT_EQ(stack.PlatformRadioMode(), 0u); // no adapter
    MakeDevice(sys.path(), "rfkill0", "wlan", "1");
    MakeDevice(sys.path(), "rfkill1", "bluetooth", "0");
    EXPECT_EQ(stack.PlatformRadioMode(), 0u); // only a blocked adapter; wlan does not count
    MakeDevice(sys.path(), "rfkill2", "bluetooth", "1");
    EXPECT_EQ(stack.PlatformRadioMode(), 1u);
    EXPECT_FALSE(stack.WidcommStackMode().has_value());
    EXPECT_EQ(stack.FindWindow("WCE_BTTRAY", nullptr), 0u);
}

TEST(RfkillBluetoothStack, SwitchWritesOneBluetoothEvent)
{
    testing_support::TempDir sys;
    testing_support::WriteFile(sys.File("rfkill"), "");
    RfkillBluetoothStack stack(sys.path(), sys.File("rfkill"));
    stack.SetPlatformRadio(false);
    std::string written = testing_support::ReadFile(sys.File("rfkill"));
    // idx (u32), type, op, soft, hard.
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(static_cast<uint8_t>(written[4]), 2); // RFKILL_TYPE_BLUETOOTH
    EXPECT_EQ(static_cast<uint8_t>(written[5]), 3); // RFKILL_OP_CHANGE_ALL
    EXPECT_EQ(static_cast<uint8_t>(written[6]), 1); // soft block = off
}

TEST(RfkillBluetoothStack, NoAdapterAndNoRightsReadAsUnknown)
{
    CBluetoothControl control(std::make_unique<RfkillBluetoothStack>("/nonexistent/rfkill", "/nonexistent/dev"));
    EXPECT_EQ(control.GetRadioMode(), -1);
    EXPECT_EQ(control.RadioOn(), -1);
    EXPECT_EQ(control.RadioOff(), -1);
}

} // namespace
