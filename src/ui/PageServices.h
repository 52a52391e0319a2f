#pragma once
#include <string>

class AcquisitionEngine;
class CGpsPositionService;
class CNmeaParser;
class CSettings;
class QObject;

namespace platform {
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
};
