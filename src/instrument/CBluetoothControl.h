#pragma once
#include <memory>
#include <string>

#include "instrument/BluetoothStack.h"

// Switches the Bluetooth radio through the platform stack, or through the WIDCOMM tray
// window when that stack is in charge. UI thread only.
class CBluetoothControl {
public:
    static constexpr uint32_t kTrayRadioOn = 4098;
    static constexpr uint32_t kTrayRadioOff = 4097;

    explicit CBluetoothControl(std::unique_ptr<BluetoothStack> stack);
    virtual ~CBluetoothControl() = default;

    // 1 on, 0 off, -1 unknown.
    virtual int GetRadioMode();
    // 0 done, -1 no way to switch.
    virtual int RadioOn();
    virtual int RadioOff();
    virtual bool GetTrayTitle(std::string& title);
    virtual bool SetTrayTitle(const std::string& title);
    virtual BluetoothStack::Window FindTrayWindow();

private:
    std::unique_ptr<BluetoothStack> stack_;
    bool searched_ = false;
    BluetoothStack::Window tray_ = 0;
};
