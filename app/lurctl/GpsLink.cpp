#include "GpsLink.h"

#include <cerrno>
#include <cstring>

#include "session/WorkSession.h"

namespace {
// The window id of the survey loop; any non-zero value serves.
constexpr WindowId kSurveyLoop = 1;
} // namespace

// Keeps the reader thread's error message for the survey loop to report.
class GpsLink::FailureRecorder final : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string& text, const std::string&, platform::PromptButtons,
                               platform::PromptIcon) override
    {
        std::lock_guard guard(mutex_);
        text_ = text;
        return platform::PromptAnswer::Ok;
    }
    std::string Text() const
    {
        std::lock_guard guard(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

GpsLink::GpsLink(MessagePoster& poster)
    : positions_(poster), failure_(std::make_unique<FailureRecorder>()),
      reader_(parser_, positions_, clockOffset_, *failure_)
{
}

GpsLink::~GpsLink()
{
    Stop();
}

bool GpsLink::Open(const std::string& device, int baud, uint32_t gapLimitMs, WorkSession& work, std::string& error)
{
    errno = 0;
    if (!port_.Open(device, nullptr, &kGpsPortTimeouts, static_cast<uint32_t>(baud))) {
        error = "cannot open GPS port " + device + ": " + (errno ? std::strerror(errno) : "not a serial port");
        return false;
    }
    positions_.Reset();
    positions_.SetGapLimitMs(gapLimitMs);
    if (!reader_.Start(port_)) {
        port_.Close();
        error = "cannot start the GPS reader";
        return false;
    }
    work.ConnectPositions(positions_, kSurveyLoop);
    opened_ = true;
    return true;
}

std::string GpsLink::Failure() const
{
    const std::string text = failure_->Text();
    return text.empty() ? "the GPS port closed" : text;
}

void GpsLink::Stop()
{
    reader_.Stop();
    opened_ = false;
}
