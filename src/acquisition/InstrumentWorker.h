#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/Exchange.h"

// Hands a finished exchange to the owner thread; called on the worker thread, so it must be
// thread-safe and must not wait for the owner thread.
class ExchangeResultSink {
public:
    virtual ~ExchangeResultSink() = default;
    virtual void Post(const ExchangeResult& result) = 0;
};

// The one thread that talks to the instrument. Requests are carried out one at a time in the
// order submitted, so two exchanges can never share the port. Submit belongs to the owner
// thread; the performer and the sink are called on the worker thread only.
class InstrumentWorker final : public ExchangeQueue {
public:
    InstrumentWorker(ExchangePerformer& performer, ExchangeResultSink& sink);
    // Waits for the running exchange (bounded by its time-out); queued ones are dropped.
    ~InstrumentWorker() override;
    InstrumentWorker(const InstrumentWorker&) = delete;
    InstrumentWorker& operator=(const InstrumentWorker&) = delete;

    // Starts the thread; false, with the reason, when none could be created: every request
    // then fails at once.
    bool Start(std::string& error);
    void Submit(const ExchangeRequest& request) override;

private:
    void Run();
    ExchangeResult PerformGuarded(const ExchangeRequest& request);

    ExchangePerformer& performer_;
    ExchangeResultSink& sink_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<ExchangeRequest> queue_;
    bool stopping_ = false;
    std::thread thread_;
};
