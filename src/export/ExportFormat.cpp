#include "export/ExportFormat.h"

#include "settings/CSettings.h"

namespace {

const ExportFormatInfo kGeoPackage{ExportFormat::GeoPackage, "gpkg", "GeoPackage (*.gpkg)", "gpkg", false};
const ExportFormatInfo kGeoJson{ExportFormat::GeoJson, "geojson", "GeoJSON (*.geojson)", "geojson", false};
const ExportFormatInfo kKml{ExportFormat::Kml, "kml", "KML (*.kml)", "kml", false};
const ExportFormatInfo kGpx{ExportFormat::Gpx, "gpx", "GPX (*.gpx)", "gpx", false};
const ExportFormatInfo kShapefile{ExportFormat::Shapefile, "shp", "ESRI Shapefile (*.shp)", "shp", false};
const ExportFormatInfo kCsvWkt{ExportFormat::CsvWkt, "csvwkt", "CSV with WKT points (*.csv)", "csv", false};
const ExportFormatInfo kGeoTiff{ExportFormat::GeoTiff, "tif", "GeoTIFF grid (*.tif)", "tif", false};
const ExportFormatInfo kAsciiGrid{ExportFormat::AsciiGrid, "asc", "ESRI ASCII grid (*.asc)", "asc", true};
const ExportFormatInfo kSurferGrid{ExportFormat::SurferGrid, "grd", "Surfer grid (*.grd)", "grd", true};
const ExportFormatInfo kStationTable{ExportFormat::StationTable, "stations", "Station table (*.csv)", "csv", false};
const ExportFormatInfo kSectionGrid{ExportFormat::SectionAsciiGrid, "asc", "Section, ESRI ASCII grid (*.asc)", "asc",
                                    false};

} // namespace

std::vector<ExportFormatInfo> ExportFormatsFor(int32_t workType)
{
    switch (workType) {
    case kWorkGpsTrack:
        return {kGeoPackage, kGeoJson, kKml, kGpx, kShapefile, kCsvWkt, kGeoTiff, kAsciiGrid, kSurferGrid};
    case kWorkMap:
        return {kGeoTiff, kAsciiGrid, kSurferGrid};
    case kWorkLimitedProfile:
    case kWorkProfile:
        return {kStationTable, kSectionGrid};
    default:
        return {};
    }
}

std::optional<ExportFormatInfo> FindExportFormat(int32_t workType, const std::string& name)
{
    for (const ExportFormatInfo& info : ExportFormatsFor(workType))
        if (info.name == name)
            return info;
    return std::nullopt;
}
