#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "export/MapGrids.h"
#include "graphics/RadiusGridder.h"
#include "graphics/TrackMapLayout.h"
#include "settings/CSettings.h"

namespace {

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* transform) const { OGRCoordinateTransformation::DestroyCT(transform); }
};

// WGS 84 / UTM of the zone holding (latitude, longitude).
int UtmEpsg(double latitude, double longitude)
{
    const int zone = std::clamp(static_cast<int>(std::floor((longitude + 180.0) / 6.0)) + 1, 1, 60);
    return (latitude >= 0 ? 32600 : 32700) + zone;
}

} // namespace

bool GridTrackMap(const TrackReadings& readings, const ExportFrequencies& frequencies, const CSettings& settings,
                  GeoGrid& grid, std::string& error)
{
    const size_t n = readings.Count();
    const auto [latLow, latHigh] = std::minmax_element(readings.latitude.begin(), readings.latitude.end());
    const auto [lonLow, lonHigh] = std::minmax_element(readings.longitude.begin(), readings.longitude.end());
    OGRSpatialReference wgs84, utm;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (n == 0 || utm.importFromEPSG(UtmEpsg((*latLow + *latHigh) / 2, (*lonLow + *lonHigh) / 2)) != OGRERR_NONE) {
        error = "no UTM zone for the track";
        return false;
    }
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toUtm(
        OGRCreateCoordinateTransformation(&wgs84, &utm));
    std::vector<double> x = readings.longitude, y = readings.latitude;
    if (!toUtm || !toUtm->Transform(n, x.data(), y.data())) {
        error = "cannot project the track into UTM";
        return false;
    }
    // Floats hold metres near the track, not whole UTM coordinates.
    const double originX = std::round(x[0]), originY = std::round(y[0]);
    std::vector<float> east(n), north(n);
    for (size_t k = 0; k < n; ++k) {
        east[k] = static_cast<float>(x[k] - originX);
        north[k] = static_cast<float>(y[k] - originY);
    }
    TrackMapLayout layout;
    if (LayOutTrackMap(east, north, {0, 0, kExportMapPixels, kExportMapPixels}, settings.pixelSize, true, layout) !=
        GraphOutcome::Painted) {
        error = "the track map needs at least 4 positioned readings spread over an area";
        return false;
    }

    const size_t columns = frequencies.indices.size();
    const size_t bandCells = static_cast<size_t>(layout.nx) * static_cast<size_t>(layout.ny);
    std::vector<float> values(n);
    try {
        grid.cells.resize(bandCells * columns);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the grid";
        return false;
    }
    RadiusGridder gridder;
    gridder.radius = settings.gpsTrackRadius;
    for (size_t j = 0; j < columns; ++j) {
        for (size_t k = 0; k < n; ++k)
            values[k] = readings.values[k * columns + j];
        if (!gridder.GridScattered(static_cast<int>(n), layout.x.data(), layout.y.data(), values.data(), layout.nx,
                                   layout.ny, grid.cells.data() + bandCells * j)) {
            error = "the track map cannot be gridded (radius " + std::to_string(gridder.radius) + " cells)";
            return false;
        }
    }
    grid.nx = layout.nx;
    grid.ny = layout.ny;
    grid.west = originX + layout.west;
    grid.north = originY + layout.north;
    grid.cellWidth = grid.cellHeight = layout.cell;
    grid.bandNames = frequencies.labels;
    char* wkt = nullptr;
    utm.exportToWkt(&wkt);
    grid.crsWkt = wkt != nullptr ? wkt : "";
    CPLFree(wkt);
    return true;
}
