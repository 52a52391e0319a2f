#pragma once
#include <array>
#include <cstdint>

#include "gps/GnssNumbering.h"
#include "gps/GpsData.h"

// The used satellites of one epoch: the union of its GSA sentences, kept per system. The
// first GSA of a new epoch starts the set afresh, and so does a GSA for a system whose last
// GSA held fewer than twelve satellites (a receiver continues a system only after a full
// sentence), so receivers that send GSA before the epoch's time still get one epoch's set.
// The set is shown once its run of GSA sentences ends (at the next other sentence), so no
// one sees an epoch's GPS satellites without its GLONASS ones. Fixed-size; the parser's
// lock guards it.
class GnssUsedSet {
public:
    // The satellite numbers of one GSA (zeros already left out). `system` is the sentence's
    // system; None classifies each number by its source.
    void Add(uint32_t epoch, NmeaSource source, GnssSystem system, const uint16_t* numbers, int count);
    bool Contains(GnssSystem system, uint16_t number) const;
    // Whether any system uses this number (the question of the GPS-only world).
    bool ContainsNumber(uint16_t number) const;
    // A sentence other than GSA: a run of GSA that was open ends, and its set is shown in
    // usedPrn, usedSystem and the used count of every system.
    void EndRun(GpsData& out);
    void Clear() { *this = GnssUsedSet{}; }

private:
    struct Set {
        std::array<std::array<uint16_t, kMaxSatellites>, kGnssSystemCount> numbers{};
        std::array<uint8_t, kGnssSystemCount> counts{};
        bool Contains(GnssSystem system, uint16_t number) const;
        void Insert(GnssSystem system, uint16_t number);
    };

    Set building_;
    Set shown_;
    bool runOpen_ = false;
    bool started_ = false;
    uint32_t epoch_ = 0;
    uint8_t partialSystems_ = 0; // bit per system: its last GSA of this epoch was not full
};
