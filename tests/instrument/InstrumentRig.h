#pragma once
#include <memory>
#include <vector>

#include "instrument/CInstrument.h"
#include "instrument/FakeTransport.h"

// An instrument object over fake ports on a manual clock.
struct InstrumentRig {
    platform::ManualClock clock{1000};
    FakeTransport* transport = new FakeTransport(clock);
    FakeTransport* gpsTransport = new FakeTransport(clock);
    CSerialPort port{std::unique_ptr<SerialTransport>(transport)};
    CSerialPort gpsPort{std::unique_ptr<SerialTransport>(gpsTransport)};
    CInstrument instrument{InstrumentLinks{port, gpsPort, clock}};
};

// A 176-byte reading reply: block bytes counting from `fill`, the presence bytes and serial.
inline std::vector<uint8_t> ReadingReply(uint8_t low, uint8_t high, uint8_t serial, uint8_t fill = 1)
{
    std::vector<uint8_t> reply(176);
    for (size_t i = 0; i < 168; ++i)
        reply[i] = static_cast<uint8_t>(fill + i);
    reply[168] = low;
    reply[169] = high;
    reply[170] = 0xEE; // not interpreted, but kept
    reply[175] = serial;
    return reply;
}

inline std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}
