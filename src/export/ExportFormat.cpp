#include "export/ExportFormat.h"

#include "settings/CSettings.h"

namespace {

const ExportFormatInfo kGeoPackage{ExportFormat::GeoPackage, "gpkg", "GeoPackage", "GeoPackage (*.gpkg)", "gpkg", false};
const ExportFormatInfo kGeoJson{ExportFormat::GeoJson, "geojson", "GeoJSON", "GeoJSON (*.geojson)", "geojson", false};
const ExportFormatInfo kKml{ExportFormat::Kml, "kml", "KML", "KML (*.kml)", "kml", false};
const ExportFormatInfo kGpx{ExportFormat::Gpx, "gpx", "GPX", "GPX (*.gpx)", "gpx", false};
const ExportFormatInfo kShapefile{ExportFormat::Shapefile, "shp", "шейп-файл ESRI", "Шейп-файл ESRI (*.shp)", "shp", false};
const ExportFormatInfo kCsvWkt{ExportFormat::CsvWkt, "csvwkt", "CSV с точками WKT", "CSV с точками WKT (*.csv)", "csv", false};
const ExportFormatInfo kGeoTiff{ExportFormat::GeoTiff, "tif", "сетка GeoTIFF", "Сетка GeoTIFF (*.tif)", "tif", false};
const ExportFormatInfo kAsciiGrid{ExportFormat::AsciiGrid, "asc", "сетка ESRI ASCII", "Сетка ESRI ASCII (*.asc)", "asc", true};
const ExportFormatInfo kSurferGrid{ExportFormat::SurferGrid, "grd", "сетка Surfer", "Сетка Surfer (*.grd)", "grd", true};
const ExportFormatInfo kStationTable{ExportFormat::StationTable, "stations", "таблица станций", "Таблица станций (*.csv)", "csv", false};
const ExportFormatInfo kSectionGrid{ExportFormat::SectionAsciiGrid, "asc", "разрез, сетка ESRI ASCII",
                                    "Разрез, сетка ESRI ASCII (*.asc)", "asc",
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
