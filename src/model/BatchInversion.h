#pragma once
#include <atomic>
#include <functional>
#include <vector>

#include "model/Inversion.h"
#include "model/StationData.h"

// One station of a batch: its data, or the reason it was refused before inversion (a
// record that could not be read, say), which its result carries on.
struct StationInput {
    StationRefusal refusal = StationRefusal::None;
    StationData data;
};

struct BatchOptions {
    InversionOptions inversion;
    unsigned threads = 1; // 0: one per core
    // Each station is drawn towards the result of the station before it (its reference),
    // for a steady section along a profile. The stations are cut into one run per thread,
    // in order; the first station of each run has no reference.
    bool chainReference = false;
};

// Called after each station with the number done and the total, from the worker threads,
// one call at a time.
using BatchProgress = std::function<void(size_t done, size_t total)>;

// Inverts `stations` on `threads` threads; the results are in the stations' order. When
// `cancel` becomes true the stations not yet begun are refused as Cancelled and the call
// returns once the running ones end. `calibration` may be null, which refuses every station.
std::vector<InversionResult> InvertStations(const CalibrationSet* calibration, const std::vector<StationInput>& stations,
                                            const BatchOptions& options, const BatchProgress& progress = {},
                                            const std::atomic<bool>* cancel = nullptr);
