#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/BatchInversion.h"

// One station of a run: the asker's names for it (its slot, a record index, and the number of
// the request, which tells a result from an earlier request of the same slot) and its data.
struct InversionStation {
    size_t slot = 0;
    uint64_t ask = 0;
    StationInput input;
};

// Stations inverted one after another on one thread, each but the first drawn towards the
// result of the station before it when that one was inverted: neighbours along a profile or
// a track, for a steady section.
struct InversionRun {
    uint64_t work = 0; // the work that asked; see DropWorksBefore
    std::shared_ptr<const CalibrationSet> calibration; // null refuses every station
    InversionOptions options; // options.reference: what the first station is drawn towards
    std::vector<InversionStation> stations;
};

// A station's result as the worker hands it back.
struct StationInverted {
    uint64_t work = 0;
    size_t slot = 0;
    uint64_t ask = 0;
    InversionResult result;
};

// Hands a station's result to the owner thread; called on the worker threads, so it must be
// thread-safe and must not wait for the owner thread.
class InversionResultSink {
public:
    virtual ~InversionResultSink() = default;
    virtual void Post(const StationInverted& done) = 0;
};

// Threads that invert runs of stations in the background, one queue for all of them, at a
// lower priority than the program's other threads so that the window stays quick. A result
// is posted to the sink as each station ends. Submit and DropWorksBefore belong to the owner
// thread; the sink is called on the worker threads only.
class InversionWorker {
public:
    explicit InversionWorker(InversionResultSink& sink);
    // Queued runs are dropped; waits for the stations running, one per thread.
    ~InversionWorker();
    InversionWorker(const InversionWorker&) = delete;
    InversionWorker& operator=(const InversionWorker&) = delete;

    // Starts `threads` threads (0: one per core); false, with the reason, when none could be
    // created: every station submitted then comes back at once, refused as Cancelled.
    bool Start(unsigned threads, std::string& error);
    // `urgent` runs go before every run queued: a station just measured before a whole session.
    void Submit(InversionRun run, bool urgent = false);
    // The runs of every work numbered below `work` are dropped, and a running one stops after
    // its current station; results of those works are no longer posted.
    void DropWorksBefore(uint64_t work);

private:
    void Run();
    bool Dropped(uint64_t work) const { return work < oldest_.load(std::memory_order_acquire); }

    InversionResultSink& sink_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<InversionRun> queue_;
    bool stopping_ = false;
    std::atomic<uint64_t> oldest_{0};
    std::vector<std::thread> threads_;
};
