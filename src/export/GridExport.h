#pragma once
#include <string>

#include "export/ExportFailure.h"
#include "export/ExportFormat.h"
#include "export/GeoGrid.h"
#include "export/Provenance.h"

// Writes the grid to a new file at path as GeoTIFF (every band, the provenance as dataset
// metadata), ESRI ASCII or Surfer grid (one band only), filling one band at a time. Cells
// holding kNoDataValue are the file's no-data cells. False with the reason.
bool WriteGrid(const GeoGrid& grid, ExportFormat format, const Provenance& provenance, const std::string& path,
               ExportError& error);
