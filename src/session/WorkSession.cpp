#include "session/WorkSession.h"

#include <algorithm>

#include "session/CreateDataSet.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

WorkSession::WorkSession(CSettings& settings, std::string journalDirectory)
    : WorkSession(settings, CreateDataSet(settings), std::move(journalDirectory), WorkOrigin::Created)
{
}

WorkSession::WorkSession(CSettings& settings, std::unique_ptr<DataSet> dataSet, std::string journalDirectory,
                         WorkOrigin origin)
    : journal_(std::move(journalDirectory), settings), dataSet_(std::move(dataSet)), origin_(origin)
{
    track_ = AsTrack(*dataSet_);
    survey_ = AsSurvey(*dataSet_);
    if (origin == WorkOrigin::Opened) {
        if (survey_)
            survey_->MoveToFirstUnmeasured();
        else if (track_)
            track_->SetCursor(uint32_t(track_->RecordCount()));
    }
    dataSet_->SetJournal(&journal_);
}

WorkSession::~WorkSession() = default;

bool WorkSession::Begin(std::time_t now)
{
    // The saved file holds everything until a reading changes it; the journal then starts
    // with the whole data set.
    if (origin_ == WorkOrigin::Opened)
        return true;
    return journal_.Start(*dataSet_, now);
}

void WorkSession::ConnectPositions(CGpsPositionService& positions, WindowId window)
{
    positions_ = &positions;
    window_ = window;
    outstanding_ = 0;
    // The live position is wanted before the first reading: the operator checks the fix.
    if (track_)
        positions.SetListener(window);
}

StoreResult WorkSession::Store(std::span<const MeasurementRecord> records)
{
    const uint32_t firstNew = dataSet_->CurrentIndex();
    const StoreResult result = dataSet_->StoreReadings(records);
    if (result.outcome != MeasureOutcome::Failed && track_ && positions_) {
        outstanding_ += RequestReadingPositions(*track_, firstNew, *positions_, window_);
        outstanding_ = std::min<uint32_t>(outstanding_, CGpsPositionService::kMaxRequests);
    }
    return result;
}

bool WorkSession::ApplyPosition(const PositionMessage& message)
{
    if (!track_)
        return false;
    if (message.message == UM_READING_POSITION && outstanding_ > 0)
        --outstanding_;
    return ApplyPositionMessage(*track_, message);
}

platform::FileResult WorkSession::Save(const std::string& path)
{
    return SaveSession(*dataSet_, path);
}

void WorkSession::Close()
{
    journal_.Discard();
}
