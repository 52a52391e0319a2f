#pragma once
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "survey/DataSetJournal.h"
#include "survey/MeasurementRecord.h"

class ByteWriter;
class DibSurface;
class DrawContext;

enum class DataSetKind { Survey, Track };

// What storing the records of one reading did.
enum class MeasureOutcome {
    Stored,         // stored, and on disk when there is a journal
    StoredInMemory, // stored, but the journal could not make it durable: offer to save
    Failed,         // no room: nothing changed
};

struct StoreResult {
    MeasureOutcome outcome = MeasureOutcome::Failed;
    uint32_t stored = 0;  // records stored, from the position the reading was taken at on
    uint32_t leftOut = 0; // records of a series that found no position left in the grid
    bool full = false;    // the last record filled the survey's last position: the work is done
};

// Base of the survey and track data sets: modified flag, name and the growable record
// array, used through the virtual operations below in this order. Owns its
// records; UI thread only.
class DataSet {
public:
    // More records than any grid or session file of ours may hold (~190 MB).
    static constexpr size_t kMaxRecords = size_t(1) << 20;

    DataSet() = default;
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    virtual ~DataSet() = default;
    virtual DataSetKind Kind() const = 0;
    // Stores the records of one reading (one, or the fourteen of a series) at the current
    // position and on in walking order, advancing past each; a survey's last position is
    // never overwritten by a later record of the same reading.
    virtual StoreResult StoreReadings(std::span<const MeasurementRecord> records) = 0;
    // Paints the progress view into the rectangle; the base paints nothing.
    virtual bool PaintProgress(DrawContext* dc, int left, int top, int right, int bottom);
    // PaintProgress through a context over the bitmap; false when none can be opened.
    virtual bool PaintToBitmap(DibSurface* bitmap, int left, int top, int right, int bottom);
    virtual bool ResetPosition() = 0;
    virtual bool NextPosition() = 0;
    virtual bool PreviousPosition() = 0;
    virtual bool PreviousStation() = 0;
    virtual bool NextStation() = 0;
    virtual bool NextProfile() = 0;
    virtual bool PreviousProfile() = 0;
    virtual uint32_t CurrentIndex() const = 0;
    virtual bool Serialize(ByteWriter& file, bool clearModified) = 0;

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // The name; when empty it becomes the local time `now` as "yymmdd_HHMM".
    const std::string& DefaultName(std::time_t now = std::time(nullptr));

    size_t RecordCount() const { return records_.size(); }
    const MeasurementRecord& Record(size_t index) const { return records_[index]; }
    const std::vector<MeasurementRecord>& Records() const { return records_; }

    // The crash journal fed with every stored reading and position; not owned, null for none.
    void SetJournal(DataSetJournal* journal) { journal_ = journal; }
    DataSetJournal* Journal() const { return journal_; }

    // Stores a record at `index`, growing the array with cleared records; false (nothing
    // changed) when the array cannot grow that far.
    bool StoreRecord(size_t index, const MeasurementRecord& record);

protected:
    // Room for `extra` more records, so a series of stores cannot fail half-way.
    bool ReserveExtra(size_t extra);
    // Hands the reading just stored at `index` (position already advanced) to the journal.
    void JournalReading(uint32_t index);
    // Makes what was handed to the journal durable: Stored, or StoredInMemory when it is not.
    MeasureOutcome CommitJournal();

    bool modified_ = false;
    std::string name_;
    std::vector<MeasurementRecord> records_;
    DataSetJournal* journal_ = nullptr;
};
