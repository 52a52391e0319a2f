#include "export/StagedOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/FileIO.h"

namespace {

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

bool SyncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string Failure(const std::string& what, const std::string& path)
{
    return what + " \"" + path + "\": " + std::strerror(errno);
}

} // namespace

StagedOutput::~StagedOutput()
{
    Discard();
}

bool StagedOutput::Open(std::string& error)
{
    if (BaseName(target_).empty()) {
        error = "\"" + target_ + "\" names no file";
        return false;
    }
    std::string pattern = target_ + ".export-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = Failure("Cannot create", pattern);
        return false;
    }
    directory_ = pattern;
    staged_ = directory_ + "/" + BaseName(target_);
    return true;
}

bool StagedOutput::Commit(std::string& error)
{
    const std::string main = BaseName(target_);
    std::string place = platform::DirectoryOf(target_);
    place = place.empty() ? "" : place + "/";
    std::vector<std::string> names = FilesIn(directory_);
    for (const std::string& name : names) {
        if (!SyncFile(directory_ + "/" + name)) {
            error = Failure("Cannot write", place + name);
            return false;
        }
    }
    // Side files first, so that a complete target never has stale companions.
    std::stable_partition(names.begin(), names.end(), [&](const std::string& name) { return name != main; });
    for (const std::string& name : names) {
        if (::rename((directory_ + "/" + name).c_str(), (place + name).c_str()) != 0) {
            error = Failure("Cannot replace", place + name);
            return false;
        }
    }
    const int dirFd = ::open(place.empty() ? "." : place.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    Discard();
    return true;
}

void StagedOutput::Discard()
{
    if (directory_.empty())
        return;
    for (const std::string& name : FilesIn(directory_))
        ::unlink((directory_ + "/" + name).c_str());
    ::rmdir(directory_.c_str());
    directory_.clear();
}
