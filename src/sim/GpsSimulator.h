#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "sim/GpsWalker.h"
#include "sim/NmeaGenerator.h"

struct GpsSimulatorOptions {
    double rateHz = 1.0;        // epochs per simulated second
    double timeFactor = 1.0;    // simulated seconds per real second
    int64_t startUtcMs = 0;     // UTC of simulated second 0 (ms since 1970); 0: now, whole seconds
    double altitude = 150.0;    // metres
    bool gnTalker = false;      // GNRMC/GNGGA/GNGSA as multi-constellation receivers send
    bool multiConstellation = false; // GPS, GLONASS, Galileo and BeiDou (see NmeaGenerator)
    size_t noiseBytes = 0;      // random bytes (never '$') after every epoch
    uint32_t noiseSeed = 1;
    // Simulated-second intervals [first, second) without a fix.
    std::vector<std::pair<double, double>> fixLoss;
    // Simulated-second intervals [first, second) of bad geometry, reported with this HDOP.
    std::vector<std::pair<double, double>> hdopSpikes;
    double spikeHdop = 8.5;
    // The receiver's latency: each epoch describes where the antenna was this long before
    // the epoch is sent (its time field says so too).
    double lagSeconds = 0;
    // The antenna rides this far ahead of the instrument's centre along the walking
    // direction (negative: behind); the walker is the instrument's centre.
    double antennaAheadMetres = 0;
};

// A GPS receiver whose antenna is carried by a walker, on the instrument. The text of every epoch is a pure function of the
// epoch number; Start writes the epochs to a file descriptor from a thread, paced by the
// clock, until Stop. Start/Stop belong to one thread; SetFixLost may be called from any.
class GpsSimulator {
public:
    GpsSimulator(GpsWalker walker, GpsSimulatorOptions options, platform::Clock& clock = platform::SystemTicks());
    ~GpsSimulator();
    GpsSimulator(const GpsSimulator&) = delete;
    GpsSimulator& operator=(const GpsSimulator&) = delete;

    double EpochSeconds(uint64_t epoch) const { return static_cast<double>(epoch) / options_.rateHz; }
    GpsEpoch EpochState(uint64_t epoch) const;
    // The bytes sent for an epoch: the sentences, then the noise.
    std::string EpochText(uint64_t epoch) const;
    // Where the instrument's centre is at a simulated time, and where the antenna is.
    GeoPoint PositionAt(double simulatedSeconds) const { return walker_.PositionAt(simulatedSeconds); }
    GeoPoint AntennaAt(double simulatedSeconds) const;
    // Where the instrument's centre is now (simulated time since Start); the start point
    // before Start.
    GeoPoint CurrentPosition() const;

    // Writes to `fd` (switched to non-blocking so Stop is never stuck in a write). The fd
    // stays the caller's. False if already running.
    bool Start(int fd);
    void Stop();
    // Forces the receiver to report no fix (status V) while set.
    void SetFixLost(bool lost) { forcedLoss_ = lost; }

private:
    void Run(int fd);
    bool WriteAll(int fd, const std::string& text);
    double SimulatedSecondsNow() const;

    GpsWalker walker_;
    GpsSimulatorOptions options_;
    NmeaGenerator generator_;
    platform::Clock& clock_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> forcedLoss_{false};
    std::atomic<bool> started_{false};
    std::atomic<uint32_t> startTick_{0};
    std::thread thread_;
};
