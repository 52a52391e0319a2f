#include "instrument/SerialPorts.h"

CSerialPort& InstrumentSerialPort()
{
    static CSerialPort port;
    return port;
}

CSerialPort& GpsSerialPort()
{
    static CSerialPort port;
    return port;
}
