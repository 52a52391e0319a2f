#pragma once
#include <cstdint>

#include "gps/GpsFix.h"
#include "platform/Clock.h"

// Watches the live fixes for the operator: says when the fix was lost (no fix with a 2-D or
// 3-D solution for longer than the loss time, or a fix without one), when it degraded (HDOP
// above the limit) and when it came back. Each change is reported once, for one beep; the
// first fix after start is no change. HDOP must fall below the limit by the hysteresis before
// a degraded fix counts as back, so a value hovering at the limit does not beep every second.
// Owned by the UI thread: fed from the live position messages and polled by a timer.
class FixQualityMonitor {
public:
    struct Limits {
        double hdop = 5.0;
        double hdopHysteresis = 0.5;
        uint32_t lossAfterMs = 3000;
    };
    enum class State { NoFixYet, Good, Degraded, Lost };
    enum class Change { None, Lost, Degraded, Restored };

    explicit FixQualityMonitor(platform::Clock& clock);
    FixQualityMonitor(platform::Clock& clock, Limits limits);

    Change OnFix(const GpsFix& fix);
    // Time passing without fixes.
    Change Poll();
    State Current() const { return state_; }

private:
    Change Enter(State next);

    platform::Clock& clock_;
    Limits limits_;
    State state_ = State::NoFixYet;
    uint32_t lastSolutionTick_ = 0;
};
