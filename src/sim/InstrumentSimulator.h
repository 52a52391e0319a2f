#pragma once
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/PseudoTerminal.h"
#include "sim/SimulatedInstrument.h"

// The simulated instrument on a pseudo-terminal, served by a thread of its own: the program
// opens DevicePath() as its instrument port. Start and Stop belong to one thread; the
// counters and SetPosition may be used from any thread.
class InstrumentSimulator {
public:
    InstrumentSimulator(InstrumentOptions options, CalibrationSet calibration);
    ~InstrumentSimulator();
    InstrumentSimulator(const InstrumentSimulator&) = delete;
    InstrumentSimulator& operator=(const InstrumentSimulator&) = delete;

    // Creates the pseudo-terminal and starts serving; false when no terminal could be made.
    bool Start();
    // Ends the thread promptly (also during a measurement delay) and closes the terminal.
    void Stop();
    const std::string& DevicePath() const { return terminal_.SlavePath(); }

    // Commands taken and fully dealt with (answered, or left unanswered on purpose).
    uint32_t CommandsHandled() const { return handled_.load(); }
    void SetPosition(std::optional<std::pair<double, double>> position);

private:
    void Serve();
    // Sleeps, unless Stop comes first; false when stopping.
    bool Pause(int ms);
    bool Send(const std::vector<uint8_t>& bytes);

    PseudoTerminal terminal_;
    std::mutex instrumentMutex_;
    SimulatedInstrument instrument_;
    uint32_t delayMs_;
    bool pacing_;
    std::thread thread_;
    std::atomic<uint32_t> handled_{0};
    int wake_[2] = {-1, -1};
};
