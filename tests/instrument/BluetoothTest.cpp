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

} // namespace
