#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportFailure.h"
#include "export/ExportFormat.h"
#include "export/Provenance.h"
#include "track/TrackCorrection.h"

class CSettings;
class DataSet;

// Which frequencies an export carries: one frequency index 0..13, or every used one.
struct FrequencySelection {
    std::optional<int> index;
};

// How the map grids of tracks and map surveys are sized. By default cells of a quarter of
// the smaller station step (surveys) or of the radius (tracks), the radius being the track
// map's (its radius in cells times the cell of the map painted 1920 pixels across).
struct GridOptions {
    std::optional<double> cellMetres;
    // The map as painted this many pixels across instead, cell for pixel block: the values
    // the graph shows, smoothing included.
    std::optional<int> paintedWidth;
    std::optional<double> radiusMetres; // tracks: how far a reading reaches
};

// What becomes of track readings that cannot be exported (no position, or none of the
// exported frequencies measured).
enum class LeftOutReadings {
    Refuse,         // nothing is written; the result counts them
    Skip,           // written without them; the result counts them
    KeepUnlocated,  // GeoPackage and CSV: readings without a position with an empty geometry
};

struct ExportOptions {
    ExportFormat format = ExportFormat::GeoPackage;
    FrequencySelection frequencies;
    GridOptions grid;
    LeftOutReadings leftOut = LeftOutReadings::Refuse;
    TrackCorrectionOptions correction;
    std::string sessionName; // as the provenance names it
};

// Reading indices of the session that an export could not carry.
struct LeftOut {
    std::vector<size_t> unpositioned;
    std::vector<size_t> withoutFrequency;
    bool Any() const { return !unpositioned.empty() || !withoutFrequency.empty(); }
};

struct ExportResult {
    bool ok = false;
    std::string error;   // why nothing was written, when !ok
    ExportFailure failure; // the same in parts, for callers that word it themselves
    LeftOut leftOut;     // refused (!ok) or left out of the files (ok)
    std::vector<std::string> files; // written, the main file first
    size_t readings = 0; // points or stations the files hold
    size_t bands = 0;    // frequencies
    Provenance provenance; // as written into the files, grid size and CRS included
};

// Writes the session to `path` in options.format, one of ExportFormatsFor(settings.workType),
// with the settings' conversion, calibration and display settings. The files are written
// into a directory beside the target and moved into place main file last; a failure leaves
// every earlier file as it was. UI thread only (it reads the settings object).
ExportResult ExportSession(const DataSet& data, const CSettings& settings, const ExportOptions& options,
                           const std::string& path);

// "2, 5, 9", the first ten and how many more.
std::string ReadingList(const std::vector<size_t>& indices);
// "3 readings without a position (2, 5, 9)", and those without the exported frequencies.
std::string DescribeLeftOut(const LeftOut& leftOut);

// The value of `key` in the result's provenance, empty when absent.
std::string ProvenanceValue(const ExportResult& result, const std::string& key);
