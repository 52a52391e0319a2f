#pragma once
#include <cstdint>

#include "gps/GpsFix.h"

class DataSet;

// What a data set tells the crash journal that keeps it (the session layer's
// AcquisitionJournal). Entries are queued until Commit().
class DataSetJournal {
public:
    virtual void ReadingStored(const DataSet& dataSet, uint32_t index) = 0;
    virtual void FixStored(const DataSet& dataSet, uint32_t index) = 0;
    // The live position is written without a flush: a save does not keep it.
    virtual void CurrentFixChanged(const GpsFix& fix) = 0;
    // Writes and flushes everything queued; true when everything handed over is on disk.
    virtual bool Commit(const DataSet& dataSet) = 0;
    // The data set was saved whole: its journal file goes away.
    virtual void Discard() = 0;

protected:
    ~DataSetJournal() = default;
};
