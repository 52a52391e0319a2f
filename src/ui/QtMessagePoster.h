#pragma once
#include "gps/MessagePoster.h"

// Delivers the GPS thread's position messages to a page as Qt events. The window id is the
// page's QObject pointer; the page must outlive the GPS reader.
class QtMessagePoster final : public MessagePoster {
public:
    void Post(WindowId window, const PositionMessage& message) override;
};
