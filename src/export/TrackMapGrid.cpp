#include <algorithm>
#include <cmath>
#include <memory>

#include "export/GridSize.h"
#include "export/MapGrids.h"
#include "export/UtmProjection.h"
#include "graphics/RadiusGridder.h"
#include "graphics/TrackMapLayout.h"
#include "graphics/TrackMapRadius.h"
#include "settings/CSettings.h"

namespace {

// The located readings in metres east and north of a whole UTM metre near the first, with
// the column of each in the readings.
struct ProjectedTrack {
    std::vector<size_t> rows;
    std::vector<float> east, north;
    double originX = 0, originY = 0;
};

bool Project(const TrackReadings& readings, ProjectedTrack& track, GridFrame& frame, ExportError& error)
{
    std::vector<double> x, y;
    for (size_t k = 0; k < readings.Count(); ++k) {
        if (!readings.located[k])
            continue;
        track.rows.push_back(k);
        x.push_back(readings.longitude[k]);
        y.push_back(readings.latitude[k]);
    }
    if (!ProjectToUtm(x, y, frame, error))
        return false;
    // Floats hold metres near the track, not whole UTM coordinates.
    track.originX = std::round(x[0]);
    track.originY = std::round(y[0]);
    for (size_t k = 0; k < x.size(); ++k) {
        track.east.push_back(static_cast<float>(x[k] - track.originX));
        track.north.push_back(static_cast<float>(y[k] - track.originY));
    }
    return true;
}

// Band `band` of the located readings.
void BandValues(const TrackReadings& readings, const ProjectedTrack& track, size_t bands, size_t band,
                std::vector<float>& values)
{
    values.resize(track.rows.size());
    for (size_t k = 0; k < track.rows.size(); ++k)
        values[k] = readings.values[track.rows[k] * bands + band];
}

} // namespace

bool GridTrackMap(const TrackReadings& readings, const ExportFrequencies& frequencies, const CSettings& settings,
                  const GridOptions& options, ExportFormat format, GeoGrid& grid, Provenance& provenance,
                  ExportError& error)
{
    auto track = std::make_shared<ProjectedTrack>();
    if (!Project(readings, *track, grid.frame, error))
        return false;
    const size_t bands = frequencies.indices.size();
    grid.bandNames = frequencies.labels;
    provenance.emplace_back("crs", grid.frame.crsName);

    // The map graph laid out across the painted width, or as wide as the radius counts its
    // cells: that cell turns the radius of the settings into metres, so the grid reaches as
    // far as the map on the page does.
    const int pixels = options.paintedWidth.value_or(kRadiusMapWidth);
    TrackMapLayout layout;
    const bool laidOut =
        pixels >= 2 && LayOutTrackMap(track->east, track->north, {0, 0, pixels, pixels}, settings.pixelSize, true,
                                      layout) == GraphOutcome::Painted;
    if ((options.paintedWidth || !options.radiusMetres) && !laidOut) {
        error = Refusal(ExportProblem::TrackMapTooSmall,
                        "the track map needs at least 4 positioned readings spread over an area");
        return false;
    }
    const double radius = options.radiusMetres.value_or(TrackMapRadiusCells(settings.gpsTrackRadius, pixels) *
                                                        static_cast<double>(layout.cell));
    if (!(radius > 0) || !std::isfinite(radius)) {
        error = Refusal(ExportProblem::RadiusNotAboveZero, "the radius must be above 0 m");
        return false;
    }

    RadiusGridder::ScatterFrame cells;
    int32_t radiusCells = 0;
    if (options.paintedWidth) {
        if (GridTooLarge(layout.nx, layout.ny, bands, format, error))
            return false;
        grid.frame.nx = layout.nx;
        grid.frame.ny = layout.ny;
        cells.cell = layout.cell;
        // Laid out at real scaling: the frame is in metres.
        grid.frame.west = track->originX + layout.left;
        grid.frame.north = track->originY + (layout.flip - layout.top);
        radiusCells = options.radiusMetres ? static_cast<int32_t>(std::max(1.0, std::round(radius / layout.cell)))
                                           : TrackMapRadiusCells(settings.gpsTrackRadius, pixels);
        // The layout put north into row 0 already.
        track->east = layout.x;
        track->north = layout.y;
        provenance.emplace_back("gridding", "as the track map paints it " + std::to_string(pixels) +
                                                " pixels across: radius in city-block cells, weight falling "
                                                "linearly from the reading's cell");
    } else {
        // The map's own cell, unless a radius of the operator's sets the scale.
        const double cell = options.cellMetres.value_or(options.radiusMetres ? radius / 4 : layout.cell);
        if (!(cell > 0) || !std::isfinite(cell)) {
            error = Refusal(ExportProblem::CellNotAboveZero, "the cell size must be above 0 m");
            return false;
        }
        const auto [eastLow, eastHigh] = std::minmax_element(track->east.begin(), track->east.end());
        const auto [northLow, northHigh] = std::minmax_element(track->north.begin(), track->north.end());
        const double nx = std::floor((static_cast<double>(*eastHigh) - *eastLow) / cell + 0.5) + 1;
        const double ny = std::floor((static_cast<double>(*northHigh) - *northLow) / cell + 0.5) + 1;
        if (GridTooLarge(nx, ny, bands, format, error))
            return false;
        grid.frame.nx = static_cast<int>(nx);
        grid.frame.ny = static_cast<int>(ny);
        // Rows run south from the northernmost reading's cell: the gridder gets north negated.
        const double west = *eastLow - 0.5 * cell, north = *northHigh + 0.5 * cell;
        cells = {static_cast<float>(west), static_cast<float>(-north), static_cast<float>(cell)};
        grid.frame.west = track->originX + west;
        grid.frame.north = track->originY + north;
        // Past the grid's own size a radius reaches every cell alike.
        radiusCells = static_cast<int32_t>(std::clamp(std::round(radius / cell), 1.0, nx + ny + 1));
        for (float& n : track->north)
            n = -n;
        provenance.emplace_back("gridding", "radius: each cell the mean of the readings within the radius in "
                                            "city-block distance, weighted 1 at the reading's cell falling "
                                            "linearly to 0 at the radius");
    }
    grid.frame.cellWidth = grid.frame.cellHeight = cells.cell;
    provenance.emplace_back("cell_m", Metres(cells.cell));
    provenance.emplace_back("radius_m", Metres(radiusCells * static_cast<double>(cells.cell)));
    grid.fill = [&readings, track, bands, cells, radiusCells, painted = options.paintedWidth.has_value(),
                 nx = grid.frame.nx, ny = grid.frame.ny](size_t band, float* out, ExportError& why) {
        std::vector<float> values;
        BandValues(readings, *track, bands, band, values);
        RadiusGridder gridder;
        gridder.radius = radiusCells;
        const int n = static_cast<int>(values.size());
        const float* east = track->east.data();
        const float* north = track->north.data();
        // As painted, the gridder frames the points as the graph's does.
        if (!(painted ? gridder.GridScattered(n, east, north, values.data(), nx, ny, out)
                      : gridder.GridInFrame(n, east, north, values.data(), cells, nx, ny, out))) {
            why = Refusal(ExportProblem::CannotGrid, "the track map cannot be gridded");
            return false;
        }
        return true;
    };
    return true;
}
