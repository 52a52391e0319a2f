#pragma once
#include <cstdint>

// The one-shot timer of a timed series, owned by the front end (a Qt timer in the window, a
// deadline in lurctl's loop, a hand-fired one in tests); when it fires, the front end calls
// AcquisitionEngine::OnSeriesTick on the owner thread.
class SeriesTimer {
public:
    virtual ~SeriesTimer() = default;
    // Fires once, `ms` from now, replacing any earlier arming.
    virtual void Arm(uint32_t ms) = 0;
    virtual void Disarm() = 0;
};
