#include "export/InversionExport.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "export/GdalErrors.h"
#include "export/LayerFields.h"
#include "export/GridExport.h"
#include "export/GridSize.h"
#include "export/UtmProjection.h"
#include "graphics/NoDataValue.h"

namespace {

constexpr double kSliceStep = 0.5;
constexpr size_t kMaxSlices = 30;

bool Inverted(const InversionResult& result)
{
    return result.refusal == StationRefusal::None && result.model.Layers() > 0;
}

std::string Number(const char* format, double value)
{
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Stations of a survey on a grid of a cell per station; the index of the station in each
// cell from the top row, or -1.
bool SurveyCells(const SessionStations& stations, GridFrame& frame, std::vector<long>& cells, ExportError& error)
{
    uint32_t first = UINT32_MAX, last = 0;
    for (const SessionStation& s : stations.stations) {
        first = std::min(first, s.profile);
        last = std::max(last, s.profile);
    }
    if (stations.stations.empty() || stations.width == 0) {
        error = Refusal(ExportProblem::NoMeasuredReading, "the session holds no measured station");
        return false;
    }
    frame.nx = int(stations.width);
    frame.ny = int(last - first + 1);
    // A step of 0 (an open profile's across) still needs a cell.
    frame.cellWidth = stations.xStep > 0 ? stations.xStep : 1;
    frame.cellHeight = stations.yStep > 0 ? stations.yStep : 1;
    frame.west = -frame.cellWidth / 2;
    frame.north = last * frame.cellHeight + frame.cellHeight / 2;
    cells.assign(size_t(frame.nx) * size_t(frame.ny), -1);
    for (size_t k = 0; k < stations.stations.size(); ++k) {
        const SessionStation& s = stations.stations[k];
        if (s.station < stations.width)
            cells[size_t(last - s.profile) * size_t(frame.nx) + s.station] = long(k);
    }
    return true;
}

// A track's readings on a grid in UTM: the nearest inverted reading within the reach of
// each cell's centre, found among the readings in the neighbouring squares of the reach.
bool TrackCells(const SessionStations& stations, const std::vector<InversionResult>& results, GridFrame& frame,
                std::vector<long>& cells, ExportError& error)
{
    std::vector<size_t> kept;
    std::vector<double> x, y;
    for (size_t k = 0; k < stations.stations.size(); ++k) {
        if (!stations.stations[k].located || !Inverted(results[k]))
            continue;
        kept.push_back(k);
        x.push_back(stations.stations[k].longitude);
        y.push_back(stations.stations[k].latitude);
    }
    if (kept.empty()) {
        error = Refusal(ExportProblem::NoPositionToGrid, "no inverted reading has a position");
        return false;
    }
    if (!ProjectToUtm(x, y, frame, error))
        return false;
    const auto [west, east] = std::minmax_element(x.begin(), x.end());
    const auto [south, north] = std::minmax_element(y.begin(), y.end());
    frame.cellWidth = frame.cellHeight = kInvertedTrackCell;
    frame.west = std::floor(*west - kInvertedTrackReach);
    frame.north = std::ceil(*north + kInvertedTrackReach);
    const double nx = std::ceil((*east + kInvertedTrackReach - frame.west) / kInvertedTrackCell);
    const double ny = std::ceil((frame.north - (*south - kInvertedTrackReach)) / kInvertedTrackCell);
    if (GridTooLarge(nx, ny, 1, ExportFormat::GeoTiff, error))
        return false;
    frame.nx = int(nx);
    frame.ny = int(ny);
    const auto square = [&](double px, double py) {
        return std::make_pair(long(std::floor((px - frame.west) / kInvertedTrackReach)),
                              long(std::floor((frame.north - py) / kInvertedTrackReach)));
    };
    std::unordered_map<long long, std::vector<size_t>> squares;
    const auto key = [](long column, long row) { return (static_cast<long long>(row) << 32) + column; };
    for (size_t n = 0; n < kept.size(); ++n) {
        const auto [column, row] = square(x[n], y[n]);
        squares[key(column, row)].push_back(n);
    }
    cells.assign(size_t(frame.nx) * size_t(frame.ny), -1);
    for (int r = 0; r < frame.ny; ++r) {
        for (int c = 0; c < frame.nx; ++c) {
            const double cx = frame.west + (c + 0.5) * kInvertedTrackCell;
            const double cy = frame.north - (r + 0.5) * kInvertedTrackCell;
            const auto [column, row] = square(cx, cy);
            double nearest = kInvertedTrackReach * kInvertedTrackReach;
            long chosen = -1;
            for (long dr = -1; dr <= 1; ++dr)
                for (long dc = -1; dc <= 1; ++dc) {
                    const auto found = squares.find(key(column + dc, row + dr));
                    if (found == squares.end())
                        continue;
                    for (size_t n : found->second) {
                        const double d = (x[n] - cx) * (x[n] - cx) + (y[n] - cy) * (y[n] - cy);
                        if (d < nearest || (d == nearest && chosen >= 0 && kept[n] < size_t(chosen))) {
                            nearest = d;
                            chosen = long(kept[n]);
                        }
                    }
                }
            cells[size_t(r) * size_t(frame.nx) + size_t(c)] = chosen;
        }
    }
    return true;
}

} // namespace

std::vector<double> InversionSlices(const std::vector<InversionResult>& results)
{
    double deepest = 0;
    for (const InversionResult& result : results)
        if (Inverted(result) && std::isfinite(result.doi))
            deepest = std::max(deepest, result.doi);
    double step = kSliceStep;
    for (double coarser : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0})
        if (deepest / step > double(kMaxSlices))
            step = coarser;
    std::vector<double> slices;
    for (int k = 1; k * step <= deepest && slices.size() < kMaxSlices; ++k)
        slices.push_back(k * step);
    return slices;
}

double SliceConductivity(const InversionResult& result, double depth)
{
    if (!Inverted(result) || !(depth <= result.doi))
        return NAN;
    return result.model.ConductivityAt(depth);
}

std::string SliceBandName(double depth)
{
    return "depth_" + Number("%g", depth) + "m";
}

std::string SliceFieldName(double depth)
{
    std::string name = "sigma_" + Number("%g", depth) + "m";
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

Provenance DescribeInversion(const std::string& session, const CalibrationKey& key, const InversionOptions& options,
                             const std::vector<double>& slices)
{
    char date[32];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u", unsigned(key.year), unsigned(key.month), unsigned(key.day));
    std::string depths;
    for (double depth : slices)
        depths += (depths.empty() ? "" : ", ") + Metres(depth);
    return {
        {"session", session},
        {"instrument_serial", std::to_string(key.serial)},
        {"calibration_date", date},
        {"values", "conductivity, S/m, of a layered ground inverted under each station"},
        {"layers", std::to_string(options.layers)},
        {"noise_relative", Number("%g", options.noise.relative)},
        {"noise_floor_units", Number("%g", options.noise.floorUnits)},
        {"instrument_height_m", Metres(options.height)},
        {"depth_slices_m", depths},
        {"below_depth_of_investigation", "no data"},
    };
}

bool WriteInvertedGrid(const SessionStations& stations, const std::vector<InversionResult>& results,
                       const std::vector<double>& slices, Provenance provenance, const std::string& path,
                       ExportError& error)
{
    if (slices.empty()) {
        error = Refusal(ExportProblem::NoMeasuredReading, "no station was inverted");
        return false;
    }
    GeoGrid grid;
    auto cells = std::make_shared<std::vector<long>>();
    if (!(stations.track ? TrackCells(stations, results, grid.frame, *cells, error)
                         : SurveyCells(stations, grid.frame, *cells, error)))
        return false;
    if (GridTooLarge(grid.frame.nx, grid.frame.ny, slices.size(), ExportFormat::GeoTiff, error))
        return false;
    for (double depth : slices)
        grid.bandNames.push_back(SliceBandName(depth));
    grid.fill = [cells, &results, &slices](size_t band, float* values, ExportError&) {
        for (size_t k = 0; k < cells->size(); ++k) {
            const long station = (*cells)[k];
            const double sigma = station >= 0 ? SliceConductivity(results[size_t(station)], slices[band]) : NAN;
            values[k] = std::isnan(sigma) ? kNoDataValue : static_cast<float>(sigma);
        }
        return true;
    };
    if (stations.track) {
        provenance.emplace_back("crs", grid.frame.crsName);
        provenance.emplace_back("gridding", "nearest inverted reading within " + Metres(kInvertedTrackReach) + " m");
    } else {
        provenance.emplace_back("gridding", "one cell per station");
    }
    provenance.emplace_back("cell_m", Metres(grid.frame.cellWidth) + " x " + Metres(grid.frame.cellHeight));
    return WriteGrid(grid, ExportFormat::GeoTiff, provenance, path, error);
}

bool WriteInvertedPoints(const SessionStations& stations, const std::vector<InversionResult>& results,
                         const std::vector<double>& slices, const Provenance& provenance, const std::string& path,
                         ExportError& error)
{
    GdalErrors gdal;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (driver == nullptr) {
        error = Refusal(ExportProblem::GdalDriverMissing, "GDAL has no GPKG driver");
        return false;
    }
    struct Closer {
        void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
    };
    gdal.Watch();
    std::unique_ptr<GDALDataset, Closer> dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        error = gdal.Failed("cannot create " + path, ExportProblem::CannotCreate, path);
        return false;
    }
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    gdal.Watch();
    OGRLayer* layer = dataset->CreateLayer(stations.track ? "readings" : "stations",
                                           stations.track ? &wgs84 : nullptr, wkbPoint, nullptr);
    if (layer == nullptr) {
        error = gdal.Failed("cannot create the layer of " + path, ExportProblem::CannotWrite, path);
        return false;
    }
    FieldList fields{{"reading", OFTInteger}};
    if (!stations.track)
        fields.insert(fields.end(), {{"profile", OFTInteger}, {"station", OFTInteger}});
    fields.insert(fields.end(), {{"status", OFTString}, {"chi2", OFTReal}, {"doi_m", OFTReal}});
    for (double depth : slices)
        fields.emplace_back(SliceFieldName(depth), OFTReal);
    std::vector<int> fieldAt;
    if (!CreateFields(*layer, fields, gdal, path, fieldAt, error))
        return false;
    const bool transaction = dataset->StartTransaction() == OGRERR_NONE;
    for (size_t k = 0; k < stations.stations.size(); ++k) {
        const SessionStation& s = stations.stations[k];
        const InversionResult& r = results[k];
        OGRFeature feature(layer->GetLayerDefn());
        size_t column = 0;
        feature.SetField(fieldAt[column++], static_cast<int>(s.index));
        if (!stations.track) {
            feature.SetField(fieldAt[column++], static_cast<int>(s.profile));
            feature.SetField(fieldAt[column++], static_cast<int>(s.station));
        }
        feature.SetField(fieldAt[column++], r.refusal == StationRefusal::None ? "ok" : StationRefusalText(r.refusal));
        for (double value : {r.chi2, r.doi}) {
            if (Inverted(r))
                feature.SetField(fieldAt[column], value);
            else
                feature.SetFieldNull(fieldAt[column]);
            ++column;
        }
        for (double depth : slices) {
            const double sigma = SliceConductivity(r, depth);
            if (std::isnan(sigma))
                feature.SetFieldNull(fieldAt[column]);
            else
                feature.SetField(fieldAt[column], sigma);
            ++column;
        }
        if (!stations.track)
            feature.SetGeometry(std::make_unique<OGRPoint>(s.x, s.y).get());
        else if (s.located)
            feature.SetGeometry(std::make_unique<OGRPoint>(s.longitude, s.latitude).get());
        gdal.Watch();
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            error = gdal.Failed("cannot write station " + std::to_string(s.index) + " to " + path,
                                ExportProblem::CannotWrite, path);
            return false;
        }
    }
    gdal.Watch();
    if (transaction && dataset->CommitTransaction() != OGRERR_NONE) {
        error = gdal.Failed("cannot write " + path, ExportProblem::CannotWrite, path);
        return false;
    }
    for (const auto& [key, value] : provenance)
        dataset->SetMetadataItem(key.c_str(), value.c_str());
    return gdal.Close(dataset.release(), path, error);
}
