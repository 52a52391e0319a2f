#pragma once
#include <cstdint>
#include <string>

#include "survey/ReadingSeries.h"

// What the instrument worker is asked to do, one exchange at a time.
enum class ExchangeKind : uint8_t {
    Connect,    // open the instrument port and the GPS port, each when it is named
    Battery,    // read the instrument's battery voltage
    Reading,    // one reading of the used frequencies
    Series,     // the fourteen single-frequency readings of one series command
    Disconnect, // close the instrument port, and the GPS port when asked
};

// Why an exchange failed.
enum class ExchangeFailure : uint8_t {
    None,
    PortNotOpened,    // the instrument port would not open (`error` is errno)
    GpsPortNotOpened, // the GPS port would not open (`error` is errno); nothing opened by the same
                      // request stays open
    LinkLost,         // the line went dead: switched off, out of range, unplugged
    NoAnswer,         // not a byte of a reply in time
    WrongReply,       // part of a reply and then silence, or a reply without any frequency: another
                      // device answers, or the line corrupts what it carries
};

struct ExchangeRequest {
    uint64_t id = 0;
    ExchangeKind kind = ExchangeKind::Reading;
    std::string instrumentDevice; // Connect; empty: the instrument port is left as it is
    std::string gpsDevice;        // Connect; empty: the GPS port is left as it is
    uint32_t gpsBaud = 0;
    bool closeGps = false;        // Disconnect
    uint16_t frequencyMask = 0;   // Reading
};

struct ExchangeResult {
    uint64_t id = 0;
    ExchangeKind kind = ExchangeKind::Reading;
    bool ok = false;
    ExchangeFailure failure = ExchangeFailure::None;
    int error = 0;
    bool instrumentOpened = false;
    bool gpsOpened = false;
    uint32_t batteryVoltage = 0; // hundredths of a volt
    ReadingSeries records{};     // Reading: the first; Series: all fourteen
};

// Carries out one exchange and returns its result; called on the worker thread only.
class ExchangePerformer {
public:
    virtual ~ExchangePerformer() = default;
    virtual ExchangeResult Perform(const ExchangeRequest& request) = 0;
};

// The owner's side of the worker: takes requests, which are carried out one at a time in the
// order given; each result comes back to the owner thread and is handed to the engine.
class ExchangeQueue {
public:
    virtual ~ExchangeQueue() = default;
    virtual void Submit(const ExchangeRequest& request) = 0;
};
