#include "ui/AcquisitionBridge.h"

#include <QCoreApplication>
#include <QTimerEvent>
#include <atomic>

#include "acquisition/AcquisitionEngine.h"

namespace {

// Made on the worker thread, read on the UI thread.
class ExchangeDoneEvent final : public QEvent {
public:
    explicit ExchangeDoneEvent(const ExchangeResult& result)
        : QEvent(static_cast<QEvent::Type>(AcquisitionBridge::kExchangeDoneEvent)), result_(result)
    {
        published_.store(true, std::memory_order_release);
    }
    // The acquire pairs with the release above: Qt's queue orders the two threads too, but
    // its locks are out of the thread sanitizer's sight, and this is not.
    const ExchangeResult& Result() const
    {
        published_.load(std::memory_order_acquire);
        return result_;
    }

private:
    ExchangeResult result_;
    std::atomic<bool> published_{false};
};

} // namespace

void AcquisitionBridge::Post(const ExchangeResult& result)
{
    QCoreApplication::postEvent(this, new ExchangeDoneEvent(result));
}

void AcquisitionBridge::Arm(uint32_t ms)
{
    timer_.start(static_cast<int>(std::min<uint32_t>(ms, INT32_MAX)), this);
}

void AcquisitionBridge::Disarm()
{
    timer_.stop();
}

bool AcquisitionBridge::event(QEvent* event)
{
    if (event->type() != static_cast<QEvent::Type>(kExchangeDoneEvent))
        return QObject::event(event);
    if (engine_ != nullptr)
        engine_->Deliver(static_cast<ExchangeDoneEvent*>(event)->Result());
    return true;
}

void AcquisitionBridge::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timer_.timerId())
        return QObject::timerEvent(event);
    timer_.stop(); // one shot: the engine arms the next tick itself
    if (engine_ != nullptr)
        engine_->OnSeriesTick();
}
