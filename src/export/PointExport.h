#pragma once
#include <string>
#include <vector>

#include "export/ExportFailure.h"
#include "export/ExportFormat.h"
#include "export/ExportFrequencies.h"
#include "export/Provenance.h"
#include "export/TrackReadings.h"
#include "graphics/ColorChart.h"

// Writes the readings as WGS 84 points to a new file at path in one of the point formats:
// fields reading, time_ms, serial, the position's fix_quality (GGA), hdop, satellites,
// fix_age_s (each empty where the receiver did not tell), placed_ok (0 or 1) and one per
// frequency; readings without a position have no geometry. `colours` (one per reading) mark
// the placemarks of KML and is ignored by the others; GeoPackage keeps the provenance as its
// metadata. False with the reason.
bool WriteTrackPoints(const TrackReadings& readings, const ExportFrequencies& frequencies,
                      const std::vector<Colour>& colours, const Provenance& provenance, ExportFormat format,
                      const std::string& path, ExportError& error);
