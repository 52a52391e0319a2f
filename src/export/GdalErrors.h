#pragma once
#include <cpl_error.h>

#include <string>

#include "export/ExportFailure.h"

class GDALDataset;

// GDAL made ready for one export on this thread: its drivers registered, and what it reports
// kept here for the export's result instead of going to standard error.
class GdalErrors {
public:
    GdalErrors();
    ~GdalErrors();
    GdalErrors(const GdalErrors&) = delete;
    GdalErrors& operator=(const GdalErrors&) = delete;

    // Before each call whose failure is reported: forgets what earlier calls left behind.
    void Watch();
    // The failure of the call watched: `what` and GDAL's last error in English; in parts a
    // write of `path` the system refused (`fileProblem` with its errno), else GdalFailed.
    ExportError Failed(const std::string& what, ExportProblem fileProblem, const std::string& path) const;
    // Closes the dataset written to path, which flushes it; false with the reason, also when
    // the driver kept a refused write to itself.
    bool Close(GDALDataset* dataset, const std::string& path, ExportError& error);

private:
    static void CPL_STDCALL Keep(CPLErr level, CPLErrorNum number, const char* message);

    std::string last_;
    int reportedErrno_ = 0; // errno as GDAL reported its first failure since Watch
    bool reported_ = false;
    // The first write the system refused while GDAL reported a failure, since construction: a
    // driver may go on after it (GeoPackage does) and fail later for a reason of its own.
    int refusedWrite_ = 0;
};
