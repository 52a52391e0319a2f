#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/PseudoTerminal.h"

// The far end of a pseudo-terminal, driven by a test: reads with a deadline, writes, hangs up.
class PtyPeer {
public:
    PtyPeer();
    const std::string& Path() const { return pty_.SlavePath(); }
    // Exactly `count` bytes from the program, or fewer when `timeoutMs` passes first.
    std::vector<uint8_t> Receive(size_t count, int timeoutMs = 2000);
    void Send(const std::vector<uint8_t>& bytes);
    // Closes the master: the program's side sees a hang-up.
    void HangUp() { pty_.Close(); }
    // Waits until bytes sent are readable on the program's side.
    bool WaitDelivered(int timeoutMs = 2000);

private:
    PseudoTerminal pty_;
};

inline double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
