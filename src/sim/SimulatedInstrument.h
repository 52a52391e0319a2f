#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "model/ForwardModel.h"
#include "sim/GroundModel.h"
#include "survey/Calibration.h"

// Faults the simulated instrument can be told to commit.
struct InstrumentFaults {
    bool noAnswer = false;         // commands are taken but never answered
    size_t cutReplyTo = 0;         // non-zero: only this many bytes of each reply are sent
    bool emptyReply = false;       // readings come back without any presence bit
    size_t garbageBeforeReply = 0; // bytes of noise sent just before each reply
    uint32_t serialChangeAfter = 0; // non-zero: after this many readings the serial number
    uint8_t changedSerial = 0;      // becomes changedSerial
    uint32_t vanishAfter = 0;       // non-zero: after this many readings the instrument goes
                                    // away halfway through the next reply
};

// Where the simulated operator walks: stations of a serpentine grid, one per reading.
struct SurveyWalk {
    uint32_t xSize = 10; // stations per profile; 0 = one open-ended profile
    double xStep = 5.0;
    double yStep = 10.0;
};

// Gaussian noise on the corrected signal of each reading, on its quadrature and in-phase
// parts separately: `relative` of the part's value and `units` of the instrument's
// resolution, from a generator seeded with `seed`.
struct InstrumentNoise {
    double relative = 0;
    double units = 0;
    uint32_t seed = 1;
};

struct InstrumentOptions {
    uint8_t serial = 9;
    uint16_t batteryCentivolts = 410;
    uint32_t measurementDelayMs = 0; // before each reply
    bool pacing = false;             // send replies at the pace of a 9600-baud line
    SurveyWalk walk;
    GroundModel ground;
    InstrumentNoise noise;
    InstrumentFaults faults;
};

// The instrument's side of the protocol, without any I/O: takes the bytes that arrive and
// gives the bytes to send back. Not thread-safe.
class SimulatedInstrument {
public:
    SimulatedInstrument(InstrumentOptions options, CalibrationSet calibration);

    // Takes received bytes; returns one reply per complete command among them, in order.
    // A command that gets no answer yields no reply. Bytes that do not start a known frame
    // are skipped.
    std::vector<std::vector<uint8_t>> Receive(const uint8_t* data, size_t size);

    // The instrument has gone away (the vanishing fault): nothing more is to be sent.
    bool Vanished() const { return vanished_; }
    // Readings answered so far (commands 0x02, 0x03 and 0x0A).
    uint32_t ReadingCount() const { return readings_; }
    // Commands taken so far, answered or not.
    uint32_t CommandCount() const { return commands_; }
    // Fixes the position of the next readings (a track walker); none returns to the grid walk.
    void SetPosition(std::optional<std::pair<double, double>> position) { position_ = position; }
    // The survey position of reading number k of the grid walk.
    std::pair<double, double> WalkPosition(uint32_t k) const;

private:
    std::optional<std::vector<uint8_t>> Answer(uint8_t command, const uint8_t* payload);
    std::vector<uint8_t> Reading(uint16_t mask);
    std::vector<uint8_t> Deliver(std::vector<uint8_t> reply);

    InstrumentOptions options_;
    CalibrationSet calibration_;
    ForwardModel model_;
    std::mt19937 random_;
    std::vector<uint8_t> pending_;
    std::optional<std::pair<double, double>> position_;
    uint32_t readings_ = 0;
    bool vanished_ = false;
    uint32_t commands_ = 0;
    uint32_t garbage_ = 0x2545F491;
};
