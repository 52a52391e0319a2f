#pragma once
#include "instrument/BluetoothStack.h"

// A platform radio in memory. Like both real stacks, no WIDCOMM stack and no tray window.
class FakeBluetoothStack final : public BluetoothStack {
public:
    struct Shared {
        uint32_t platformMode = 0;
    };

    explicit FakeBluetoothStack(Shared& shared) : s_(shared) {}

    uint32_t PlatformRadioMode() override { return s_.platformMode; }
    void SetPlatformRadio(bool on) override { s_.platformMode = on ? 1 : 0; }
    std::optional<uint32_t> WidcommStackMode() override { return std::nullopt; }
    Window FindWindow(const std::string&, const std::string*) override { return 0; }
    bool GetWindowText(Window, std::string&) override { return false; }
    bool SetWindowText(Window, const std::string&) override { return false; }
    void PostCommand(Window, uint32_t) override {}

private:
    Shared& s_;
};
