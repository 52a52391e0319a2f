#include "acquisition/OwnerQueue.h"

#include "acquisition/AcquisitionEngine.h"

void OwnerQueue::Post(const ExchangeResult& result)
{
    {
        std::lock_guard lock(mutex_);
        events_.push_back([result](AcquisitionEngine& engine) { engine.Deliver(result); });
    }
    posted_.notify_one();
}

void OwnerQueue::Post(WindowId, const PositionMessage& message)
{
    {
        std::lock_guard lock(mutex_);
        events_.push_back([message](AcquisitionEngine& engine) { engine.ApplyPosition(message); });
    }
    posted_.notify_one();
}

void OwnerQueue::Arm(uint32_t ms)
{
    due_ = Clock::now() + std::chrono::milliseconds(ms);
}

void OwnerQueue::Disarm()
{
    due_.reset();
}

bool OwnerQueue::RunOnce(std::chrono::milliseconds wait)
{
    std::deque<std::function<void(AcquisitionEngine&)>> ready;
    {
        std::unique_lock lock(mutex_);
        auto until = Clock::now() + wait;
        if (due_ && *due_ < until)
            until = *due_;
        posted_.wait_until(lock, until, [this] { return !events_.empty(); });
        ready.swap(events_);
    }
    bool happened = !ready.empty();
    for (auto& event : ready)
        if (engine_ != nullptr)
            event(*engine_);
    if (due_ && Clock::now() >= *due_) {
        due_.reset();
        happened = true;
        if (engine_ != nullptr)
            engine_->OnSeriesTick();
    }
    return happened;
}
