#pragma once
#include <QEvent>
#include <cstdint>

#include "gps/MessagePoster.h"
#include "ui/CrossThreadEvent.h"

// Private window messages of the sheet (values fixed); the GPS ones are in MessagePoster.h.
constexpr uint32_t UM_BEGIN_WORK = 0x2341;
constexpr uint32_t UM_RESET_PAGES = 0x2342;
constexpr uint32_t UM_NEXT_PAGE = 0x2343;
constexpr uint32_t UM_PREV_PAGE = 0x2344;
constexpr uint32_t UM_FULL_SCREEN = 0x2345;
constexpr uint32_t UM_MEASUREMENT_ERROR = 0x234C;

// A private window message as a Qt event: its type is the message value (all lie in Qt's
// user range), wParam rides along.
class SheetEvent : public QEvent {
public:
    explicit SheetEvent(uint32_t message, uintptr_t wParam = 0)
        : QEvent(static_cast<QEvent::Type>(message)), wParam(wParam)
    {
    }
    uint32_t Message() const { return static_cast<uint32_t>(type()); }

    uintptr_t wParam;
};

// A GPS position message posted by the reader thread, carrying its fix by value; its type is
// the message value.
class PositionEvent : public CrossThreadEvent<PositionMessage> {
public:
    explicit PositionEvent(const PositionMessage& message)
        : CrossThreadEvent(static_cast<QEvent::Type>(message.message), message)
    {
    }
    const PositionMessage& Message() const { return Value(); }
};
