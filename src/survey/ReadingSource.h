#pragma once
#include <array>

#include "survey/MeasurementRecord.h"

// The fourteen single-frequency records of one series command.
using ReadingSeries = std::array<MeasurementRecord, 14>;

// What a data set needs from the instrument to take readings; CInstrument implements it
// (tests script it). Called on the UI thread; each call blocks until the reply or time-out.
class ReadingSource {
public:
    virtual ~ReadingSource() = default;
    // One reading of all used frequencies into `record` (stamped); false on failure.
    virtual bool RequestReading(MeasurementRecord& record, bool selected) = 0;
    // Fourteen single-frequency records from one command; false on failure.
    virtual bool RequestSeries(ReadingSeries& records) = 0;
};
