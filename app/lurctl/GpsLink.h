#pragma once
#include <memory>
#include <string>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsClockOffset.h"
#include "instrument/CSerialPort.h"
#include "instrument/GpsReaderControl.h"

class WorkSession;

// The GPS side of a track survey on the command line: the reader thread on the GPS port and
// the position service, whose messages go to `poster` (the survey's owner queue), as the
// window's go to the track page. The machine's clock is never set. Main thread only.
class GpsLink {
public:
    explicit GpsLink(MessagePoster& poster);
    ~GpsLink();

    // `device` is a device path; the work's readings ask this link for their positions,
    // placed well when no gap between the fixes around them is longer than `gapLimitMs`.
    // False, with error set, when the port cannot be opened or the reader cannot start.
    bool Open(const std::string& device, int baud, uint32_t gapLimitMs, WorkSession& work, std::string& error);
    bool HasFix() const { return positions_.HasFix(); }
    // The reader has ended by itself (the port went away); Failure() says why.
    bool Lost() const { return opened_ && !reader_.Running(); }
    std::string Failure() const;
    void Stop();

private:
    class FailureRecorder;

    CSerialPort port_;
    CNmeaParser parser_;
    CGpsPositionService positions_;
    GpsClockOffset clockOffset_;
    std::unique_ptr<FailureRecorder> failure_;
    GpsReaderControl reader_;
    bool opened_ = false;
};
