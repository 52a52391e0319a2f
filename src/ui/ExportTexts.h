#pragma once
#include <string>

#include "export/ExportFormat.h"
#include "export/SessionExport.h"

// What the export command says to the operator, in one place.

// The hints of the options dialog's fields, for the defaults left empty.
std::string SurveyCellHint(double cellMetres);
inline constexpr const char* kTrackCellHint = "по умолчанию четверть радиуса";
inline constexpr const char* kTrackRadiusHint = "по умолчанию как на карте трека";

// A typed extension of another format than the filter's: which one is meant.
std::string FormatQuestion(const std::string& path, const ExportFormatInfo& typed, const ExportFormatInfo& chosen);

// Before replacing an existing file.
std::string ReplaceQuestion(const std::string& path);

// Before writing the files without the readings left out.
std::string LeftOutQuestion(const LeftOut& leftOut);

// What was written: the files, readings, frequencies, cell and coordinate system.
std::string ExportSummary(const ExportResult& result, const ExportFormatInfo& format);

// Why nothing was written, naming the operator's file.
std::string ExportFailureText(const ExportResult& result);
