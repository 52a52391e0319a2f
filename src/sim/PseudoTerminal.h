#pragma once
#include <string>

// A pseudo-terminal pair in raw mode: the master side for a simulator, the slave path for
// the program under test to open like a serial device. The object keeps a slave descriptor
// of its own open so that the master does not see a hang-up between the peer's sessions.
// Not thread-safe; Close must not race with use of the master descriptor.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False (with nothing open) when the system has no pseudo-terminal to give.
    bool Create();
    void Close();
    // Closes the master side only: the program's side of the line sees a hang-up, as when a
    // device is switched off, while the slave path stays reserved until Close.
    void HangUp();
    bool IsOpen() const { return master_ >= 0; }
    // Non-blocking master descriptor, -1 when closed.
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slaveKeeper_ = -1;
    std::string slavePath_;
};
