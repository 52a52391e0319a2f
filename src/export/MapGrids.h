#pragma once
#include <string>

#include "export/ExportFrequencies.h"
#include "export/GeoGrid.h"
#include "export/TrackReadings.h"

class CSettings;
class SurveyDataSet;

// Side in pixels of the square the map graph is painted into for an export.
inline constexpr int kExportMapPixels = 1920;

// The track map of each frequency, gridded by the map graph's rules (radius, pixel size,
// true proportions) from the readings' positions in the UTM zone of the track's centre.
bool GridTrackMap(const TrackReadings& readings, const ExportFrequencies& frequencies, const CSettings& settings,
                  GeoGrid& grid, std::string& error);

// The survey map of each frequency over the block of profiles the map graph shows at the
// last measured station, in metres from station 0 of profile 0 (x along the profiles).
bool GridSurveyMap(const SurveyDataSet& data, const ExportFrequencies& frequencies, const CSettings& settings,
                   GeoGrid& grid, std::string& error);
