#pragma once
#include <string>
#include <vector>

#include "export/ExportFailure.h"
#include "export/GeoGrid.h"

// Projects WGS 84 longitudes (x) and latitudes (y), in place, into WGS 84 / UTM of the zone
// holding the middle of their extent, and gives `frame` that CRS. False with the reason.
bool ProjectToUtm(std::vector<double>& x, std::vector<double>& y, GridFrame& frame, ExportError& error);
