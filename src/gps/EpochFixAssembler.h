#pragma once
#include <array>
#include <cstdint>

#include "gps/GpsData.h"
#include "gps/GpsFix.h"

// Turns the parser's state after each chunk into live fixes that carry the quality of their
// own epoch. Receivers send RMC before or after the epoch's GGA, so a valid RMC position
// waits for the GGA of its epoch; it goes out when that GGA has arrived, when a later epoch
// or RMC shows the GGA is not coming, or at once from a receiver that sends no GGA. Several
// RMC within one chunk give one fix, the last. Used by the reader thread only.
class EpochFixAssembler {
public:
    struct Fixes {
        std::array<GpsFix, 2> fix; // a waiting fix, then the new one
        int count = 0;
    };

    Fixes Next(const GpsData& data);

private:
    uint32_t lastRmcCount_ = 0;
    bool waiting_ = false;
    uint32_t waitingEpoch_ = 0;
    GpsFix waitingFix_;
};

// The quality of the epoch as the parser holds it; values never received are unknown.
GpsFixQuality QualityOf(const GpsData& data);
