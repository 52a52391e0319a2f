#pragma once
#include <string>

// An exclusive hold on a journal file. The process writing a journal holds it for as long as
// it writes (the kernel lets go when the process dies), and recovery takes it before reading,
// so a journal in use is never offered, recovered or removed. Owner thread only.
class JournalLock {
public:
    enum class State { Held, InUse, Missing };

    JournalLock() = default;
    // Opens `path` and tries to hold it without waiting.
    explicit JournalLock(const std::string& path);
    // Holds an already open descriptor's file; the descriptor stays the caller's.
    static bool HoldDescriptor(int fd);
    ~JournalLock();
    JournalLock(JournalLock&& other) noexcept;
    JournalLock& operator=(JournalLock&& other) noexcept;
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    State Status() const { return state_; }
    bool Held() const { return state_ == State::Held; }

private:
    int fd_ = -1;
    State state_ = State::Missing;
};
