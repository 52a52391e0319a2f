#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The platform services the radio control relies on: the platform's own Bluetooth stack
// (read the radio mode, ask for the radio on or off) and the WIDCOMM stack (its registry
// value "StackMode" and its tray window).
class BluetoothStack {
public:
    using Window = uintptr_t; // 0: no window

    virtual ~BluetoothStack() = default;
    // Non-zero when the platform stack reports the radio on.
    virtual uint32_t PlatformRadioMode() = 0;
    virtual void SetPlatformRadio(bool on) = 0;
    // None when the WIDCOMM key cannot be opened; 0 when "StackMode" is missing or not a DWORD.
    virtual std::optional<uint32_t> WidcommStackMode() = 0;
    // A top-level window of the class, with the title when one is given.
    virtual Window FindWindow(const std::string& windowClass, const std::string* title) = 0;
    virtual bool GetWindowText(Window window, std::string& text) = 0;
    virtual bool SetWindowText(Window window, const std::string& text) = 0;
    virtual void PostCommand(Window window, uint32_t command) = 0;
};
