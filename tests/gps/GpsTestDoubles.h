#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "gps/CGpsPositionService.h"
#include "platform/Prompter.h"

// Test doubles for the GPS reader thread.
namespace testing_support {

class RecordingPoster : public MessagePoster {
public:
    void Post(WindowId window, const PositionMessage& message) override
    {
        std::lock_guard guard(mutex_);
        posted_.push_back({window, message});
        changed_.notify_all();
    }
    // Waits until `count` messages arrived; the bound only keeps a broken reader from hanging.
    bool WaitFor(size_t count)
    {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return posted_.size() >= count; });
    }
    std::vector<std::pair<WindowId, PositionMessage>> Copy()
    {
        std::lock_guard guard(mutex_);
        return posted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<WindowId, PositionMessage>> posted_;
};

// Read by the test only after the reader thread was joined.
class RecordingPrompter : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string& text, const std::string& caption, platform::PromptButtons,
                               platform::PromptIcon icon) override
    {
        asked.push_back({text, caption});
        errorIcon = icon == platform::PromptIcon::Error;
        return platform::PromptAnswer::Ok;
    }
    std::vector<std::pair<std::string, std::string>> asked;
    bool errorIcon = false;
};

} // namespace testing_support
