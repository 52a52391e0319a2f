#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "gps/MessagePoster.h"

// Position messages waiting for a thread without a window system (the command line):
// the GPS thread posts, the survey loop takes them in order. Thread-safe.
class PositionQueue final : public MessagePoster {
public:
    // Keeps at most this many; a consumer that stops taking loses the oldest, as a
    // window whose queue overflows would.
    static constexpr size_t kCapacity = 4096;

    void Post(WindowId window, const PositionMessage& message) override;
    // Every message posted so far, oldest first; waits up to `wait` for the first one.
    std::vector<PositionMessage> Take(std::chrono::milliseconds wait);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<PositionMessage> messages_;
};
