#include "session/LeftJournals.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/FileIO.h"
#include "settings/CSettings.h"

namespace {

// journal-YYYYmmdd-HHMMSS-PID-N.lurj
long WriterOf(const std::string& path)
{
    const size_t name = path.rfind('/') + 1;
    size_t at = name;
    for (int dash = 0; dash < 3 && at != std::string::npos; ++dash)
        at = path.find('-', at + 1);
    if (at == std::string::npos)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(path.c_str() + at + 1, &end, 10);
    return end != nullptr && *end == '-' && pid > 0 ? pid : 0;
}

} // namespace

std::vector<LeftJournal> FindLeftJournals(const std::string& directory, CSettings& settings)
{
    std::vector<LeftJournal> found;
    for (const std::string& path : ListJournals(directory)) {
        LeftJournal left;
        left.path = path;
        left.pid = WriterOf(path);
        const JournalLock lock(path);
        if (lock.Status() == JournalLock::State::Missing)
            continue; // gone meanwhile: saved or recovered by its owner
        if (!lock.Held()) {
            left.state = LeftJournalState::InUse;
            found.push_back(std::move(left));
            continue;
        }
        std::string bytes;
        const platform::FileResult read = platform::ReadWholeFile(path, kMaxJournalBytes, bytes);
        if (!read.ok) {
            left.problem = read.error;
            found.push_back(std::move(left));
            continue;
        }
        left.summary = SummarizeJournal(bytes);
        const RecoveryResult tried = TryRecoverJournal(bytes, settings);
        left.problem = tried.problem;
        if (!tried.dataSet) {
            found.push_back(std::move(left));
            continue;
        }
        left.restorable = tried.measured;
        left.lost = tried.lost;
        if (tried.measured == 0 && tried.complete) {
            ::unlink(path.c_str());
            left.state = LeftJournalState::Empty;
        } else {
            left.state = LeftJournalState::Recoverable;
        }
        found.push_back(std::move(left));
    }
    return found;
}

RecoveredJournal::RecoveredJournal(const std::string& path, CSettings& settings) : path_(path), lock_(path)
{
    if (lock_.Status() == JournalLock::State::InUse) {
        result_.problem = "another running program writes it";
        return;
    }
    std::string bytes;
    const platform::FileResult read = platform::ReadWholeFile(path, kMaxJournalBytes, bytes);
    if (!lock_.Held() || !read.ok) {
        result_.problem = read.ok ? "it cannot be opened" : read.error;
        return;
    }
    result_ = RecoverJournal(bytes, settings);
}

bool RecoveredJournal::Settle()
{
    if (!lock_.Held() || !result_.complete)
        return false;
    return ::unlink(path_.c_str()) == 0;
}
