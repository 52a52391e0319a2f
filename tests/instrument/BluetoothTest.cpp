// Radio control over the platform stack, and the Linux rfkill backend.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "instrument/CBluetoothControl.h"
#include "instrument/FakeBluetoothStack.h"
#include "instrument/RfkillBluetoothStack.h"
#include "support/TempDir.h"

namespace {

TEST(RfkillBluetoothStack, ReadsAndSwitchesTheBluetoothSwitches)
{
    testing_support::TempDir sys;
    testing_support::WriteFile(sys.File("rfkill"), "");
    RfkillBluetoothStack stack(sys.path(), sys.File("rfkill"));
    EXPECT_EQ(stack.PlatformRadioMode(), 0u); // no adapter
    for (auto [name, type, state] : {std::array<const char*, 3>{"rfkill0", "wlan", "1"},
                                     {"rfkill1", "bluetooth", "0"}, {"rfkill2", "bluetooth", "1"}}) {
        ASSERT_EQ(mkdir(sys.File(name).c_str(), 0755), 0);
        testing_support::WriteFile(sys.File(name) + "/type", std::string(type) + "\n");
        testing_support::WriteFile(sys.File(name) + "/state", std::string(state) + "\n");
        // A blocked adapter alone reads off; wlan does not count.
        EXPECT_EQ(stack.PlatformRadioMode(), std::string(name) == "rfkill2" ? 1u : 0u) << name;
    }
    EXPECT_FALSE(stack.WidcommStackMode().has_value());
    EXPECT_EQ(stack.FindWindow("WCE_BTTRAY", nullptr), 0u);

    stack.SetPlatformRadio(false);
    const std::string written = testing_support::ReadFile(sys.File("rfkill"));
    // idx (u32), type, op, soft, hard.
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(static_cast<uint8_t>(written[4]), 2); // RFKILL_TYPE_BLUETOOTH
    EXPECT_EQ(static_cast<uint8_t>(written[5]), 3); // RFKILL_OP_CHANGE_ALL
    EXPECT_EQ(static_cast<uint8_t>(written[6]), 1); // soft block = off

    CBluetoothControl control(std::make_unique<RfkillBluetoothStack>("/nonexistent/rfkill", "/nonexistent/dev"));
    EXPECT_EQ(control.GetRadioMode(), -1); // no adapter, no rights: unknown
    EXPECT_EQ(control.RadioOn(), -1);
    EXPECT_EQ(control.RadioOff(), -1);
}

// A WIDCOMM radio that the platform switch does not reach is switched through its tray window,
// and only when it is not already as asked; without the tray the answer is unknown.
TEST(CBluetoothControl, AWidcommRadioIsSwitchedThroughItsTray)
{
    FakeBluetoothStack::Shared radio;
    radio.platformCanSwitch = false;
    radio.stackMode = 0;
    radio.trayExists = true;
    CBluetoothControl control(std::make_unique<FakeBluetoothStack>(radio));
    EXPECT_EQ(control.GetRadioMode(), 0);
    EXPECT_EQ(control.RadioOn(), 0);
    EXPECT_EQ(control.RadioOn(), 0);
    EXPECT_EQ(control.GetRadioMode(), 1);
    EXPECT_EQ(control.RadioOff(), 0);
    EXPECT_EQ(control.GetRadioMode(), 0);
    EXPECT_EQ(radio.posted, (std::vector<uint32_t>{CBluetoothControl::kTrayRadioOn, CBluetoothControl::kTrayRadioOff}));

    FakeBluetoothStack::Shared noTray = radio;
    noTray.trayExists = false;
    CBluetoothControl without(std::make_unique<FakeBluetoothStack>(noTray));
    EXPECT_EQ(without.RadioOn(), -1);
}

} // namespace
