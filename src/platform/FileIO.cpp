#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileResult Failure(FileFailure failure, const std::string& what, const std::string& path, int error)
{
    return {false, FailureText(what, path, error), failure, error};
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

std::string FailureText(const std::string& what, const std::string& path, int error)
{
    return what + " \"" + path + "\": " + std::strerror(error);
}

std::string DirectoryOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

FileResult WriteFileAtomically(const std::string& path, std::string_view contents)
{
    std::string temporary = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    // The temporary name is ours, not the caller's: the failure names the target.
    if (fd < 0)
        return Failure(FileFailure::Create, "Cannot create", path, errno);
    ::fchmod(fd, 0644);
    errno = 0;
    if (!WriteAll(fd, contents) || ::fsync(fd) != 0) {
        int error = errno ? errno : EIO;
        ::close(fd);
        ::unlink(temporary.c_str());
        return Failure(FileFailure::Write, "Cannot write", path, error);
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return Failure(FileFailure::Replace, "Cannot replace", path, error);
    }
    // The rename itself must reach the disk too.
    std::string dir = DirectoryOf(path);
    int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {true, {}};
}

FileResult OpenRegularFile(const std::string& path, size_t maxBytes, int& fd, size_t& size)
{
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure(FileFailure::Open, "Cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return {false, "\"" + path + "\" is not a regular file", FileFailure::NotRegular, 0};
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        fd = -1;
        return {false, "\"" + path + "\" is too large (" + std::to_string(st.st_size) + " bytes)", FileFailure::TooLarge, 0};
    }
    size = static_cast<size_t>(st.st_size);
    return {true, {}};
}

FileResult ReadWholeFile(const std::string& path, size_t maxBytes, std::string& contents)
{
    contents.clear();
    int fd = -1;
    size_t size = 0;
    FileResult opened = OpenRegularFile(path, maxBytes, fd, size);
    if (!opened.ok)
        return opened;
    contents.resize(size);
    size_t got = 0;
    while (got < contents.size()) {
        ssize_t n = ::read(fd, contents.data() + got, contents.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            return Failure(FileFailure::Read, "Cannot read", path, error);
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    contents.resize(got);
    ::close(fd);
    return {true, {}};
}

} // namespace platform
