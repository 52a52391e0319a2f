#pragma once
#include <string>

class GDALDataset;

// GDAL made ready for one export on this thread: its drivers registered, and what it reports
// kept here for the export's result instead of going to standard error.
class GdalErrors {
public:
    GdalErrors();
    ~GdalErrors();
    GdalErrors(const GdalErrors&) = delete;
    GdalErrors& operator=(const GdalErrors&) = delete;

    // `what`, followed by the last error GDAL reported, if any.
    std::string Explain(const std::string& what) const;
    // Closes the dataset written to path, which flushes it; false with the reason.
    bool Close(GDALDataset* dataset, const std::string& path, std::string& error);

private:
    std::string last_;
};
