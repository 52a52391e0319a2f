#pragma once
#include <memory>
#include <optional>
#include <string>

#include "sim/GpsSimulator.h"
#include "sim/GpsWalker.h"
#include "sim/InstrumentSimulator.h"
#include "sim/PseudoTerminal.h"

// The built-in instrument and, for a track, a GPS receiver carried along survey lines over
// the same simulated ground, each on a pseudo-terminal of its own.
class SimulatedField {
public:
    SimulatedField(InstrumentOptions instrument, std::optional<GpsSimulatorOptions> gps);
    ~SimulatedField();

    // False, with error set, when a pseudo-terminal cannot be made.
    bool Start(std::string& error);
    void Stop();
    const std::string& InstrumentPath() const { return instrument_.DevicePath(); }
    const std::string& GpsPath() const { return gpsTerminal_.SlavePath(); }
    // The next readings are of the ground under the instrument's centre as it walks the
    // lines (tracks only); the receiver's antenna may ride ahead of it and report late, as
    // the GPS options say.
    void PlaceInstrumentAtReceiver();

private:
    InstrumentSimulator instrument_;
    GpsWalker walker_ = GpsWalker::SurveyLines();
    PseudoTerminal gpsTerminal_;
    std::unique_ptr<GpsSimulator> receiver_;
};
