#pragma once
#include <string>

#include "instrument/BluetoothStack.h"

// Linux: the radio is the rfkill switch of the Bluetooth adapters (read from
// /sys/class/rfkill/*, switched through /dev/rfkill). There is no WIDCOMM stack and no tray
// window, so an unreadable or blocked radio reads as unknown.
class RfkillBluetoothStack final : public BluetoothStack {
public:
    explicit RfkillBluetoothStack(std::string sysfsDirectory = "/sys/class/rfkill",
                                  std::string controlDevice = "/dev/rfkill");

    uint32_t PlatformRadioMode() override;
    void SetPlatformRadio(bool on) override;
    std::optional<uint32_t> WidcommStackMode() override { return std::nullopt; }
    Window FindWindow(const std::string&, const std::string*) override { return 0; }
    bool GetWindowText(Window, std::string&) override { return false; }
    bool SetWindowText(Window, const std::string&) override { return false; }
    void PostCommand(Window, uint32_t) override {}

private:
    std::string sysfs_;
    std::string control_;
};
