#pragma once
#include <optional>
#include <string>
#include <vector>

#include "model/BatchInversion.h"
#include "model/SessionStations.h"

// `lurctl invert` with its options read and checked.
struct InvertRequest {
    std::string session;
    std::string out;
    std::optional<std::string> profile; // --profile, checked against the session once it is read
    BatchOptions options;
};

// A session's stations and their inverted grounds, in the same order.
struct InvertedSession {
    std::string name; // the file's name, as provenance gives it
    CalibrationKey key;
    SessionStations stations;
    std::vector<InversionResult> results;
};

// What writes the GIS formats (GeoTIFF, GeoPackage): WriteInvertedGis in lurctl-export, a
// hand-over to it in lurctl.
using InvertedGisWriter = int (*)(const InvertRequest& request);

// `invert`; FILE.csv is written here, the GIS formats by `gis`.
int RunInvert(const std::vector<std::string>& args, InvertedGisWriter gis);

// Reads the session and inverts its stations as the request says, the progress on standard
// error when that is a terminal. 0, or the exit status of the failure it has reported.
int InvertSession(const InvertRequest& request, InvertedSession& inverted);

// Inverts and writes the GIS format of request.out (lurctl-export only).
int WriteInvertedGis(const InvertRequest& request);

// Whether `path` names a format written through GDAL.
bool IsInvertedGisPath(const std::string& path);
