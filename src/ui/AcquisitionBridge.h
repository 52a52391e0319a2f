#pragma once
#include <QBasicTimer>
#include <QObject>

#include "acquisition/InstrumentWorker.h"
#include "acquisition/SeriesTimer.h"

class AcquisitionEngine;

// Brings the instrument worker's results and the series timer into the UI thread's event
// loop: a result is posted as an event (from the worker thread) and handed to the engine
// when the loop reaches it, and the timer fires OnSeriesTick. Lives on the UI thread.
class AcquisitionBridge final : public QObject, public ExchangeResultSink, public SeriesTimer {
public:
    static constexpr int kExchangeDoneEvent = 0x2350;

    void SetEngine(AcquisitionEngine* engine) { engine_ = engine; }

    void Post(const ExchangeResult& result) override; // any thread
    void Arm(uint32_t ms) override;
    void Disarm() override;
    bool Armed() const { return timer_.isActive(); }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    AcquisitionEngine* engine_ = nullptr;
    QBasicTimer timer_;
};
