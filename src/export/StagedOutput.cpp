#include "export/StagedOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileIO.h"

namespace {

// Where earlier files wait inside the staging directory until the commit is done.
constexpr const char* kEarlier = ".earlier";

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The plain files of a directory.
std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            struct stat status {};
            if (::lstat((directory + "/" + name).c_str(), &status) == 0 && S_ISREG(status.st_mode))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
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

void SyncDirectory(const std::string& path)
{
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A failed call on `path` (named so in English) that the operator knows as `file`.
ExportError Failure(ExportProblem problem, const std::string& what, const std::string& path,
                    const std::string& file)
{
    const int number = errno;
    return FileError(problem, file, number, what + " \"" + path + "\": " + std::strerror(number));
}

} // namespace

// One move of the commit: an earlier file set aside, or a new file put in place.
struct StagedOutput::Step {
    std::string placed;
    std::string aside; // where the earlier file went; empty for a new file
};

StagedOutput::StagedOutput(std::string target, std::vector<std::string> companions, Renamer rename)
    : target_(std::move(target)), companions_(std::move(companions)),
      rename_(rename ? std::move(rename) : Renamer(::rename))
{
}

StagedOutput::~StagedOutput()
{
    Discard();
}

bool StagedOutput::Open(ExportError& error)
{
    if (BaseName(target_).empty()) {
        error = Refusal(ExportProblem::NoFileName, "\"" + target_ + "\" names no file");
        error.failure.file = target_;
        return false;
    }
    std::string pattern = target_ + ".export-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = Failure(ExportProblem::CannotCreate, "Cannot create", pattern, target_);
        return false;
    }
    directory_ = pattern;
    staged_ = directory_ + "/" + BaseName(target_);
    return true;
}

bool StagedOutput::Commit(ExportError& error)
{
    const std::string main = BaseName(target_);
    std::string place = platform::DirectoryOf(target_);
    place = place.empty() ? "" : place + "/";
    std::vector<std::string> names = FilesIn(directory_);
    for (const std::string& name : names) {
        if (!SyncFile(directory_ + "/" + name)) {
            error = Failure(ExportProblem::CannotWrite, "Cannot write", place + name, place + name);
            return false;
        }
    }
    const std::string earlier = directory_ + "/" + kEarlier;
    if (::mkdir(earlier.c_str(), 0700) != 0) {
        error = Failure(ExportProblem::CannotCreate, "Cannot create", earlier, target_);
        return false;
    }
    // The main file last, so that a complete target never has stale companions.
    std::stable_partition(names.begin(), names.end(), [&](const std::string& name) { return name != main; });
    std::vector<Step> done;
    // Puts everything back; what cannot be is kept, never removed with the staging directory.
    auto undo = [&] {
        if (!RollBack(done)) {
            error.text += "; some earlier files could not be put back and are kept in \"" + earlier + "\"";
            error.failure.earlierKeptAside = true;
            directory_.clear();
        }
        return false;
    };
    for (const std::string& companion : companions_) {
        if (std::find(names.begin(), names.end(), companion) != names.end() || !Exists(place + companion))
            continue;
        if (rename_((place + companion).c_str(), (earlier + "/" + companion).c_str()) != 0) {
            error = Failure(ExportProblem::CannotReplace, "Cannot move aside", place + companion, place + companion);
            return undo();
        }
        done.push_back({place + companion, earlier + "/" + companion});
    }
    for (const std::string& name : names) {
        if (Exists(place + name)) {
            if (rename_((place + name).c_str(), (earlier + "/" + name).c_str()) != 0) {
                error = Failure(ExportProblem::CannotReplace, "Cannot move aside", place + name, place + name);
                return undo();
            }
            done.push_back({place + name, earlier + "/" + name});
        }
        if (rename_((directory_ + "/" + name).c_str(), (place + name).c_str()) != 0) {
            error = Failure(ExportProblem::CannotReplace, "Cannot replace", place + name, place + name);
            return undo();
        }
        done.push_back({place + name, {}});
    }
    SyncDirectory(place);
    committed_.clear();
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        committed_.push_back(place + *name);
    Discard();
    return true;
}

bool StagedOutput::RollBack(std::vector<Step>& done)
{
    bool restored = true;
    for (auto step = done.rbegin(); step != done.rend(); ++step) {
        if (step->aside.empty())
            restored &= ::unlink(step->placed.c_str()) == 0;
        else
            restored &= rename_(step->aside.c_str(), step->placed.c_str()) == 0;
    }
    done.clear();
    return restored;
}

void StagedOutput::Discard()
{
    if (directory_.empty())
        return;
    const std::string earlier = directory_ + "/" + kEarlier;
    for (const std::string& name : FilesIn(earlier))
        ::unlink((earlier + "/" + name).c_str());
    ::rmdir(earlier.c_str());
    for (const std::string& name : FilesIn(directory_))
        ::unlink((directory_ + "/" + name).c_str());
    ::rmdir(directory_.c_str());
    directory_.clear();
}
