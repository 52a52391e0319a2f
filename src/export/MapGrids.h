#pragma once
#include <string>

#include "export/ExportFrequencies.h"
#include "export/GeoGrid.h"
#include "export/Provenance.h"
#include "export/SessionExport.h"
#include "export/TrackReadings.h"

class CSettings;
class SurveyDataSet;

// Side in pixels of the square the map graph is painted into for the radius a track map
// uses, and for a grid "as painted" without a width.
inline constexpr int kExportMapPixels = 1920;

// The track map of each frequency in the UTM zone of the track's centre: the map graph's
// radius gridding (a reading weighs 1 at its own cell, falling linearly to 0 at the radius in
// city-block distance) evaluated per cell. Refused when larger than the limits of GridSize.h
// in that format. `provenance` gains the gridding, cell, radius and CRS.
bool GridTrackMap(const TrackReadings& readings, const ExportFrequencies& frequencies, const CSettings& settings,
                  const GridOptions& options, ExportFormat format, GeoGrid& grid, Provenance& provenance,
                  ExportError& error);

// The survey map of each frequency over the block of profiles the map graph shows at the
// last measured station, in metres from station 0 of profile 0 (x along the profiles): the
// bilinear surface through the stations at the cell centres, the first cell centred on the
// first station. `provenance` gains the gridding and cell.
bool GridSurveyMap(const SurveyDataSet& data, const ExportFrequencies& frequencies, const CSettings& settings,
                   const GridOptions& options, ExportFormat format, GeoGrid& grid, Provenance& provenance,
                   ExportError& error);
