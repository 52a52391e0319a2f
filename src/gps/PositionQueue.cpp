#include "gps/PositionQueue.h"

void PositionQueue::Post(WindowId, const PositionMessage& message)
{
    {
        std::lock_guard guard(mutex_);
        if (messages_.size() == kCapacity)
            messages_.pop_front();
        messages_.push_back(message);
    }
    posted_.notify_one();
}

std::vector<PositionMessage> PositionQueue::Take(std::chrono::milliseconds wait)
{
    std::unique_lock guard(mutex_);
    posted_.wait_for(guard, wait, [&] { return !messages_.empty(); });
    std::vector<PositionMessage> taken(messages_.begin(), messages_.end());
    messages_.clear();
    return taken;
}
