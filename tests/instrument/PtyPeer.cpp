#include "instrument/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    if (!pty_.Create())
        throw std::runtime_error("no pseudo-terminal");
}

std::vector<uint8_t> PtyPeer::Receive(size_t count, int timeoutMs)
{
    std::vector<uint8_t> bytes;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{pty_.MasterFd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        uint8_t buffer[512];
        ssize_t n = ::read(pty_.MasterFd(), buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

void PtyPeer::Send(const std::vector<uint8_t>& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::write(pty_.MasterFd(), bytes.data() + sent, bytes.size() - sent);
        if (n > 0)
            sent += static_cast<size_t>(n);
        else {
            pollfd p{pty_.MasterFd(), POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

bool PtyPeer::WaitDelivered(int timeoutMs)
{
    int fd = ::open(Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    bool ready = ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
    ::close(fd);
    return ready;
}
