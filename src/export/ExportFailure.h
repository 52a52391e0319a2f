#pragma once
#include <cstddef>
#include <string>
#include <utility>

#include "platform/FileIO.h"

// What stopped an export, for a caller that words it in its own language.
enum class ExportProblem {
    None,
    FormatNotForWorkType,       // the format is not among those of the session's work type
    DataNotForWorkType,         // the data set is not of the settings' work type
    NoMeasuredReading,
    KeepUnlocatedNotInFormat,   // only GeoPackage and CSV keep readings without a position
    NoSuchFrequency,            // frequency
    FrequencyNotUsed,           // frequency, kHz
    NoFrequencyUsed,
    OneFrequencyFormat,         // the format holds one frequency and several were chosen
    ReadingsLeftOut,            // the result's leftOut, refused
    NoReadingExportable,        // readings: how many were measured
    NoPositionToGrid,
    TrackMapTooSmall,           // fewer than 4 positioned readings, or all in one place
    MapTooFewProfiles,          // fewer than 2 complete profiles of 2 stations
    MapStepsNotAboveZero,
    PaintedWidthTooSmall,
    SectionTooShort,            // fewer than 2 measured stations in a run or 2 used frequencies
    SectionFlat,                // no station step or every frequency at one depth
    SectionNeedsEveryFrequency,
    CellNotAboveZero,
    RadiusNotAboveZero,
    GridTooLarge,               // columns, rows, bands, gigabytes
    NoUtmZone,                  // the track could not be projected
    CannotGrid,
    NotEnoughMemory,
    NoFileName,
    CannotCreate,               // file, errorNumber
    CannotWrite,                // file, errorNumber
    CannotReplace,              // file, errorNumber: an earlier file could not be moved aside or replaced
    GdalDriverMissing,
    GdalFailed,                 // file: GDAL failed, and not at a write the system refused
};

// An export's failure in parts, with the numbers and names its words need.
struct ExportFailure {
    ExportProblem problem = ExportProblem::None;
    // The file it is about as the operator knows it: the target or a file of its set beside
    // it, never a staging one.
    std::string file;
    int errorNumber = 0;            // errno of the failed file call; 0 when none told why
    bool earlierKeptAside = false;  // earlier files could not be put back and wait beside the target
    int frequency = 0;              // from 1
    double kHz = 0;
    size_t readings = 0;
    double columns = 0, rows = 0;   // of the grid refused as too large
    size_t bands = 0;
    double gigabytes = 0;
};

// A failure as the export's parts pass it up: the English text lurctl prints, and its parts.
struct ExportError {
    std::string text;
    ExportFailure failure;
};

inline ExportError Refusal(ExportProblem problem, std::string text)
{
    ExportError error;
    error.text = std::move(text);
    error.failure.problem = problem;
    return error;
}

// A file call on `file` that failed with errno `errorNumber`.
inline ExportError FileError(ExportProblem problem, std::string file, int errorNumber, std::string text)
{
    ExportError error = Refusal(problem, std::move(text));
    error.failure.file = std::move(file);
    error.failure.errorNumber = errorNumber;
    return error;
}

// A failed platform::WriteFileAtomically of `file` in the staging directory, where it
// replaces nothing of the operator's.
inline ExportError FileResultError(const platform::FileResult& result, std::string file)
{
    return FileError(result.failure == platform::FileFailure::Create ? ExportProblem::CannotCreate
                                                                      : ExportProblem::CannotWrite,
                     std::move(file), result.errorNumber, result.error);
}
