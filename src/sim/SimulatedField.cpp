#include "sim/SimulatedField.h"

#include "survey/Calibration.h"

SimulatedField::SimulatedField(InstrumentOptions instrument, std::optional<GpsSimulatorOptions> gps)
    : instrument_(std::move(instrument), BuiltInCalibrationSet())
{
    if (gps)
        receiver_ = std::make_unique<GpsSimulator>(walker_, *gps);
}

SimulatedField::~SimulatedField()
{
    Stop();
}

bool SimulatedField::Start(std::string& error)
{
    if (!instrument_.Start()) {
        error = "no pseudo-terminal for the instrument simulator";
        return false;
    }
    if (receiver_ && !(gpsTerminal_.Create() && receiver_->Start(gpsTerminal_.MasterFd()))) {
        error = "no pseudo-terminal for the GPS simulator";
        return false;
    }
    return true;
}

void SimulatedField::Stop()
{
    if (receiver_)
        receiver_->Stop();
    gpsTerminal_.Close();
    instrument_.Stop();
}

void SimulatedField::PlaceInstrumentAtReceiver()
{
    if (!receiver_)
        return;
    double east = 0, north = 0;
    walker_.ToLocal(receiver_->CurrentPosition(), east, north);
    instrument_.SetPosition(std::make_pair(east, north));
}
