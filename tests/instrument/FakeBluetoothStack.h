#pragma once
#include <string>
#include <vector>

#include "instrument/BluetoothStack.h"

// A platform radio in memory, without a WIDCOMM stack; a tray window only when asked for.
class FakeBluetoothStack final : public BluetoothStack {
public:
    struct Shared {
        uint32_t platformMode = 0;
        bool trayExists = false;
        std::string trayTitle = "Bluetooth Console";
        std::vector<std::string> titles; // every title set, in order
    };

    explicit FakeBluetoothStack(Shared& shared) : s_(shared) {}

    uint32_t PlatformRadioMode() override { return s_.platformMode; }
    void SetPlatformRadio(bool on) override { s_.platformMode = on ? 1 : 0; }
    std::optional<uint32_t> WidcommStackMode() override { return std::nullopt; }
    Window FindWindow(const std::string& windowClass, const std::string* title) override
    {
        return s_.trayExists && windowClass == "WCE_BTTRAY" && (!title || *title == s_.trayTitle) ? kTray : 0;
    }
    bool GetWindowText(Window window, std::string& text) override
    {
        if (window != kTray)
            return false;
        text = s_.trayTitle;
        return true;
    }
    bool SetWindowText(Window window, const std::string& text) override
    {
        if (window != kTray)
            return false;
        s_.trayTitle = text;
        s_.titles.push_back(text);
        return true;
    }
    void PostCommand(Window, uint32_t) override {}

private:
    static constexpr Window kTray = 77;
    Shared& s_;
};
