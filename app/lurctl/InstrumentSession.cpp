#include "InstrumentSession.h"

#include <cerrno>
#include <cstring>

#include "instrument/PortMap.h"
#include "settings/CSettings.h"

std::string ResolvePort(const std::string& port)
{
    PortMap ports;
    if (port.rfind("COM", 0) == 0)
        ports.Load(CSettings::Instance().Registry());
    return ports.Resolve(port);
}

InstrumentSession::InstrumentSession(uint16_t mask)
    : mask_(mask), instrument_(InstrumentLinks{port_, unusedGpsPort_, platform::SystemTicks()})
{
}

bool InstrumentSession::Open(const std::string& port, std::string& error)
{
    const std::string device = ResolvePort(port);
    errno = 0;
    if (instrument_.Connect(device))
        return true;
    error = "cannot open " + device + ": " + (errno ? std::strerror(errno) : "not a serial port");
    return false;
}
