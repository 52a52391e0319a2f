#pragma once
#include <string>

#include "export/ExportFailure.h"
#include "export/ExportFormat.h"
#include "export/ExportFrequencies.h"

class CSettings;
class SurveyDataSet;

// Writes a profile as its station table (every measured station and frequency: station,
// x, frequency, pseudo-depth, value) or as the section grid the section graph paints of
// the run through the last measured station (x in metres along the profile, y the negated
// pseudo-depth). False with the reason.
bool WriteSection(const SurveyDataSet& data, const CSettings& settings, ExportFormat format,
                  const ExportFrequencies& frequencies, const std::string& path, ExportError& error);
