#include "export/PointExport.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <memory>

#include "export/GdalErrors.h"
#include "export/LayerFields.h"

namespace {

struct PointDriver {
    const char* driver;
    std::vector<const char*> datasetOptions;
    std::vector<const char*> layerOptions;
};

PointDriver DriverFor(ExportFormat format)
{
    switch (format) {
    case ExportFormat::GeoJson:
        return {"GeoJSON", {}, {}};
    case ExportFormat::Kml:
        return {"LIBKML", {}, {}};
    case ExportFormat::Gpx:
        return {"GPX", {"GPX_USE_EXTENSIONS=YES"}, {}};
    case ExportFormat::Shapefile:
        return {"ESRI Shapefile", {}, {"ENCODING=UTF-8"}};
    case ExportFormat::CsvWkt:
        return {"CSV", {}, {"GEOMETRY=AS_WKT", "CREATE_CSVT=YES"}};
    default:
        return {"GPKG", {}, {}};
    }
}

// GPX keeps points of a track in its track_points layer; shapefiles and CSV files name
// their one layer after the file.
std::string LayerName(ExportFormat format, const std::string& path)
{
    if (format == ExportFormat::Gpx)
        return "track_points";
    if (format == ExportFormat::Shapefile || format == ExportFormat::CsvWkt) {
        const auto slash = path.rfind('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        return name.substr(0, name.rfind('.'));
    }
    return "readings";
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// A round placemark in a 0x00BBGGRR colour; KML tints the icon, which must be named.
std::string SymbolStyle(Colour colour)
{
    char text[128];
    std::snprintf(text, sizeof text,
                  "SYMBOL(id:\"http://maps.google.com/mapfiles/kml/shapes/placemark_circle.png\",c:#%02X%02X%02X)",
                  colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

template <typename Value> void SetOrNull(OGRFeature& feature, int field, bool known, Value value)
{
    if (known)
        feature.SetField(field, value);
    else
        feature.SetFieldNull(field);
}

} // namespace

bool WriteTrackPoints(const TrackReadings& readings, const ExportFrequencies& frequencies,
                      const std::vector<Colour>& colours, const Provenance& provenance, ExportFormat format,
                      const std::string& path, ExportError& error)
{
    GdalErrors gdal;
    const PointDriver spec = DriverFor(format);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(spec.driver);
    if (driver == nullptr) {
        error = Refusal(ExportProblem::GdalDriverMissing, std::string("GDAL has no ") + spec.driver + " driver");
        return false;
    }
    std::vector<const char*> datasetOptions = spec.datasetOptions;
    datasetOptions.push_back(nullptr);
    gdal.Watch();
    std::unique_ptr<GDALDataset, DatasetCloser> dataset(
        driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, const_cast<char**>(datasetOptions.data())));
    if (!dataset) {
        error = gdal.Failed("cannot create " + path, ExportProblem::CannotCreate, path);
        return false;
    }
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::vector<const char*> layerOptions = spec.layerOptions;
    layerOptions.push_back(nullptr);
    gdal.Watch();
    OGRLayer* layer = dataset->CreateLayer(LayerName(format, path).c_str(), &wgs84, wkbPoint,
                                           const_cast<char**>(layerOptions.data()));
    if (layer == nullptr) {
        error = gdal.Failed("cannot create the layer of " + path, ExportProblem::CannotWrite, path);
        return false;
    }
    FieldList fields{
        {"reading", OFTInteger},     {"time_ms", OFTInteger64}, {"serial", OFTInteger},
        {"fix_quality", OFTInteger}, {"hdop", OFTReal},         {"satellites", OFTInteger},
        {"fix_age_s", OFTReal},      {"placed_ok", OFTInteger}};
    if (format == ExportFormat::Gpx) {
        // Every point on one track, in one segment.
        fields.insert(fields.begin(), {{"track_fid", OFTInteger}, {"track_seg_id", OFTInteger}});
    }
    for (const std::string& name : frequencies.fields)
        fields.emplace_back(name, OFTReal);
    std::vector<int> at;
    if (!CreateFields(*layer, fields, gdal, path, at, error))
        return false;

    const size_t first = format == ExportFormat::Gpx ? 2 : 0;
    const size_t columns = frequencies.indices.size();
    const bool styled = format == ExportFormat::Kml && colours.size() == readings.Count();
    const bool transaction = dataset->TestCapability(ODsCTransactions) && dataset->StartTransaction() == OGRERR_NONE;
    for (size_t k = 0; k < readings.Count(); ++k) {
        OGRFeature feature(layer->GetLayerDefn());
        if (format == ExportFormat::Gpx) {
            feature.SetField(at[0], 0);
            feature.SetField(at[1], 0);
        }
        feature.SetField(at[first], static_cast<int>(readings.index[k]));
        feature.SetField(at[first + 1], static_cast<GIntBig>(readings.time[k]));
        feature.SetField(at[first + 2], static_cast<int>(readings.serial[k]));
        const GpsFixQuality& q = readings.quality[k];
        const bool ggaKnown = q.ggaQuality != GpsFixQuality::kUnknown;
        SetOrNull(feature, at[first + 3], ggaKnown, static_cast<int>(q.ggaQuality));
        SetOrNull(feature, at[first + 4], q.hdop > 0, q.hdop);
        SetOrNull(feature, at[first + 5], ggaKnown, static_cast<int>(q.satellitesUsed)); // GGA reports them
        SetOrNull(feature, at[first + 6], QualityRecorded(q), q.ageMs / 1000.0);
        feature.SetField(at[first + 7], readings.placedOk[k] ? 1 : 0);
        for (size_t j = 0; j < columns; ++j)
            feature.SetField(at[first + 8 + j], static_cast<double>(readings.values[k * columns + j]));
        if (readings.located[k]) // else no geometry at all
            feature.SetGeometry(std::make_unique<OGRPoint>(readings.longitude[k], readings.latitude[k]).get());
        if (styled)
            feature.SetStyleString(SymbolStyle(colours[k]).c_str());
        gdal.Watch();
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            error = gdal.Failed("cannot write reading " + std::to_string(readings.index[k]) + " to " + path,
                                ExportProblem::CannotWrite, path);
            return false;
        }
    }
    gdal.Watch();
    if (transaction && dataset->CommitTransaction() != OGRERR_NONE) {
        error = gdal.Failed("cannot write " + path, ExportProblem::CannotWrite, path);
        return false;
    }
    if (format == ExportFormat::GeoPackage) // into gpkg_metadata; the others get a side note
        for (const auto& [key, value] : provenance)
            dataset->SetMetadataItem(key.c_str(), value.c_str());
    return gdal.Close(dataset.release(), path, error);
}
