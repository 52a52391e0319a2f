#pragma once
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "gps/CGpsPositionService.h"
#include "platform/FileIO.h"
#include "session/AcquisitionJournal.h"
#include "survey/DataSet.h"

class CSettings;
class SurveyDataSet;
class TrackDataSet;

// Where a work's data set came from, which decides where its next reading goes and when
// its journal starts.
enum class WorkOrigin {
    Created,   // empty: journalled from the start
    Opened,    // a saved session: nothing to journal until a reading is taken
    Recovered, // readings that exist only in memory now: journalled at once
};

// One piece of work from its beginning to its save: the data set, its crash journal and,
// for a GPS track, the requests for reading positions. The acquisition engine stores
// every reading through it. The settings, and the position service once connected, must
// outlive it. Owner thread only (the window's UI thread, or lurctl's main thread).
class WorkSession {
public:
    // A new data set of the settings' work type. Journal files go into `journalDirectory`.
    WorkSession(CSettings& settings, std::string journalDirectory);
    // Goes on with an opened or recovered data set (not null). An opened one continues at
    // its first unmeasured station (a survey) or after its last reading (a track), so the
    // next reading never replaces a saved one unless the operator moves there.
    WorkSession(CSettings& settings, std::unique_ptr<DataSet> dataSet, std::string journalDirectory,
                WorkOrigin origin);
    // A session neither saved nor closed keeps its journal file for recovery.
    ~WorkSession();
    WorkSession(const WorkSession&) = delete;
    WorkSession& operator=(const WorkSession&) = delete;

    // Starts the journal with everything the data set holds (an opened session's journal
    // waits for its first new reading). False when it cannot be written: the work goes on
    // in memory and Journal().Error() says why.
    bool Begin(std::time_t now = std::time(nullptr));
    // A track's readings ask `positions` for their positions, answered to `window`.
    void ConnectPositions(CGpsPositionService& positions, WindowId window);

    // Stores the records of one reading at the current position. Once positions are
    // connected, a track's new readings get the live position at once and ask for their
    // own, which come back through ApplyPosition.
    StoreResult Store(std::span<const MeasurementRecord> records);
    // Stores a position message of the GPS side; true when it changed the data set.
    bool ApplyPosition(const PositionMessage& message);
    // Reading positions asked for and not yet answered (the service keeps the newest only).
    uint32_t OutstandingPositions() const { return outstanding_; }

    // Saves to `path`; on success the journal file is removed.
    platform::FileResult Save(const std::string& path);
    // Ends the work on purpose, saved or not: the journal file is removed.
    void Close();

    DataSet& Data() { return *dataSet_; }
    const DataSet& Data() const { return *dataSet_; }
    // Null when the work is a track.
    SurveyDataSet* Survey() { return survey_; }
    // Null when the work is a survey.
    TrackDataSet* Track() { return track_; }
    const AcquisitionJournal& Journal() const { return journal_; }

private:
    AcquisitionJournal journal_; // outlives the data set that points at it
    std::unique_ptr<DataSet> dataSet_;
    SurveyDataSet* survey_ = nullptr;
    TrackDataSet* track_ = nullptr;
    WorkOrigin origin_;
    CGpsPositionService* positions_ = nullptr;
    WindowId window_ = 0;
    uint32_t outstanding_ = 0;
};
