#pragma once
#include "instrument/CSerialPort.h"

// The two ports of the system, alive for the whole run: the instrument's and the GPS receiver's.
CSerialPort& InstrumentSerialPort();
CSerialPort& GpsSerialPort();
