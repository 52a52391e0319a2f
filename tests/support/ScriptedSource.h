#pragma once
#include <deque>
#include <span>

#include "session/WorkSession.h"
#include "support/RecordBuilder.h"
#include "survey/DataSet.h"
#include "survey/ReadingSeries.h"

// An instrument that answers from a script: each reading takes the next outcome; a success
// gives recognisable records stamped with increasing ticks. Measure stores them as the
// acquisition engine does: one record, or the fourteen of a series when `series` is set.
class ScriptedSource {
public:
    std::deque<bool> outcomes;
    bool series = false;
    int readings = 0;
    uint32_t nextSeed = 1;

    MeasureOutcome Measure(DataSet& dataSet)
    {
        return Take([&](std::span<const MeasurementRecord> records) { return dataSet.StoreReadings(records); });
    }
    MeasureOutcome Measure(WorkSession& work)
    {
        return Take([&](std::span<const MeasurementRecord> records) { return work.Store(records); });
    }

private:
    template <class Store> MeasureOutcome Take(Store store)
    {
        ++readings;
        if (!Next())
            return MeasureOutcome::Failed;
        ReadingSeries records{};
        const size_t count = series ? records.size() : 1;
        for (size_t k = 0; k < count; ++k)
            records[k] = testing_support::SampleRecord(nextSeed++);
        return store(std::span<const MeasurementRecord>(records.data(), count)).outcome;
    }
    bool Next()
    {
        if (outcomes.empty())
            return true;
        const bool ok = outcomes.front();
        outcomes.pop_front();
        return ok;
    }
};
