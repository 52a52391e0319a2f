#pragma once
#include <string>
#include <utility>
#include <vector>

class CSettings;
struct ExportFrequencies;

// What a user needs to reproduce an export, as key/value pairs in the order written; keys
// are lower-case words joined by underscores, so that every format takes them as they are.
using Provenance = std::vector<std::pair<std::string, std::string>>;

// The session, the instrument and calibration, the units and component and the processing
// switches the values were converted with, and the frequencies exported.
Provenance DescribeSession(const std::string& sessionName, const CSettings& settings,
                           const ExportFrequencies& frequencies);

// "key: value" lines, the side note of formats that keep no metadata of their own.
std::string ProvenanceNote(const Provenance& provenance);

// A length in metres as provenance and messages write it: "0.25".
std::string Metres(double value);
// A time in seconds, likewise.
std::string Seconds(double value);
