#include "model/InversionWorker.h"

#include <algorithm>
#include <system_error>

#include "platform/ThreadPriority.h"

namespace {

// Nice steps of the worker threads: the UI thread keeps its share of a small machine.
constexpr int kBackgroundNice = 10;

} // namespace

InversionWorker::InversionWorker(InversionResultSink& sink) : sink_(sink) {}

InversionWorker::~InversionWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    oldest_.store(UINT64_MAX, std::memory_order_release);
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool InversionWorker::Start(unsigned threads, std::string& error)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    try {
        for (unsigned k = 0; k < threads; ++k)
            threads_.emplace_back([this] { Run(); });
    } catch (const std::system_error& failure) {
        error = failure.what();
    }
    return !threads_.empty();
}

void InversionWorker::Submit(InversionRun run, bool urgent)
{
    if (threads_.empty()) {
        // No thread to invert on: nothing may wait for a result that never comes.
        for (const InversionStation& station : run.stations) {
            StationInverted done{run.work, station.slot, station.ask, {}};
            done.result.refusal = StationRefusal::Cancelled;
            sink_.Post(done);
        }
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (urgent)
            queue_.push_front(std::move(run));
        else
            queue_.push_back(std::move(run));
    }
    wake_.notify_one();
}

void InversionWorker::DropWorksBefore(uint64_t work)
{
    std::lock_guard lock(mutex_);
    oldest_.store(std::max(work, oldest_.load(std::memory_order_relaxed)), std::memory_order_release);
    std::erase_if(queue_, [work](const InversionRun& run) { return run.work < work; });
}

void InversionWorker::Run()
{
    platform::LowerThisThreadPriority(kBackgroundNice);
    for (;;) {
        InversionRun run;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            run = std::move(queue_.front());
            queue_.pop_front();
        }
        const InversionResult* previous = nullptr;
        StationInverted done;
        for (const InversionStation& station : run.stations) {
            if (Dropped(run.work))
                break;
            InversionOptions options = run.options;
            if (previous)
                options.reference = previous->model;
            done.work = run.work;
            done.slot = station.slot;
            done.ask = station.ask;
            if (station.input.refusal != StationRefusal::None) {
                done.result = InversionResult{};
                done.result.refusal = station.input.refusal;
            } else {
                done.result = InvertStation(run.calibration.get(), station.input.data, options);
            }
            if (Dropped(run.work))
                break;
            sink_.Post(done);
            previous = done.result.refusal == StationRefusal::None ? &done.result : nullptr;
        }
    }
}
