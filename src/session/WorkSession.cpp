#include "session/WorkSession.h"

#include <algorithm>

#include "session/CreateDataSet.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

WorkSession::WorkSession(CSettings& settings, std::string journalDirectory)
    : WorkSession(settings, CreateDataSet(settings), std::move(journalDirectory))
{
}

WorkSession::WorkSession(CSettings& settings, std::unique_ptr<DataSet> dataSet, std::string journalDirectory)
    : journal_(std::move(journalDirectory), settings), dataSet_(std::move(dataSet))
{
    track_ = AsTrack(*dataSet_);
    survey_ = AsSurvey(*dataSet_);
    dataSet_->SetJournal(&journal_);
}

WorkSession::~WorkSession() = default;

bool WorkSession::Begin(std::time_t now)
{
    return journal_.Start(*dataSet_, now);
}

void WorkSession::ConnectPositions(CGpsPositionService& positions, WindowId window)
{
    positions_ = &positions;
    window_ = window;
    outstanding_ = 0;
}

MeasureOutcome WorkSession::Measure(ReadingSource& instrument)
{
    const uint32_t firstNew = dataSet_->CurrentIndex();
    const MeasureOutcome outcome = dataSet_->Measure(instrument);
    if (outcome != MeasureOutcome::Failed && track_ && positions_) {
        outstanding_ += RequestReadingPositions(*track_, firstNew, *positions_, window_);
        outstanding_ = std::min<uint32_t>(outstanding_, CGpsPositionService::kMaxRequests);
    }
    return outcome;
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
