#include "session/JournalRecovery.h"

#include <algorithm>
#include <dirent.h>

#include "platform/ConfigDirectory.h"
#include "session/CreateDataSet.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace {

// The settings a recovery writes, kept to be put back.
class SessionSettings {
public:
    explicit SessionSettings(const CSettings& s)
        : texts_{s.headerText1, s.headerText2, s.headerText3}, key_(s.calibrationKey),
          calibration_(s.currentCalibration), serial_(s.reportedSerial), extra1_(s.sessionExtra1),
          extra2_(s.sessionExtra2), xStep_(s.xStep), yStep_(s.yStep), used_(s.usedFrequencies),
          workType_(s.workType), xSize_(s.xSize), ySize_(s.ySize), stations_(s.gridStations),
          profiles_(s.gridProfiles)
    {
    }
    void Restore(CSettings& s) const
    {
        s.headerText1 = texts_[0];
        s.headerText2 = texts_[1];
        s.headerText3 = texts_[2];
        s.calibrationKey = key_;
        s.currentCalibration = calibration_;
        s.reportedSerial = serial_;
        s.sessionExtra1 = extra1_;
        s.sessionExtra2 = extra2_;
        s.xStep = xStep_;
        s.yStep = yStep_;
        s.usedFrequencies = used_;
        s.workType = workType_;
        s.xSize = xSize_;
        s.ySize = ySize_;
        s.gridStations = stations_;
        s.gridProfiles = profiles_;
    }

private:
    std::array<std::string, 3> texts_;
    CalibrationKey key_;
    CalibrationSet calibration_;
    int32_t serial_, extra1_, extra2_;
    float xStep_, yStep_;
    std::array<int32_t, kFrequencyCount> used_;
    int32_t workType_, xSize_, ySize_, stations_, profiles_;
};

void ApplyState(const journal::State& state, CSettings& settings)
{
    settings.headerText1 = state.texts[0];
    settings.headerText2 = state.texts[1];
    settings.headerText3 = state.texts[2];
    settings.InstallSet(state.key);
    // The file names the calibration the readings were taken with, even where this
    // store lacks that set and another one was installed.
    settings.calibrationKey = state.key;
    settings.reportedSerial = state.reportedSerial;
    settings.sessionExtra1 = state.extra1;
    settings.sessionExtra2 = state.extra2;
    settings.xStep = state.xStep;
    settings.yStep = state.yStep;
    for (size_t i = 0; i < state.usedFrequencies.size(); ++i)
        settings.usedFrequencies[i] = state.usedFrequencies[i];
}

bool WorkTypeKnown(int32_t workType)
{
    return workType == kWorkMap || workType == kWorkLimitedProfile || workType == kWorkProfile;
}

// The data set as it was created; null (with `problem`) when the header is impossible.
std::unique_ptr<DataSet> Build(const journal::Begin& begin, CSettings& settings, std::string& problem)
{
    if (begin.track) {
        settings.workType = kWorkGpsTrack;
        return CreateDataSet(settings);
    }
    if (!WorkTypeKnown(begin.workType) || begin.ySize == 0 || begin.xSize > DataSet::kMaxRecords ||
        begin.ySize > DataSet::kMaxRecords || uint64_t(begin.xSize) * begin.ySize > DataSet::kMaxRecords ||
        (begin.workType != kWorkMap && begin.ySize != 1) || (begin.workType == kWorkProfile && begin.xSize != 0) ||
        (begin.xSize == 0 && begin.ySize != 1)) {
        // An open-ended grid of several profiles would save as a file that does not open.
        problem = "the journal names an impossible grid";
        return nullptr;
    }
    settings.workType = begin.workType;
    if (begin.workType != kWorkProfile)
        settings.xSize = int32_t(begin.xSize);
    if (begin.workType == kWorkMap)
        settings.ySize = int32_t(begin.ySize);
    return CreateDataSet(settings);
}

// Replays one entry; false with `problem` when it does not fit the data set.
bool Replay(const journal::Entry& entry, DataSet& dataSet, bool track, CSettings& settings, size_t& readings,
            std::string& problem)
{
    switch (entry.type) {
    case journal::kState: {
        journal::State state;
        if (!journal::DecodeState(entry.payload, state))
            return problem = "a settings entry is malformed", false;
        ApplyState(state, settings);
        return true;
    }
    case journal::kSurveyReading:
    case journal::kTrackReading: {
        journal::Reading reading;
        if ((entry.type == journal::kTrackReading) != track ||
            !journal::DecodeReading(entry.payload, track, reading))
            return problem = "a reading entry is malformed", false;
        // The position after the reading is checked before anything is stored, so a damaged
        // entry leaves the data set as the entries before it made it.
        const size_t recordsAfter = std::max<size_t>(dataSet.RecordCount(), size_t(reading.index) + 1);
        bool ok = false;
        if (track) {
            auto& set = static_cast<TrackDataSet&>(dataSet);
            ok = reading.positionA <= recordsAfter && set.RestoreReading(reading.index, reading.record, reading.fix) &&
                 set.SetCursor(reading.positionA);
        } else {
            auto& set = static_cast<SurveyDataSet&>(dataSet);
            // Open profiles grow one reading at a time; grids never grow.
            const bool fits = set.XSize() == 0 ? reading.index <= set.RecordCount() : reading.index < set.RecordCount();
            ok = fits && set.PositionFits(reading.positionA, reading.positionB, recordsAfter) &&
                 set.StoreRecord(reading.index, reading.record) && set.SetPosition(reading.positionA, reading.positionB);
        }
        if (!ok)
            return problem = "reading " + std::to_string(reading.index) + " lies outside the data set", false;
        ++readings;
        return true;
    }
    case journal::kFix: {
        uint32_t index = 0;
        GpsFix fix;
        if (!track || !journal::DecodeFix(entry.payload, index, fix))
            return problem = "a position entry is malformed", false;
        if (!static_cast<TrackDataSet&>(dataSet).RestoreFix(index, fix))
            return problem = "a position for reading " + std::to_string(index) + " that does not exist", false;
        return true;
    }
    case journal::kCurrentFix: {
        GpsFix fix;
        if (!track || !journal::DecodeCurrentFix(entry.payload, fix))
            return problem = "a live position entry is malformed", false;
        static_cast<TrackDataSet&>(dataSet).SetCurrentFix(fix);
        return true;
    }
    default:
        return problem = "an entry of unknown type " + std::to_string(int(entry.type)), false;
    }
}

} // namespace

JournalSummary SummarizeJournal(std::string_view bytes)
{
    JournalSummary summary;
    journal::EntryCursor cursor(bytes);
    journal::Entry entry;
    bool first = true;
    while (cursor.Next(entry)) {
        if (first) {
            first = false;
            if (entry.type != journal::kBegin || !journal::DecodeBegin(entry.payload, summary.begin)) {
                summary.problem = "the journal does not begin with its data set";
                return summary;
            }
            summary.begun = true;
            continue;
        }
        if (entry.type == journal::kFix) {
            ++summary.fixes;
        } else if (entry.type == journal::kSurveyReading || entry.type == journal::kTrackReading) {
            journal::Reading reading;
            if (!journal::DecodeReading(entry.payload, entry.type == journal::kTrackReading, reading))
                continue;
            ++summary.readings;
            if (reading.record.Empty())
                continue;
            const uint32_t stamp = reading.record.TimeStamp();
            summary.firstStamp = summary.anyStamp ? std::min(summary.firstStamp, stamp) : stamp;
            summary.lastStamp = summary.anyStamp ? std::max(summary.lastStamp, stamp) : stamp;
            summary.anyStamp = true;
        }
    }
    summary.problem = cursor.Problem();
    return summary;
}

namespace {

RecoveryResult ReplayJournal(std::string_view bytes, CSettings& settings)
{
    RecoveryResult result;
    journal::EntryCursor cursor(bytes);
    journal::Entry entry;
    journal::Begin begin;
    journal::State state;
    if (!cursor.Next(entry) || entry.type != journal::kBegin || !journal::DecodeBegin(entry.payload, begin) ||
        !cursor.Next(entry) || entry.type != journal::kState || !journal::DecodeState(entry.payload, state)) {
        result.problem = cursor.Problem().empty() ? "the journal does not begin with its data set" : cursor.Problem();
        return result;
    }
    ApplyState(state, settings);
    result.dataSet = Build(begin, settings, result.problem);
    if (!result.dataSet)
        return result;
    bool replayed = true;
    while (replayed && cursor.Next(entry))
        replayed = Replay(entry, *result.dataSet, begin.track, settings, result.readings, result.problem);
    result.complete = replayed && (cursor.Problem().empty() || cursor.TornTail());
    if (result.problem.empty())
        result.problem = cursor.Problem();
    result.dataSet->SetModified(true);
    if (begin.track)
        static_cast<TrackDataSet&>(*result.dataSet).ComputeTrack(false);
    for (const MeasurementRecord& record : result.dataSet->Records())
        result.measured += record.Empty() ? 0 : 1;
    return result;
}

} // namespace

RecoveryResult RecoverJournal(std::string_view bytes, CSettings& settings)
{
    // Settings change only for a journal that gives a data set.
    const SessionSettings before(settings);
    RecoveryResult result = ReplayJournal(bytes, settings);
    if (!result.dataSet) {
        before.Restore(settings);
        return result;
    }
    const size_t intact = SummarizeJournal(bytes).readings;
    result.lost = intact > result.readings ? intact - result.readings : 0;
    return result;
}

RecoveryResult TryRecoverJournal(std::string_view bytes, CSettings& settings)
{
    const SessionSettings before(settings);
    RecoveryResult result = RecoverJournal(bytes, settings);
    before.Restore(settings);
    return result;
}

std::vector<std::string> ListJournals(const std::string& directory)
{
    std::vector<std::string> paths;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return paths;
    const std::string suffix = journal::kFileSuffix;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            paths.push_back(platform::JoinPath(directory, name));
    }
    ::closedir(dir);
    std::sort(paths.begin(), paths.end());
    return paths;
}
