#pragma once
#include "instrument/BluetoothStack.h"

// A stack that reports the radio on and switches nothing: for tools that talk to a port
// they were given (lurctl, benchmarks) and must not touch the machine's radio.
class RadioLeftAlone final : public BluetoothStack {
public:
    uint32_t PlatformRadioMode() override { return 1; }
    void SetPlatformRadio(bool) override {}
    std::optional<uint32_t> WidcommStackMode() override { return std::nullopt; }
    Window FindWindow(const std::string&, const std::string*) override { return 0; }
    bool GetWindowText(Window, std::string&) override { return false; }
    bool SetWindowText(Window, const std::string&) override { return false; }
    void PostCommand(Window, uint32_t) override {}
};
