#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "acquisition/InstrumentWorker.h"
#include "acquisition/SeriesTimer.h"
#include "gps/MessagePoster.h"

class AcquisitionEngine;

// The owner thread's event queue for a front end without a window system (lurctl, tests):
// the worker's results and the GPS messages are posted from their threads, the series
// timer is a deadline, and RunOnce hands each to the engine on the thread that calls it.
// Posting is thread-safe; everything else belongs to the owner thread.
class OwnerQueue final : public ExchangeResultSink, public SeriesTimer, public MessagePoster {
public:
    using Clock = std::chrono::steady_clock;

    void SetEngine(AcquisitionEngine* engine) { engine_ = engine; }

    void Post(const ExchangeResult& result) override;
    void Post(WindowId window, const PositionMessage& message) override;
    void Arm(uint32_t ms) override;
    void Disarm() override;

    // Hands out everything that has arrived, and fires the timer when it is due; waits up
    // to `wait` when there is nothing. False when nothing happened.
    bool RunOnce(std::chrono::milliseconds wait);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void(AcquisitionEngine&)>> events_;
    std::optional<Clock::time_point> due_;
    AcquisitionEngine* engine_ = nullptr;
};
