#pragma once
#include <ogrsf_frmts.h>

#include <string>
#include <utility>
#include <vector>

#include "export/ExportFailure.h"
#include "export/GdalErrors.h"

using FieldList = std::vector<std::pair<std::string, OGRFieldType>>;

// Adds `fields` to the layer of the dataset at `path`, in order; `at` gets each field's index
// as the format keeps it (a format may rename fields, a shapefile cuts names at 10
// characters, or have fields of its own). False with the reason.
bool CreateFields(OGRLayer& layer, const FieldList& fields, GdalErrors& gdal, const std::string& path,
                  std::vector<int>& at, ExportError& error);
