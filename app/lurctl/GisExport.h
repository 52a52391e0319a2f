#pragma once
#include <optional>
#include <string>

#include "export/SessionExport.h"

// `lurctl session export` to a GIS format, its options read and checked.
struct GisExportRequest {
    std::string path;                      // the session file
    std::optional<std::string> format;     // by default the work type's first format
    std::optional<std::string> frequency;  // --frequency: N (from 1) or "all"
    ExportOptions options;                 // the grid and the readings left out
    std::string out;
};

// What writes the GIS formats: ExportToGis in lurctl-export, a hand-over to it in lurctl.
using GisExport = int (*)(const GisExportRequest& request);

// Writes the session through GDAL and reports as `lurctl session` does (lurctl-export only).
int ExportToGis(const GisExportRequest& request);
