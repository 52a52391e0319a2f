#include "instrument/PosixSerialTransport.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

bool SpeedOf(uint32_t baud, speed_t& speed)
{
    static constexpr struct { uint32_t baud; speed_t speed; } kSpeeds[] = {
        {110, B110},       {300, B300},       {600, B600},       {1200, B1200},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
        {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
        {460800, B460800}, {921600, B921600},
    };
    for (const auto& s : kSpeeds)
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    return false;
}

int MsUntil(SteadyTime deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

PosixSerialTransport::PosixSerialTransport()
{
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        wake_[0] = wake_[1] = -1;
}

PosixSerialTransport::~PosixSerialTransport()
{
    Close();
    for (int fd : wake_)
        if (fd >= 0)
            ::close(fd);
}

bool PosixSerialTransport::Open(const std::string& device, const SerialLine& line)
{
    std::lock_guard lock(ioMutex_);
    CloseLocked();
    if (wake_[0] < 0)
        return false;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios tio{};
    speed_t speed{};
    bool ok = SpeedOf(line.baud, speed) && tcgetattr(fd, &tio) == 0;
    if (ok) {
        cfmakeraw(&tio);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
        if (line.parity)
            tio.c_cflag |= PARENB;
        if (line.stopBits == 2)
            tio.c_cflag |= CSTOPB;
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        // VMIN 1 on a non-blocking descriptor: no data reads EAGAIN, a hang-up reads 0.
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        ok = cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0 &&
             tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    if (!ok) {
        ::close(fd);
        return false;
    }
    hungUp_ = false;
    fd_ = fd;
    return true;
}

bool PosixSerialTransport::Close()
{
    if (fd_.load() < 0)
        return true;
    // Wake a read that may be waiting in poll(), then close once it has let go.
    if (wake_[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &byte, 1);
    }
    std::lock_guard lock(ioMutex_);
    bool ok = CloseLocked();
    DrainWake();
    return ok;
}

bool PosixSerialTransport::CloseLocked()
{
    int fd = fd_.exchange(-1);
    if (fd < 0)
        return true;
    return ::close(fd) == 0;
}

void PosixSerialTransport::DrainWake()
{
    char buffer[64];
    while (::read(wake_[0], buffer, sizeof buffer) > 0) {
    }
}

bool PosixSerialTransport::WaitFor(short events, int timeoutMs, bool& ready)
{
    ready = false;
    pollfd fds[2] = {{fd_.load(), events, 0}, {wake_[0], POLLIN, 0}};
    int n = ::poll(fds, 2, timeoutMs);
    if (n < 0)
        return errno == EINTR;
    if (fds[1].revents & POLLIN)
        return false;
    if (fds[0].revents & events) {
        ready = true;
        return true;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        hungUp_ = true;
        return false;
    }
    return true;
}

bool PosixSerialTransport::Read(uint8_t* buffer, size_t count, const ReadWait& wait, size_t& got)
{
    got = 0;
    std::lock_guard lock(ioMutex_);
    int fd = fd_.load();
    if (fd < 0 || hungUp_)
        return false;
    auto now = std::chrono::steady_clock::now();
    SteadyTime deadline = now + std::chrono::milliseconds(wait.totalMs);
    while (got < count) {
        ssize_t n = ::read(fd, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            if (wait.intervalMs != 0) {
                auto gapEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait.intervalMs);
                if (gapEnd < deadline)
                    deadline = gapEnd;
            }
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // A pty whose master has gone reads EIO; a device that vanished reads 0.
            hungUp_ = true;
            return got > 0;
        }
        int left = MsUntil(deadline);
        if (left == 0)
            break;
        bool ready = false;
        if (!WaitFor(POLLIN, left, ready))
            return hungUp_ && got > 0; // a wake-up means the port is being closed

    }
    return true;
}

bool PosixSerialTransport::Write(const uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t& written)
{
    written = 0;
    std::lock_guard lock(ioMutex_);
    int fd = fd_.load();
    if (fd < 0 || hungUp_)
        return false;
    SteadyTime deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (written < count) {
        ssize_t n = ::write(fd, buffer + written, count - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            if (errno == EIO)
                hungUp_ = true;
            return false;
        }
        int left = MsUntil(deadline);
        bool ready = false;
        if (left == 0 || !WaitFor(POLLOUT, left, ready))
            break;
    }
    return true;
}

bool PosixSerialTransport::Purge()
{
    std::lock_guard lock(ioMutex_);
    int fd = fd_.load();
    return fd >= 0 && tcflush(fd, TCIOFLUSH) == 0;
}
