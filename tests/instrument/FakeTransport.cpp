#include "instrument/FakeTransport.h"

#include <algorithm>
#include <cstring>

bool FakeTransport::Open(const std::string& name, const SerialLine& settings)
{
    if (failOpen)
        return false;
    device = name;
    line = settings;
    open_ = true;
    hungUp_ = false;
    return true;
}

bool FakeTransport::Read(uint8_t* buffer, size_t count, const ReadWait& wait, size_t& got)
{
    readWaits.push_back(wait);
    got = 0;
    if (!open_ || hungUp_)
        return false;
    if (!stale_.empty()) {
        got = std::min(count, stale_.size());
        std::memcpy(buffer, stale_.data(), got);
        stale_.erase(stale_.begin(), stale_.begin() + static_cast<std::ptrdiff_t>(got));
        return true;
    }
    if (released_.empty()) {
        if (hangUpWhenDone) {
            hungUp_ = true;
            return false;
        }
        clock_.Advance(wait.totalMs);
        return true;
    }
    Piece& piece = released_.front();
    uint32_t due = lastArrival_ + piece.afterMs;
    uint32_t now = clock_.Now();
    if (static_cast<int32_t>(due - now) > static_cast<int32_t>(wait.totalMs)) {
        clock_.Advance(wait.totalMs);
        return true;
    }
    if (static_cast<int32_t>(due - now) > 0)
        clock_.Set(due);
    lastArrival_ = clock_.Now();
    piece.afterMs = 0;
    got = std::min(count, piece.bytes.size());
    if (got != 0) // an empty piece has no data pointer to copy from
        std::memcpy(buffer, piece.bytes.data(), got);
    piece.bytes.erase(piece.bytes.begin(), piece.bytes.begin() + static_cast<std::ptrdiff_t>(got));
    if (piece.bytes.empty())
        released_.pop_front();
    return true;
}

bool FakeTransport::Write(const uint8_t* buffer, size_t count, uint32_t, size_t& written)
{
    written = 0;
    if (!open_ || failWrite)
        return false;
    written = std::min(count, writeLimit);
    writes.emplace_back(buffer, buffer + written);
    released_.clear();
    if (!script_.empty()) {
        released_.assign(script_.front().begin(), script_.front().end());
        script_.pop_front();
    }
    lastArrival_ = clock_.Now();
    return true;
}

