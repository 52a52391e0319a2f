#include "export/GdalErrors.h"

#include <gdal_priv.h>

#include <cpl_error.h>
#include <mutex>

namespace {

void Keep(CPLErr level, CPLErrorNum, const char* message)
{
    if (level < CE_Failure || message == nullptr)
        return;
    auto* last = static_cast<std::string*>(CPLGetErrorHandlerUserData());
    *last = message;
}

} // namespace

GdalErrors::GdalErrors()
{
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLPushErrorHandlerEx(Keep, &last_);
}

GdalErrors::~GdalErrors()
{
    CPLPopErrorHandler();
}

std::string GdalErrors::Explain(const std::string& what) const
{
    return last_.empty() ? what : what + ": " + last_;
}

bool GdalErrors::Close(GDALDataset* dataset, const std::string& path, std::string& error)
{
    last_.clear();
    GDALClose(dataset);
    if (!last_.empty())
        error = Explain("cannot finish " + path);
    return last_.empty();
}
