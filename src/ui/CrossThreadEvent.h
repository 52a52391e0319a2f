#pragma once
#include <QEvent>
#include <atomic>

// An event made on another thread and read on the UI thread, carrying its value by copy.
// The acquire in Value pairs with the release in the constructor: Qt's event queue orders the
// two threads too, but its locks are out of the thread sanitizer's sight, and this is not.
template <class Payload> class CrossThreadEvent : public QEvent {
public:
    CrossThreadEvent(QEvent::Type type, const Payload& value) : QEvent(type), value_(value)
    {
        published_.store(true, std::memory_order_release);
    }
    const Payload& Value() const
    {
        published_.load(std::memory_order_acquire);
        return value_;
    }

private:
    Payload value_;
    std::atomic<bool> published_{false};
};
