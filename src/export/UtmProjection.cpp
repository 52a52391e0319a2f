#include "export/UtmProjection.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <memory>

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

bool ProjectToUtm(std::vector<double>& x, std::vector<double>& y, GridFrame& frame, ExportError& error)
{
    if (x.empty() || x.size() != y.size()) {
        error = Refusal(ExportProblem::NoPositionToGrid, "no reading has a position to grid");
        return false;
    }
    const auto [latLow, latHigh] = std::minmax_element(y.begin(), y.end());
    const auto [lonLow, lonHigh] = std::minmax_element(x.begin(), x.end());
    OGRSpatialReference wgs84, utm;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (utm.importFromEPSG(UtmEpsg((*latLow + *latHigh) / 2, (*lonLow + *lonHigh) / 2)) != OGRERR_NONE) {
        error = Refusal(ExportProblem::NoUtmZone, "no UTM zone for the track");
        return false;
    }
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toUtm(
        OGRCreateCoordinateTransformation(&wgs84, &utm));
    if (!toUtm || !toUtm->Transform(x.size(), x.data(), y.data())) {
        error = Refusal(ExportProblem::NoUtmZone, "cannot project the track into UTM");
        return false;
    }
    char* wkt = nullptr;
    utm.exportToWkt(&wkt);
    frame.crsWkt = wkt != nullptr ? wkt : "";
    CPLFree(wkt);
    frame.crsName = utm.GetName() != nullptr ? utm.GetName() : "";
    return true;
}
