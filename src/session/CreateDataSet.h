#pragma once
#include <memory>

#include "survey/DataSet.h"

class CSettings;

// The empty data set of the settings' work type: a track for the GPS track type, else a
// survey grid (which writes its effective grid back into the settings). The settings must
// outlive it.
std::unique_ptr<DataSet> CreateDataSet(CSettings& settings);
