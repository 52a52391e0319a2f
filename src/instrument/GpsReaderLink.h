#pragma once
#include <atomic>
#include <functional>

class CSerialPort;

// Set before the GPS reader thread starts, cleared by whoever asks it to end, polled by the
// thread between reads.
extern std::atomic<bool> gpsReaderRunning;

// Starts the GPS reader thread on the opened GPS port; false when the thread could not be
// created. The GPS side registers it once at start-up; the instrument calls it from
// ConnectGps on the UI thread. The port stays owned by the caller; the thread closes it
// when it ends.
using GpsReaderStart = std::function<bool(CSerialPort& gpsPort)>;
void SetGpsReaderStart(GpsReaderStart start);
// False when none is registered.
bool StartGpsReader(CSerialPort& gpsPort);
