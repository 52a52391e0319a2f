#pragma once
#include <string>

class AcquisitionEngine;
class CGpsPositionService;
class CNmeaParser;
class CSettings;
class GpsClockOffset;
class QObject;

namespace platform {
class Clock;
class Prompter;
}

// What the sheet hands every page: the parts the program built once at start-up, and
// the sheet itself as the target of the pages' messages. None is owned.
struct PageServices {
    CSettings& settings;
    platform::Prompter& prompter;
    AcquisitionEngine& acquisition;
    CNmeaParser& parser;
    CGpsPositionService& positions;
    QObject* sheet = nullptr;
    // Where the crash journals of the work go; empty: the user's data directory.
    std::string journalDirectory;
    // How far the machine's clock is off GPS time; null where there is no GPS reader.
    const GpsClockOffset* clock = nullptr;
    // The millisecond ticks the pages time things by; null: the system's (tests give their own).
    platform::Clock* ticks = nullptr;
};
