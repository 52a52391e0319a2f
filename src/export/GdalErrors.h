#pragma once
#include <string>

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
    // Whether GDAL reported an error since the start or the last Forget().
    bool Reported() const { return !last_.empty(); }
    void Forget() { last_.clear(); }

private:
    std::string last_;
};
