#pragma once
#include <cstdint>

#include "gps/GpsFix.h"

// Private window messages of the GPS side (values fixed).
constexpr uint32_t UM_READING_POSITION = 0x234A; // wParam: reading index (the request's cookie)
constexpr uint32_t UM_CURRENT_POSITION = 0x234B; // wParam: 0

// Window handles are opaque to the core; 0 means none.
using WindowId = uintptr_t;

// A position message. The fix travels by value, so the receiver never reads shared memory;
// `slot` (1..80) is the result slot it was delivered through.
struct PositionMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    GpsFix fix;
    uint32_t slot = 0;
};

// Queues a message for a window and returns at once; called from the GPS thread, so
// implementations must be thread-safe and must not call back into the position service.
class MessagePoster {
public:
    virtual ~MessagePoster() = default;
    virtual void Post(WindowId window, const PositionMessage& message) = 0;
};
