#include "ui/AcquisitionBridge.h"

#include <QCoreApplication>
#include <QTimerEvent>

#include "acquisition/AcquisitionEngine.h"
#include "ui/CrossThreadEvent.h"

namespace {

using ExchangeDoneEvent = CrossThreadEvent<ExchangeResult>;

} // namespace

void AcquisitionBridge::Post(const ExchangeResult& result)
{
    QCoreApplication::postEvent(this, new ExchangeDoneEvent(static_cast<QEvent::Type>(kExchangeDoneEvent), result));
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
    SeeCrossThreadEvents();
    if (event->type() != static_cast<QEvent::Type>(kExchangeDoneEvent))
        return QObject::event(event);
    if (engine_ != nullptr)
        engine_->Deliver(static_cast<ExchangeDoneEvent*>(event)->Value());
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
