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

    // The operator turns at the end of each line on an arc of this radius, as people walk.
    static constexpr double kTurnRadius = 2.0;

private:
    InstrumentSimulator instrument_;
    GpsWalker walker_ = GpsWalker::SurveyLines(kTurnRadius);
    PseudoTerminal gpsTerminal_;
    std::unique_ptr<GpsSimulator> receiver_;
};
