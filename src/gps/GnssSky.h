#pragma once
#include <array>
#include <cstdint>

#include "gps/GnssNumbering.h"
#include "gps/GnssUsedSet.h"
#include "gps/GpsData.h"

// The satellites in view, one row per satellite (system, PRN), built from whole GSV cycles.
// Each talker has its own cycle in progress and its own rows: a cycle that finishes replaces
// the talker's rows, or, for another signal of the same epoch (NMEA 4.11 signal ids), joins
// them; a cycle that is interrupted, out of order or never finished changes nothing.
// Fixed-size; the parser's lock guards it.
class GnssSky {
public:
    struct Block {
        uint16_t prn = 0, elevation = 0, azimuth = 0, snr = 0;
    };
    struct Message {
        uint8_t messages = 0; // 1..9
        uint8_t number = 0;   // 1..messages
        uint16_t inView = 0;  // the talker's satellites in view for this signal
        uint8_t signal = 0;   // 0..15; 0 when the sentence has no signal id
        std::array<Block, 4> blocks{};
        int blockCount = 0;
    };

    // One GSV message; when it finishes a cycle the sky is written to `out` (the table, the
    // in-view counts) with the used flags of `used`. Returns whether it finished one.
    bool Add(uint32_t epoch, NmeaSource source, const Message& message, const GnssUsedSet& used, GpsData& out);
    void Clear() { *this = GnssSky{}; }

private:
    struct Talker {
        bool receiving = false;
        uint8_t messages = 0, next = 0, signal = 0;
        uint16_t inView = 0;
        uint8_t cycleRows = 0;
        std::array<SatelliteInfo, kMaxSatellites> cycle{};

        bool hasRound = false;
        uint32_t roundEpoch = 0;
        uint16_t roundSignals = 0; // bit per signal already in the rows
        uint16_t roundInView = 0;
        uint8_t rows = 0;
        std::array<SatelliteInfo, kMaxSatellites> sky{};
    };

    void Finish(Talker& talker, uint32_t epoch);
    void Publish(const GnssUsedSet& used, GpsData& out) const;
    bool Listed(GnssSystem system, uint16_t prn, int beforeTalker, int beforeRow) const;

    std::array<Talker, kNmeaSourceCount> talkers_{};
};
