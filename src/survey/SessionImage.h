#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "survey/Calibration.h"
#include "survey/MeasurementRecord.h"
#include "gps/GpsFix.h"

class CSettings;

// Everything a session file holds, parsed and checked, before any of it is applied.
struct SessionImage {
    std::array<std::string, 3> texts; // header texts, UTF-8
    CalibrationKey key;               // calibration date and instrument serial
    bool track = false;               // kind flags bit 0

    // Survey body.
    int32_t extra1 = 0;
    int32_t extra2 = 0;
    uint32_t x = 0;
    uint32_t y = 0;
    double xStep = 0;
    double yStep = 0;
    uint32_t openProfileFlag = 0;

    // Track body.
    uint32_t trackFlags = 0;
    std::vector<GpsFix> fixes;

    std::vector<MeasurementRecord> records;

    // A file that ends before its records do: how many it announces and how many lie whole
    // in it. `intact` < `announced` only then.
    uint32_t announced = 0;
    uint32_t intact = 0;
};

// What a parse does with a file that ends before its records do.
enum class CutShortFile {
    Refuse,     // the file is refused (its intact count is still reported)
    KeepIntact, // the whole records are kept: a track's first readings, a survey's grid with the
                // stations past the end unmeasured
};

// Takes the readings of a session as they are read, in file order, in place of image.records
// and image.fixes: what looks at each reading once need not hold them all. A track reading
// comes with its position; survey stations (and tracks saved without positions) with none.
using ReadingVisitor = std::function<void(const MeasurementRecord& record, const GpsFix& fix)>;

// Sets the used-frequency flags from the presence bits of the first measured record;
// leaves them alone when every record is empty.
void AdoptUsedFrequencies(const std::vector<MeasurementRecord>& records, CSettings& settings);
