#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "instrument/BluetoothStack.h"

// A platform radio and a WIDCOMM stack with its tray window, all in memory. Posting the
// tray's on/off commands switches the WIDCOMM radio, as the real tray does.
class FakeBluetoothStack final : public BluetoothStack {
public:
    struct Shared {
        uint32_t platformMode = 0;
        bool platformCanSwitch = true;
        std::optional<uint32_t> stackMode; // none: no WIDCOMM key
        bool trayExists = false;
        std::string trayTitle = "Bluetooth Console";
        bool setTitleFails = false;
        std::vector<std::pair<std::string, bool>> windowSearches; // class, with title
        std::vector<uint32_t> posted;
        std::vector<bool> platformRequests;
        std::vector<std::string> titles; // every title set, in order
    };

    explicit FakeBluetoothStack(Shared& shared) : s_(shared) {}

    uint32_t PlatformRadioMode() override { return s_.platformMode; }
    void SetPlatformRadio(bool on) override
    {
        s_.platformRequests.push_back(on);
        if (s_.platformCanSwitch)
            s_.platformMode = on ? 1 : 0;
    }
    std::optional<uint32_t> WidcommStackMode() override { return s_.stackMode; }
    Window FindWindow(const std::string& windowClass, const std::string* title) override
    {
        s_.windowSearches.emplace_back(windowClass, title != nullptr);
        if (!s_.trayExists || windowClass != "WCE_BTTRAY" || (title && *title != s_.trayTitle))
            return 0;
        return 77;
    }
    bool GetWindowText(Window window, std::string& text) override
    {
        if (window != 77)
            return false;
        text = s_.trayTitle;
        return true;
    }
    bool SetWindowText(Window window, const std::string& text) override
    {
        if (window != 77 || s_.setTitleFails)
            return false;
        s_.trayTitle = text;
        s_.titles.push_back(text);
        return true;
    }
    void PostCommand(Window window, uint32_t command) override
    {
        if (window != 77)
            return;
        s_.posted.push_back(command);
        if (s_.stackMode)
            s_.stackMode = command == 4098 ? 1u : command == 4097 ? 0u : *s_.stackMode;
    }

private:
    Shared& s_;
};
