#pragma once
#include <optional>
#include <string>
#include <vector>

#include "instrument/BluetoothStack.h"
#include "instrument/CBluetoothControl.h"

// A platform radio in memory; a WIDCOMM stack and its tray window only when asked for. Posting
// the tray's on/off commands switches the WIDCOMM radio, as the real tray does.
class FakeBluetoothStack final : public BluetoothStack {
public:
    struct Shared {
        uint32_t platformMode = 0;
        bool platformCanSwitch = true;
        std::optional<uint32_t> stackMode; // none: no WIDCOMM stack
        bool trayExists = false;
        std::string trayTitle = "Bluetooth Console";
        std::vector<std::string> titles; // every title set, in order
        std::vector<uint32_t> posted;
    };

    explicit FakeBluetoothStack(Shared& shared) : s_(shared) {}

    uint32_t PlatformRadioMode() override { return s_.platformMode; }
    void SetPlatformRadio(bool on) override
    {
        if (s_.platformCanSwitch)
            s_.platformMode = on ? 1 : 0;
    }
    std::optional<uint32_t> WidcommStackMode() override { return s_.stackMode; }
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
    void PostCommand(Window window, uint32_t command) override
    {
        if (window != kTray)
            return;
        s_.posted.push_back(command);
        if (s_.stackMode)
            s_.stackMode = command == CBluetoothControl::kTrayRadioOn ? 1u : command == CBluetoothControl::kTrayRadioOff ? 0u : *s_.stackMode;
    }

private:
    static constexpr Window kTray = 77;
    Shared& s_;
};
