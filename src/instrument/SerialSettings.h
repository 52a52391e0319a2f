#pragma once
#include <cstdint>

// Line settings applied when a port is opened (what a DCB carries that this system uses).
struct SerialLine {
    uint32_t baud = 9600;
    uint8_t dataBits = 8;
    bool parity = false; // even parity when set
    uint8_t stopBits = 1;
};

// Read and write time-outs in milliseconds, with the meaning of the classic comm time-outs:
// a read waits at most readTotalMultiplier × count + readTotalConstant in all, and (unless
// readInterval is kNoInterval) at most readInterval between two bytes.
struct SerialTimeouts {
    static constexpr uint32_t kNoInterval = 0xFFFFFFFF;

    uint32_t readInterval = kNoInterval;
    uint32_t readTotalMultiplier = 10;
    uint32_t readTotalConstant = 1000;
    uint32_t writeTotalMultiplier = 10;
    uint32_t writeTotalConstant = 1000;
};

// The GPS port's: a read ends 20 ms after the bytes stop coming, so each burst of sentences
// is decoded, and its fix stamped, as it arrives rather than once 256 bytes have gathered
// (up to half a second late at 1 Hz); a silent receiver ends a read within half a second,
// so the reader thread stops promptly.
inline constexpr SerialTimeouts kGpsPortTimeouts{20, 0, 500, 10, 1000};
