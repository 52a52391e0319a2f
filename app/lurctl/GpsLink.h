#pragma once
#include <chrono>
#include <csignal>
#include <memory>
#include <mutex>
#include <string>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/PositionQueue.h"
#include "instrument/CSerialPort.h"
#include "instrument/GpsReaderControl.h"

class WorkSession;

// The GPS side of a track survey on the command line: the reader thread on the GPS port,
// the position service, and the positions it posts, handed to the work session as the
// track page would. The machine's clock is never set.
class GpsLink {
public:
    GpsLink();
    ~GpsLink();

    // `port` is a device path or "COMn:"; the work's readings ask this link for their
    // positions. False, with error set, when the port cannot be opened or the reader
    // cannot start.
    bool Open(const std::string& port, int baud, WorkSession& work, std::string& error);
    // Waits for the first valid fix; false when the time runs out, the interrupt flag is
    // raised or the reader ends.
    bool WaitForFix(std::chrono::milliseconds limit, const volatile std::sig_atomic_t& interrupted);
    // Hands the positions that arrive for `wait` to the work; returns early once nothing
    // is outstanding when `untilAnswered` is set.
    void Pump(WorkSession& work, std::chrono::milliseconds wait, bool untilAnswered);
    // The reader has ended by itself (the port went away); Failure() says why.
    bool Lost() const { return opened_ && !reader_.Running(); }
    std::string Failure() const;
    void Stop();

private:
    class FailureRecorder;

    CSerialPort port_;
    CNmeaParser parser_;
    PositionQueue queue_;
    CGpsPositionService positions_{queue_};
    GpsClockOffset clockOffset_;
    std::unique_ptr<FailureRecorder> failure_;
    GpsReaderControl reader_;
    bool opened_ = false;
};
