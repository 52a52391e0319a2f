#pragma once
#include <string>

#include "acquisition/AcquisitionEngine.h"
#include "acquisition/InstrumentExchanger.h"
#include "acquisition/InstrumentWorker.h"
#include "instrument/CInstrument.h"
#include "instrument/CSerialPort.h"
#include "ui/AcquisitionBridge.h"

// The window program's acquisition, built in dependency order: the two ports, the instrument
// on its worker thread, the engine, and the bridge into the UI thread's event loop. The
// worker is stopped (its running exchange finished) before anything it uses goes. UI thread.
class WindowAcquisition {
public:
    WindowAcquisition(CSettings& settings, const PortMap& ports, GpsReaderControl& gpsReader,
                      BluetoothRadio* radio = nullptr);
    // The GPS reader lets go of the port first.
    ~WindowAcquisition();

    // False, with the reason, when the worker thread could not start: readings then fail
    // with a connection error.
    bool Start(std::string& error) { return worker_.Start(error); }
    AcquisitionEngine& Engine() { return engine_; }
    AcquisitionBridge& Bridge() { return bridge_; }
    CSerialPort& GpsPort() { return gpsPort_; }

private:
    platform::Clock& clock_;
    CSerialPort instrumentPort_;
    CSerialPort gpsPort_;
    CInstrument instrument_;
    InstrumentExchanger exchanger_;
    AcquisitionBridge bridge_;
    GpsSide gps_;
    AcquisitionEngine engine_;
    InstrumentWorker worker_; // last: joined first
};
