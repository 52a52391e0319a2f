#include "GpsLink.h"

#include <cerrno>
#include <cstring>

#include "instrument/PortMap.h"
#include "settings/CSettings.h"
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

GpsLink::GpsLink()
    : failure_(std::make_unique<FailureRecorder>()), reader_(parser_, positions_, clockOffset_, *failure_)
{
}

GpsLink::~GpsLink()
{
    Stop();
}

bool GpsLink::Open(const std::string& port, int baud, WorkSession& work, std::string& error)
{
    if (port.rfind("COM", 0) == 0)
        PortMap::Instance().Load(CSettings::Instance().Registry());
    const std::string device = PortMap::Instance().Resolve(port);
    errno = 0;
    if (!port_.Open(device, nullptr, &kGpsPortTimeouts, static_cast<uint32_t>(baud))) {
        error = "cannot open GPS port " + device + ": " + (errno ? std::strerror(errno) : "not a serial port");
        return false;
    }
    positions_.Reset();
    if (!reader_.Start(port_)) {
        port_.Close();
        error = "cannot start the GPS reader";
        return false;
    }
    work.ConnectPositions(positions_, kSurveyLoop);
    opened_ = true;
    return true;
}

bool GpsLink::WaitForFix(std::chrono::milliseconds limit, const volatile std::sig_atomic_t& interrupted)
{
    constexpr std::chrono::milliseconds kPoll{20};
    for (std::chrono::milliseconds waited{0}; waited < limit; waited += kPoll) {
        if (positions_.HasFix())
            return true;
        if (interrupted || Lost())
            return false;
        queue_.Take(kPoll); // nothing is posted before the first request; this only waits
    }
    return positions_.HasFix();
}

void GpsLink::Pump(WorkSession& work, std::chrono::milliseconds wait, bool untilAnswered)
{
    const auto end = std::chrono::steady_clock::now() + wait;
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
        if (untilAnswered && work.OutstandingPositions() == 0)
            return;
        for (const PositionMessage& message : queue_.Take(std::chrono::duration_cast<std::chrono::milliseconds>(end - now)))
            work.ApplyPosition(message);
        if (Lost())
            return;
    }
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
