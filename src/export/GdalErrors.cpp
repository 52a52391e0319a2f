#include "export/GdalErrors.h"

#include <gdal_priv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// Numbers a write the system refused leaves in errno. Others, such as ENOENT, GDAL's drivers
// leave behind while they look for files that may be absent, and say nothing of a failure.
bool IsWriteError(int number)
{
    switch (number) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EACCES:
    case EPERM:
    case EROFS:
        return true;
    default:
        return false;
    }
}

} // namespace

GdalErrors::GdalErrors()
{
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLPushErrorHandlerEx(Keep, this);
}

GdalErrors::~GdalErrors()
{
    CPLPopErrorHandler();
}

void CPL_STDCALL GdalErrors::Keep(CPLErr level, CPLErrorNum, const char* message)
{
    // Taken first: the failed system call is the last one made before GDAL reports it.
    const int number = errno;
    if (level < CE_Failure || message == nullptr)
        return;
    auto* self = static_cast<GdalErrors*>(CPLGetErrorHandlerUserData());
    self->last_ = message;
    if (!self->reported_) {
        self->reported_ = true;
        self->reportedErrno_ = number;
    }
    if (self->refusedWrite_ == 0 && IsWriteError(number))
        self->refusedWrite_ = number;
    errno = number;
}

void GdalErrors::Watch()
{
    last_.clear();
    reported_ = false;
    reportedErrno_ = 0;
    errno = 0;
}

ExportError GdalErrors::Failed(const std::string& what, ExportProblem fileProblem, const std::string& path) const
{
    const std::string text = last_.empty() ? what : what + ": " + last_;
    const int number = IsWriteError(reportedErrno_) ? reportedErrno_ : refusedWrite_ != 0 ? refusedWrite_ : errno;
    if (IsWriteError(number))
        return FileError(fileProblem, path, number, text);
    ExportError error = Refusal(ExportProblem::GdalFailed, text);
    error.failure.file = path;
    return error;
}

bool GdalErrors::Close(GDALDataset* dataset, const std::string& path, ExportError& error)
{
    Watch();
    GDALClose(dataset);
    // Drivers that buffer their output (GeoJSON, KML, GPX, CSV) ignore a failed final write.
    const int number = errno;
    if (last_.empty() && !IsWriteError(number) && refusedWrite_ == 0)
        return true;
    std::string what = "cannot finish " + path;
    if (last_.empty())
        what += std::string(": ") + std::strerror(IsWriteError(number) ? number : refusedWrite_);
    errno = number;
    error = Failed(what, ExportProblem::CannotWrite, path);
    return false;
}
