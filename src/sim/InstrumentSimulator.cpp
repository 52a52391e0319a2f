#include "sim/InstrumentSimulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// 8N1 at 9600 baud: ten bits per byte.
constexpr double kByteMsAt9600 = 10.0 * 1000.0 / 9600.0;
constexpr size_t kPacedChunk = 8;

} // namespace

InstrumentSimulator::InstrumentSimulator(InstrumentOptions options, CalibrationSet calibration)
    : instrument_(options, std::move(calibration)), delayMs_(options.measurementDelayMs), pacing_(options.pacing)
{
}

InstrumentSimulator::~InstrumentSimulator()
{
    Stop();
}

bool InstrumentSimulator::Start()
{
    Stop();
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_[0] = wake_[1] = -1;
        return false;
    }
    if (!terminal_.Create()) {
        Stop();
        return false;
    }
    thread_ = std::thread(&InstrumentSimulator::Serve, this);
    return true;
}

void InstrumentSimulator::Stop()
{
    if (thread_.joinable()) {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    terminal_.Close();
    for (int& fd : wake_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void InstrumentSimulator::SetPosition(std::optional<std::pair<double, double>> position)
{
    std::lock_guard lock(instrumentMutex_);
    instrument_.SetPosition(position);
}

bool InstrumentSimulator::Pause(int ms)
{
    pollfd wake{wake_[0], POLLIN, 0};
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        int n = ::poll(&wake, 1, static_cast<int>(left.count()));
        if (n > 0)
            return false;
    }
}

bool InstrumentSimulator::Send(const std::vector<uint8_t>& bytes)
{
    int fd = terminal_.MasterFd();
    auto start = std::chrono::steady_clock::now();
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t chunk = bytes.size() - sent;
        if (pacing_) {
            // A byte is delivered once its ten bits have crossed the line.
            chunk = std::min(chunk, kPacedChunk);
            auto due = start + std::chrono::microseconds(
                                   static_cast<int64_t>(static_cast<double>(sent + chunk) * kByteMsAt9600 * 1000));
            auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            if (wait.count() > 0 && !Pause(static_cast<int>(wait.count())))
                return false;
        }
        ssize_t n = ::write(fd, bytes.data() + sent, chunk);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR)
                return false;
            pollfd fds[2] = {{fd, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
            if (::poll(fds, 2, 100) > 0 && (fds[1].revents & POLLIN))
                return false;
            continue;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void InstrumentSimulator::Serve()
{
    int fd = terminal_.MasterFd();
    uint8_t buffer[256];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents & POLLIN)
            return;
        if (!(fds[0].revents & POLLIN)) {
            // The terminal keeps a slave open, so a hang-up here is transient; do not spin.
            if (!Pause(10))
                return;
            continue;
        }
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        std::vector<std::vector<uint8_t>> replies;
        uint32_t before = 0, after = 0;
        {
            std::lock_guard lock(instrumentMutex_);
            before = instrument_.CommandCount();
            replies = instrument_.Receive(buffer, static_cast<size_t>(n));
            after = instrument_.CommandCount();
        }
        // Unanswered commands count as dealt with at once; answered ones once sent.
        handled_ += (after - before) - static_cast<uint32_t>(replies.size());
        for (const auto& reply : replies) {
            if (delayMs_ != 0 && !Pause(static_cast<int>(delayMs_)))
                return;
            if (!Send(reply))
                return;
            ++handled_;
            if (instrument_.Vanished()) {
                terminal_.HangUp();
                return;
            }
        }
    }
}
