#pragma once
#include <optional>
#include <string>

#include "export/ExportFormat.h"

class CSettings;
class DataSet;

// Which frequencies an export carries: one frequency index 0..13, or every used one.
struct FrequencySelection {
    std::optional<int> index;
};

struct ExportResult {
    bool ok = false;
    std::string error; // why nothing was written, when !ok
};

// Writes the session to `path` in `format`, one of ExportFormatsFor(settings.workType), with
// the settings' conversion, calibration and display settings; grids are those of the map
// graph painted 1920 pixels across with true proportions. The files are written beside the
// target and renamed over it at the end, so a failure leaves any earlier file as it was.
// UI thread only (it reads the settings object).
ExportResult ExportSession(const DataSet& data, const CSettings& settings, ExportFormat format,
                           const FrequencySelection& frequencies, const std::string& path);
