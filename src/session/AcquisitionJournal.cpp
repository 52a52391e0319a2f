#include "session/AcquisitionJournal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/ConfigDirectory.h"
#include "session/JournalLock.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace {

journal::State StateOf(const CSettings& settings)
{
    journal::State state;
    state.texts = {settings.headerText1, settings.headerText2, settings.headerText3};
    for (std::string& text : state.texts)
        if (text.size() > journal::kMaxTextBytes)
            text.resize(journal::kMaxTextBytes);
    state.key = settings.calibrationKey;
    state.reportedSerial = settings.reportedSerial;
    state.extra1 = settings.sessionExtra1;
    state.extra2 = settings.sessionExtra2;
    state.xStep = settings.xStep;
    state.yStep = settings.yStep;
    for (size_t i = 0; i < state.usedFrequencies.size(); ++i)
        state.usedFrequencies[i] = settings.usedFrequencies[i] != 0 ? 1 : 0;
    return state;
}

journal::Begin BeginOf(const DataSet& dataSet, const CSettings& settings, std::time_t now)
{
    journal::Begin begin;
    begin.created = int64_t(now);
    if (AsTrack(dataSet)) {
        begin.track = true;
        begin.workType = kWorkGpsTrack;
    } else if (const auto* survey = AsSurvey(dataSet)) {
        begin.xSize = survey->XSize();
        begin.ySize = survey->YSize();
        const bool profileType = settings.workType == kWorkLimitedProfile || settings.workType == kWorkProfile;
        begin.workType = profileType && begin.ySize == 1 ? settings.workType : kWorkMap;
    }
    return begin;
}

journal::Reading ReadingOf(const DataSet& dataSet, uint32_t index)
{
    journal::Reading reading;
    reading.index = index;
    reading.record = dataSet.Record(index);
    reading.positionA = dataSet.CurrentIndex();
    if (const auto* track = AsTrack(dataSet)) {
        if (index < track->FixCount())
            reading.fix = track->FixAt(index);
    } else if (const auto* survey = AsSurvey(dataSet)) {
        reading.positionA = survey->Profile();
        reading.positionB = survey->Station();
    }
    return reading;
}

bool IsTrack(const DataSet& dataSet) { return dataSet.Kind() == DataSetKind::Track; }

} // namespace

void AcquisitionJournal::Failed(const std::string& what, const std::string& path, int error)
{
    error_ = what + " \"" + path + "\": " + std::strerror(error);
    errorNumber_ = error;
}

AcquisitionJournal::AcquisitionJournal(std::string directory, const CSettings& settings)
    : directory_(std::move(directory)), settings_(settings)
{
}

AcquisitionJournal::~AcquisitionJournal() { Close(); }

std::string AcquisitionJournal::DefaultDirectory() { return platform::JoinPath(platform::DataDirectory(), "journal"); }

void AcquisitionJournal::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (previousFd_ >= 0)
        ::close(previousFd_);
    previousFd_ = -1;
}

bool AcquisitionJournal::Start(const DataSet& dataSet, std::time_t now)
{
    // The earlier file stays, held, until the new one holds everything: until then it is
    // the best there is to recover from.
    if (fd_ >= 0) {
        if (previousFd_ >= 0)
            ::close(previousFd_);
        previousFd_ = std::exchange(fd_, -1);
    }
    pending_.clear();
    needsStart_ = true; // until the new file holds everything
    if (!platform::MakeDirectories(directory_)) {
        Failed("Cannot create the journal directory", directory_, errno);
        return false;
    }
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    static unsigned sequence = 0;
    const std::string name = "journal-" + std::string(stamp) + "-" + std::to_string(::getpid()) + "-" +
                             std::to_string(++sequence) + journal::kFileSuffix;
    const std::string path = platform::JoinPath(directory_, name);
    // Written under a name no listing sees, held, and only then given its name: another
    // process can never find this journal without finding it held.
    const std::string hidden = platform::JoinPath(directory_, "." + name + ".new");
    fd_ = ::open(hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Failed("Cannot create", path, errno);
        return false;
    }
    if (!JournalLock::HoldDescriptor(fd_)) {
        Failed("Cannot lock", path, errno);
        ::close(std::exchange(fd_, -1));
        ::unlink(hidden.c_str());
        return false;
    }
    const std::string previous = std::exchange(path_, path);
    end_ = 0;

    state_ = StateOf(settings_);
    pending_ = journal::FileHeader();
    journal::AppendEntry(pending_, journal::kBegin, journal::EncodeBegin(BeginOf(dataSet, settings_, now)));
    journal::AppendEntry(pending_, journal::kState, journal::EncodeState(state_));
    const bool track = IsTrack(dataSet);
    const size_t count = dataSet.RecordCount();
    const auto* survey = AsSurvey(dataSet);
    const bool openProfile = survey && survey->XSize() == 0;
    // Empty survey records need no entry, except the last one of a grown open profile.
    std::vector<uint32_t> entries;
    for (size_t k = 0; k < count; ++k) {
        const bool grown = openProfile && k + 1 == count && count > SurveyDataSet::kOpenProfileStart;
        if (track || !dataSet.Record(k).Empty() || grown)
            entries.push_back(uint32_t(k));
    }
    for (const uint32_t k : entries) {
        journal::Reading reading = ReadingOf(dataSet, k);
        // Replay sets the position after each reading, while an open profile or a track
        // is still shorter than now: only the last entry carries where the data set stands.
        if (k != entries.back())
            reading.positionA = reading.positionB = 0;
        journal::AppendEntry(pending_, track ? journal::kTrackReading : journal::kSurveyReading,
                             journal::EncodeReading(reading, track));
    }
    if (const auto* trackSet = AsTrack(dataSet))
        journal::AppendEntry(pending_, journal::kCurrentFix, journal::EncodeCurrentFix(trackSet->CurrentFix()));

    bool written = Flush(true);
    if (written && ::rename(hidden.c_str(), path.c_str()) != 0) {
        Failed("Cannot name", path, errno);
        written = false;
    }
    // The directory entry must reach the disk too, or the file may vanish with power.
    const int dirFd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    if (!written) {
        // A file without its whole snapshot would recover less than memory holds.
        ::close(std::exchange(fd_, -1));
        ::unlink(hidden.c_str());
        path_ = previous;
        pending_.clear();
        return false;
    }
    if (!previous.empty())
        ::unlink(previous.c_str());
    if (previousFd_ >= 0)
        ::close(std::exchange(previousFd_, -1));
    needsStart_ = false;
    return true;
}

void AcquisitionJournal::Discard()
{
    Close();
    if (!path_.empty())
        ::unlink(path_.c_str());
    path_.clear();
    pending_.clear();
    needsStart_ = false;
    end_ = 0;
}

void AcquisitionJournal::QueueStateIfChanged()
{
    journal::State now = StateOf(settings_);
    if (now == state_)
        return;
    state_ = std::move(now);
    Append(journal::kState, journal::EncodeState(state_));
}

void AcquisitionJournal::Queue(journal::EntryType type, const std::string& payload)
{
    QueueStateIfChanged();
    Append(type, payload);
}

void AcquisitionJournal::Append(journal::EntryType type, const std::string& payload)
{
    journal::AppendEntry(pending_, type, payload);
    if (pending_.size() <= kMaxPendingBytes)
        return;
    // The file has been failing for thousands of readings: stop holding them twice. The
    // next Commit snapshots the data set into a new file instead; this one stays held.
    pending_.clear();
    needsStart_ = true;
    error_ = "The journal \"" + path_ + "\" fell too far behind" + (error_.empty() ? "" : ": " + error_);
}

void AcquisitionJournal::ReadingStored(const DataSet& dataSet, uint32_t index)
{
    if (fd_ < 0) {
        needsStart_ = true; // the start snapshot will hold it
        return;
    }
    const bool track = IsTrack(dataSet);
    Queue(track ? journal::kTrackReading : journal::kSurveyReading,
          journal::EncodeReading(ReadingOf(dataSet, index), track));
}

void AcquisitionJournal::FixStored(const DataSet& dataSet, uint32_t index)
{
    const auto* track = AsTrack(dataSet);
    if (!track || index >= track->FixCount())
        return;
    if (fd_ < 0) {
        needsStart_ = true;
        return;
    }
    Queue(journal::kFix, journal::EncodeFix(index, track->FixAt(index)));
}

void AcquisitionJournal::CurrentFixChanged(const GpsFix& fix)
{
    if (fd_ < 0)
        return;
    const bool healthy = pending_.empty();
    Append(journal::kCurrentFix, journal::EncodeCurrentFix(fix));
    // Queued readings wait for a flushed commit: an unflushed write must not clear them.
    if (healthy)
        Flush(false);
}

bool AcquisitionJournal::Commit(const DataSet& dataSet)
{
    if (needsStart_)
        return Start(dataSet);
    return Flush(true);
}

bool AcquisitionJournal::Flush(bool sync)
{
    if (fd_ < 0)
        return pending_.empty();
    // Always at the end of the intact entries, so a torn earlier attempt is overwritten.
    size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::pwrite(fd_, pending_.data() + done, pending_.size() - done, off_t(end_ + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Failed("Cannot write the journal", path_, n < 0 ? errno : ENOSPC);
            return false;
        }
        done += size_t(n);
    }
    if (sync && ::fdatasync(fd_) != 0) {
        // After a failed flush the written pages may be lost: write them again next time.
        Failed("Cannot flush the journal", path_, errno);
        return false;
    }
    end_ += pending_.size();
    pending_.clear();
    error_.clear();
    errorNumber_ = 0;
    return true;
}
