#include "instrument/CBluetoothControl.h"

namespace {

const std::string kTrayClass = "WCE_BTTRAY";
const std::string kTrayTitle = "Bluetooth Console";

} // namespace

CBluetoothControl::CBluetoothControl(std::unique_ptr<BluetoothStack> stack) : stack_(std::move(stack))
{
}

int CBluetoothControl::GetRadioMode()
{
    if (stack_->PlatformRadioMode() != 0)
        return 1;
    std::optional<uint32_t> stackMode = stack_->WidcommStackMode();
    if (!stackMode)
        return -1;
    return *stackMode != 0 ? 1 : 0;
}

int CBluetoothControl::RadioOn()
{
    stack_->SetPlatformRadio(true);
    int mode = GetRadioMode();
    if (mode == -1)
        return -1;
    if (mode != 0)
        return 0;
    BluetoothStack::Window tray = FindTrayWindow();
    if (tray == 0)
        return -1;
    stack_->PostCommand(tray, kTrayRadioOn);
    return 0;
}

int CBluetoothControl::RadioOff()
{
    stack_->SetPlatformRadio(false);
    int mode = GetRadioMode();
    if (mode == -1)
        return -1;
    if (mode != 1)
        return 0;
    BluetoothStack::Window tray = FindTrayWindow();
    if (tray == 0)
        return -1;
    stack_->PostCommand(tray, kTrayRadioOff);
    return 0;
}

BluetoothStack::Window CBluetoothControl::FindTrayWindow()
{
    if (!searched_) {
        searched_ = true;
        tray_ = stack_->FindWindow(kTrayClass, &kTrayTitle);
    }
    // A run that was interrupted may have left the title changed: find it by class then.
    if (tray_ == 0)
        tray_ = stack_->FindWindow(kTrayClass, nullptr);
    return tray_;
}

bool CBluetoothControl::GetTrayTitle(std::string& title)
{
    BluetoothStack::Window tray = FindTrayWindow();
    return tray != 0 && stack_->GetWindowText(tray, title);
}

bool CBluetoothControl::SetTrayTitle(const std::string& title)
{
    BluetoothStack::Window tray = FindTrayWindow();
    return tray != 0 && stack_->SetWindowText(tray, title);
}
