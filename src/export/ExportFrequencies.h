#pragma once
#include <string>
#include <vector>

#include "export/SessionExport.h"

class CSettings;

// The frequencies an export carries, in index order, with their names.
struct ExportFrequencies {
    std::vector<int> indices;        // 0..13
    std::vector<std::string> labels; // "2.501 kHz", as the CSV export heads its columns
    std::vector<std::string> fields; // "f2_501kHz", a field name every format takes
};

// The selected frequency or every used one, from the settings' used flags and installed
// calibration; false with the reason when the frequency is out of range or was not used.
bool SelectFrequencies(const CSettings& settings, const FrequencySelection& selection, ExportFrequencies& out,
                       ExportError& error);
