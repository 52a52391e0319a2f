#pragma once
#include <QEvent>
#include <atomic>
#include <cstdint>

// Qt's event queue orders the thread that makes an event and the UI thread that reads it, but
// its locks are out of the thread sanitizer's sight. Every cross-thread event's making is a
// release in this one sequence; code on the UI thread that reads events takes it first.
inline std::atomic<uint64_t> crossThreadEventsMade{0};
inline void SeeCrossThreadEvents()
{
    crossThreadEventsMade.load(std::memory_order_acquire);
}

// An event made on another thread and read on the UI thread, carrying its value by copy.
template <class Payload> class CrossThreadEvent : public QEvent {
public:
    CrossThreadEvent(QEvent::Type type, const Payload& value) : QEvent(type), value_(value)
    {
        crossThreadEventsMade.fetch_add(1, std::memory_order_release);
    }
    const Payload& Value() const
    {
        SeeCrossThreadEvents();
        return value_;
    }

private:
    Payload value_;
};
