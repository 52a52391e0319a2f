#include "instrument/BluetoothRadio.h"

namespace {

const std::string kDefaultTrayTitle = "Bluetooth Console";
const std::string kChooseGpsTitle = "Выберите устройство GPS";

} // namespace

BluetoothRadio::BluetoothRadio(std::unique_ptr<CBluetoothControl> control) : control_(std::move(control))
{
    wasOn_ = control_->GetRadioMode() == 1;
    if (!wasOn_)
        control_->RadioOn();
}

BluetoothRadio::~BluetoothRadio()
{
    GpsDeviceChosen();
    if (!wasOn_)
        control_->RadioOff();
}

void BluetoothRadio::AskForGpsDevice()
{
    if (asking_)
        return;
    // A tray left with another title by an interrupted run gets that title back.
    trayTitle_ = kDefaultTrayTitle;
    std::string current;
    if (control_->GetTrayTitle(current))
        trayTitle_ = current;
    control_->SetTrayTitle(kChooseGpsTitle);
    asking_ = true;
}

void BluetoothRadio::GpsDeviceChosen()
{
    if (!asking_)
        return;
    control_->SetTrayTitle(trayTitle_);
    asking_ = false;
}
