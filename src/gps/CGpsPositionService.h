#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "gps/GpsFix.h"
#include "gps/MessagePoster.h"
#include "platform/Clock.h"

struct PositionRequest {
    WindowId window = 0; // 0: the answer is dropped
    uint32_t cookie = 0; // returned unchanged as wParam
    uint32_t tick = 0;   // the time the position is wanted for
};

// Answers position requests for tick times by linear interpolation between the GPS fixes
// around them, and forwards every fix to the listening window. Each answer carries the
// quality of the fix nearest in time, its age, and whether it was placed well: between two
// fixes with a 2-D or 3-D solution no further apart than the gap limit, and no further than
// that limit beyond them. Thread-safe: every
// operation takes the service's own lock; HasFix reads an atomic and takes none.
// Messages are posted under that lock, so the poster must not call back into the service.
class CGpsPositionService {
public:
    static constexpr uint32_t kSlotCount = 80;
    static constexpr size_t kMaxRequests = 16;
    static constexpr uint32_t kDefaultGapLimitMs = 2000;

    // The clock gives the base tick at Reset; clock and poster must outlive the service.
    CGpsPositionService(MessagePoster& poster, platform::Clock& clock = platform::SystemTicks());

    void Reset();
    // Queues a request (dropping the oldest when 16 wait); its window becomes the listener.
    void RequestPosition(const PositionRequest& request);
    // The window every fix is forwarded to from now on, before any request (0: none).
    void SetListener(WindowId window);
    // A new valid fix from the GPS thread: answers the waiting requests and posts the fix.
    void OnFix(const GpsFix& fix);
    // The longest gap between fixes that still places a reading well (Reset keeps it).
    void SetGapLimitMs(uint32_t limitMs);
    // True once a fix arrived after the last Reset.
    bool HasFix() const { return hasFix.load(); }
    // Copy of result slot 1..80 (the last value delivered through it).
    GpsFix Slot(uint32_t number) const;

private:
    void Deliver(WindowId window, uint32_t message, uintptr_t wParam, const GpsFix& fix);
    void DropOldestRequest();
    // A reading's answer at `tick`, from `fix` alone or interpolated between `last` and `fix`.
    GpsFix Placed(const GpsFix& last, const GpsFix& fix, uint32_t tick, double latitude, double longitude,
                  bool fromOneFix) const;

    MessagePoster& poster_;
    platform::Clock& clock_;

    GpsFix lastFix;
    std::array<GpsFix, kSlotCount> slots{};
    uint32_t slotIndex = 0;
    uint32_t baseTick = 0;
    int64_t gapLimitMs = kDefaultGapLimitMs;
    WindowId listener = 0;
    std::array<PositionRequest, kMaxRequests> requests{}; // ring, oldest at requestHead
    size_t requestHead = 0;
    size_t requestCount = 0;
    std::atomic<uint32_t> hasFix{0};
    mutable std::mutex lock_;
};
