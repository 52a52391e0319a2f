#pragma once
// The owner thread's side of the background inversion for tests: the worker threads post
// into a queue, and the test thread hands what arrived to the owner, as the window's event
// loop does. Waits are for results to arrive; the time-out only ends a test that failed.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "model/BackgroundInversion.h"

namespace testing_support {

class InversionResultQueue final : public InversionResultSink {
public:
    void Post(const StationInverted& done) override
    {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(done);
        }
        arrived_.notify_all();
    }
    // Hands results to `owner` until `done` holds; false when it did not within the time-out.
    bool PumpUntil(BackgroundInversion& owner, const std::function<bool()>& done,
                   std::chrono::seconds limit = std::chrono::seconds(120))
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::deque<StationInverted> ready;
            {
                std::unique_lock lock(mutex_);
                if (!arrived_.wait_until(lock, until, [this] { return !posted_.empty(); }))
                    return false;
                ready.swap(posted_);
            }
            for (const StationInverted& result : ready) {
                ++posted;
                delivered += owner.Deliver(result);
                seen.push_back(result);
            }
        }
        return true;
    }

    size_t posted = 0;    // results the worker posted
    size_t delivered = 0; // of those, taken by the owner
    std::vector<StationInverted> seen;

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<StationInverted> posted_;
};

} // namespace testing_support
