#pragma once
#include <deque>
#include <string>
#include <vector>

#include "instrument/SerialTransport.h"
#include "platform/Clock.h"

// An in-memory port on a manual clock. Replies are scripted as pieces released by the next
// write, each arriving `afterMs` after the one before (the first after the write). A read
// with nothing due in its wait advances the clock by the whole wait and returns 0 bytes.
class FakeTransport final : public SerialTransport {
public:
    struct Piece {
        uint32_t afterMs = 0;
        std::vector<uint8_t> bytes;
    };

    explicit FakeTransport(platform::ManualClock& clock) : clock_(clock) {}

    void QueueReply(std::vector<Piece> pieces) { script_.push_back(std::move(pieces)); }
    // Bytes already waiting in the input buffer (an earlier, abandoned reply).
    void AddStale(std::vector<uint8_t> bytes) { stale_.insert(stale_.end(), bytes.begin(), bytes.end()); }
    // After the released pieces, the peer hangs up instead of staying silent.
    bool hangUpWhenDone = false;
    bool failOpen = false;
    bool failWrite = false;
    size_t writeLimit = SIZE_MAX; // bytes a write accepts at most

    bool Open(const std::string& device, const SerialLine& line) override;
    bool Close() override { return !(open_ = false); }
    bool IsOpen() const override { return open_; }
    bool Read(uint8_t* buffer, size_t count, const ReadWait& wait, size_t& got) override;
    bool Write(const uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t& written) override;
    bool Purge() override
    {
        stale_.clear();
        return open_;
    }
    bool LinkLost() const override { return !open_ || hungUp_; }

    std::vector<std::vector<uint8_t>> writes;
    std::vector<ReadWait> readWaits;
    std::string device;
    SerialLine line;

private:
    platform::ManualClock& clock_;
    std::deque<std::vector<Piece>> script_;
    std::deque<Piece> released_;
    uint32_t lastArrival_ = 0;
    std::vector<uint8_t> stale_;
    bool open_ = false;
    bool hungUp_ = false;
};
