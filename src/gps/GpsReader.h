#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "gps/ByteSource.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsClockOffset.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

// Message of a reader thread that cannot be started (resource string 32781).
constexpr unsigned kNmeaReadErrorMessageId = 32781;
inline constexpr const char* kNmeaReadErrorText = "Ошибка чтения данных NMEA";
inline constexpr const char* kGpsErrorCaption = "Ошибка GPS";
// The port stopped giving data: "Приём данных GPS прерван: устройство не отвечает."
std::string GpsReadFailedText(int errorNumber);

// The GPS reader thread: reads the port, feeds the parser, measures how far GPS time is from
// the machine's clock at every RMC (it never sets the clock) and hands each new valid RMC
// position, with its epoch's quality, to the position service.
//
// The reader keeps its own running flag: Start sets it, RequestStop clears it, and the
// thread clears it when it ends; the thread polls it between reads, so it ends within one
// read time-out of the port. The thread closes the port when it ends. It never holds the parser
// and the position service locks together. The prompter is called from the reader thread
// on a read error; it must not wait for the UI thread, which may be joining in Stop.
// Every referenced object must outlive the reader. Start, RequestStop and Stop belong to
// one controlling thread.
class GpsReader {
public:
    GpsReader(ByteSource& port, CNmeaParser& parser, CGpsPositionService& positions,
              GpsClockOffset& clockOffset, platform::Prompter& prompter,
              platform::Clock& ticks = platform::SystemTicks());
    ~GpsReader();
    GpsReader(const GpsReader&) = delete;
    GpsReader& operator=(const GpsReader&) = delete;

    // Starts the thread unless one runs. A previous thread that was asked to stop is waited
    // for first, so two readers never share the port; since an ending thread closes the
    // port, call Stop before reopening it. False if no thread was started.
    bool Start();
    // Asks the thread to end without waiting; false when none was running (the caller then
    // closes the port itself).
    bool RequestStop();
    // Asks the thread to end and waits for it (at most about one read time-out).
    void Stop();
    // True from Start until a stop is asked for or the thread ends by itself (read error).
    bool Running() const { return running_.load(); }

private:
    void Run();

    ByteSource& port_;
    CNmeaParser& parser_;
    CGpsPositionService& positions_;
    GpsClockOffset& clockOffset_;
    platform::Prompter& prompter_;
    std::atomic<bool> running_{false};
    platform::Clock& ticks_;
    std::thread thread_;
};
