#pragma once
#include <memory>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsClockOffset.h"
#include "gps/GpsReader.h"
#include "instrument/CSerialPort.h"
#include "instrument/SerialByteSource.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

// The one GPS reader thread of an instrument: started on the opened GPS port, stopped and
// joined before the port is touched again, so an ending reader can never close a port that
// was reopened meanwhile. The parser, position service, clock offset and prompter are not
// owned and must outlive the control. Start, Stop and Running belong to the UI thread.
class GpsReaderControl {
public:
    GpsReaderControl(CNmeaParser& parser, CGpsPositionService& positions, GpsClockOffset& clockOffset,
                     platform::Prompter& prompter, platform::Clock& ticks = platform::SystemTicks());
    ~GpsReaderControl();
    GpsReaderControl(const GpsReaderControl&) = delete;
    GpsReaderControl& operator=(const GpsReaderControl&) = delete;

    // Stops any earlier reader, then starts one reading `port` (already open); false when
    // the thread could not be created (the prompter has been told).
    bool Start(CSerialPort& port);
    // True while the reader runs; false once it was stopped or ended by itself (read error).
    bool Running() const;
    // Ends the reader and waits for it: closing the port cuts its pending read short, so this
    // takes at most one read time-out. Nothing happens without a reader.
    void Stop();

private:
    CNmeaParser& parser_;
    CGpsPositionService& positions_;
    GpsClockOffset& clockOffset_;
    platform::Prompter& prompter_;
    platform::Clock& ticks_;
    // The reader refers to its source, so the source goes last.
    std::unique_ptr<SerialByteSource> source_;
    std::unique_ptr<GpsReader> reader_;
};
