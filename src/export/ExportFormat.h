#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The files a session can be exported to.
enum class ExportFormat {
    GeoPackage,       // track readings as WGS 84 points
    GeoJson,
    Kml,              // placemarks in the map chart's colours
    Gpx,              // a track, values as extensions
    Shapefile,
    CsvWkt,           // CSV with the point as WKT
    GeoTiff,          // the map grid, one float32 band per frequency
    AsciiGrid,        // the map grid of one frequency, ESRI ASCII
    SurferGrid,       // the map grid of one frequency, Surfer 6 binary
    StationTable,     // profile readings: station, x, frequency, depth, value as CSV
    SectionAsciiGrid, // the section of a profile, ESRI ASCII
};

struct ExportFormatInfo {
    ExportFormat format;
    std::string name;      // word of `lurctl session export --format`
    std::string title;     // as the operator reads it in a sentence: "сетка GeoTIFF"
    std::string filter;    // file dialog filter, "Сетка GeoTIFF (*.tif)"
    std::string extension; // without the dot
    bool oneFrequency;     // holds a single frequency: the export needs one chosen
};

// The formats a session of this work type exports to, the default first; none for an
// unknown work type.
std::vector<ExportFormatInfo> ExportFormatsFor(int32_t workType);

// The format of that name among those of the work type.
std::optional<ExportFormatInfo> FindExportFormat(int32_t workType, const std::string& name);
