#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "gps/GnssNumbering.h"
#include "gps/GnssSky.h"
#include "gps/GnssUsedSet.h"
#include "gps/GpsData.h"
#include "platform/Clock.h"

// Assembles NMEA 0183 sentences from a byte stream and decodes GGA, GSA, GSV and RMC of the
// GP, GL, GA, GB, BD, GQ and GN talkers (NMEA 4.10 and 4.11 system and signal ids included)
// into one GpsData; see GpsData for how several constellations combine. Thread-safe: Feed, Reset, Snapshot and IsPrnUsed each take the
// parser's own lock for their whole work. Fixed-size state; nothing is allocated.
class CNmeaParser {
public:
    static constexpr size_t kAddressSize = 8; // at most 7 characters plus terminator
    static constexpr size_t kFieldSize = 256; // at most 255 characters plus terminator

    // The clock stamps each Feed call (rmcTick); it must outlive the parser.
    explicit CNmeaParser(platform::Clock& clock = platform::SystemTicks());

    void Reset();
    // Runs the bytes through the assembler, decoding each completed sentence; copies the
    // decoded values into `out` when it is given.
    void Feed(const uint8_t* bytes, size_t count, GpsData* out = nullptr);
    void Snapshot(GpsData& out) const;
    // 1 when the PRN is non-zero and a used satellite of the epoch, of any system.
    int IsPrnUsed(uint16_t prn) const;
    // 1 when the satellite (system, PRN) is used in the epoch's fix.
    int IsUsed(GnssSystem system, uint16_t prn) const;

private:
    void Assemble(uint8_t byte);
    void Dispatch();
    void DecodeGga();
    void DecodeGsa(NmeaSource source);
    void DecodeGsv(NmeaSource source);
    // A GGA or RMC time that differs from the epoch's begins a new epoch.
    void NoteEpochTime(const char* field);
    void DecodeRmc();
    // Next comma-separated field of the field text; nullptr when empty or past the end.
    const char* NextField();
    void RestartFields() { cursor = 0; fieldsDone = false; }

    platform::Clock& clock_;

    int32_t state = 0;
    uint8_t checksum = 0;
    uint8_t receivedChecksum = 0;
    uint16_t index = 0;
    char address[kAddressSize] = {};
    char fields[kFieldSize] = {};
    uint16_t fieldLength = 0;
    uint16_t cursor = 0;
    bool fieldsDone = false;
    uint32_t chunkTick = 0;
    GpsData data;
    int32_t epochTimeMs = 0; // milliseconds of the day of the current epoch
    GnssUsedSet used;
    GnssSky sky;
    mutable std::mutex lock_;
};
