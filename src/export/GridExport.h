#pragma once
#include <string>

#include "export/ExportFormat.h"
#include "export/GeoGrid.h"

// Writes the grid to a new file at path as GeoTIFF (every band), ESRI ASCII or Surfer grid
// (one band only). Cells holding kNoDataValue are the file's no-data cells. False with the reason.
bool WriteGrid(const GeoGrid& grid, ExportFormat format, const std::string& path, std::string& error);
