#pragma once
#include <deque>

#include "survey/ReadingSource.h"
#include "support/RecordBuilder.h"

// An instrument that answers from a script: each call takes the next outcome; a success
// returns a recognisable record stamped with an increasing tick.
class ScriptedSource : public ReadingSource {
public:
    std::deque<bool> outcomes;
    int readings = 0;
    int series = 0;
    uint32_t nextSeed = 1;

    bool RequestReading(MeasurementRecord& record, bool selected) override
    {
        ++readings;
        if (!selected || Next() == false)
            return false;
        record = testing_support::SampleRecord(nextSeed++);
        return true;
    }
    bool RequestSeries(ReadingSeries& records) override
    {
        ++series;
        if (!Next())
            return false;
        for (MeasurementRecord& r : records)
            r = testing_support::SampleRecord(nextSeed++);
        return true;
    }

private:
    bool Next()
    {
        if (outcomes.empty())
            return true;
        const bool ok = outcomes.front();
        outcomes.pop_front();
        return ok;
    }
};
