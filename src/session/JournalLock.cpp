#include "session/JournalLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

JournalLock::JournalLock(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    if (HoldDescriptor(fd_)) {
        state_ = State::Held;
        return;
    }
    state_ = State::InUse;
    ::close(fd_);
    fd_ = -1;
}

bool JournalLock::HoldDescriptor(int fd)
{
    // flock, not fcntl: its lock belongs to this descriptor, so another descriptor of the
    // same file opened and closed in this process cannot drop it.
    int result = 0;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

JournalLock::~JournalLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

JournalLock::JournalLock(JournalLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), state_(std::exchange(other.state_, State::Missing))
{
}

JournalLock& JournalLock::operator=(JournalLock&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        state_ = std::exchange(other.state_, State::Missing);
    }
    return *this;
}
