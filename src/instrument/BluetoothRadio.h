#pragma once
#include <memory>
#include <string>

#include "instrument/CBluetoothControl.h"

// The machine's Bluetooth radio for the program's run: switched on at construction when it
// was off, and switched off again at destruction in that case. While the GPS port opens, the
// WIDCOMM tray asks the operator for the GPS device. Owner (UI) thread only.
class BluetoothRadio {
public:
    explicit BluetoothRadio(std::unique_ptr<CBluetoothControl> control);
    ~BluetoothRadio();
    BluetoothRadio(const BluetoothRadio&) = delete;
    BluetoothRadio& operator=(const BluetoothRadio&) = delete;

    bool WasOn() const { return wasOn_; }
    // The tray's title becomes the question for the GPS device until GpsDeviceChosen.
    void AskForGpsDevice();
    void GpsDeviceChosen();

private:
    std::unique_ptr<CBluetoothControl> control_;
    bool wasOn_ = false;
    bool asking_ = false;
    std::string trayTitle_;
};
