#pragma once
#include <string>
#include <vector>

#include "export/ExportFailure.h"
#include "export/Provenance.h"
#include "model/Inversion.h"
#include "model/SessionStations.h"

// A track's inverted grid: cells of this side, each the nearest inverted reading within the
// reach of its centre.
inline constexpr double kInvertedTrackCell = 1.0;
inline constexpr double kInvertedTrackReach = 2.0;

// The depths at which inverted grounds are sliced for GIS: every 0.5 m down to the deepest
// depth of investigation among `results`, a coarser round step where that would make more
// than 30 slices. Empty when no station was inverted.
std::vector<double> InversionSlices(const std::vector<InversionResult>& results);

// The conductivity (S/m) of an inverted ground at `depth`; NaN for a refused station and
// below its depth of investigation, where the data cannot tell the ground.
double SliceConductivity(const InversionResult& result, double depth);

// The session, instrument and calibration, the inversion's noise, layers and height, the
// values and the slices.
Provenance DescribeInversion(const std::string& session, const CalibrationKey& key, const InversionOptions& options,
                             const std::vector<double>& slices);

// A new GeoTIFF at path, one band of conductivity per slice, empty cells no-data: a survey's
// grid has a cell per station (x along the profiles, y across, metres from station 0 of
// profile 0, the first profile at the bottom); a track's is in the UTM zone of its centre,
// each cell the nearest inverted reading. The provenance as metadata, with the grid's. False
// with the reason.
bool WriteInvertedGrid(const SessionStations& stations, const std::vector<InversionResult>& results,
                       const std::vector<double>& slices, Provenance provenance, const std::string& path,
                       ExportError& error);

// A new GeoPackage at path: a point per station (survey metres, no CRS) or reading (WGS 84;
// without a position, no geometry) with index (and profile and station), status, chi2,
// doi_m and the conductivity of each slice (empty below the depth of investigation); the
// provenance as metadata. False with the reason.
bool WriteInvertedPoints(const SessionStations& stations, const std::vector<InversionResult>& results,
                         const std::vector<double>& slices, const Provenance& provenance, const std::string& path,
                         ExportError& error);

// "depth_0.5m": a slice's name as a band or field takes it ("sigma_0_5m" for fields).
std::string SliceBandName(double depth);
std::string SliceFieldName(double depth);
