#include "acquisition/InstrumentWorker.h"

#include <cerrno>
#include <system_error>

InstrumentWorker::InstrumentWorker(ExchangePerformer& performer, ExchangeResultSink& sink)
    : performer_(performer), sink_(sink)
{
}

InstrumentWorker::~InstrumentWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool InstrumentWorker::Start(std::string& error)
{
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

void InstrumentWorker::Submit(const ExchangeRequest& request)
{
    if (!thread_.joinable()) {
        // No thread to talk to the instrument: every exchange fails, and says so, at once.
        ExchangeResult result;
        result.id = request.id;
        result.kind = request.kind;
        result.failure = ExchangeFailure::PortNotOpened;
        result.error = EAGAIN;
        sink_.Post(result);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(request);
    }
    wake_.notify_one();
}

ExchangeResult InstrumentWorker::PerformGuarded(const ExchangeRequest& request)
{
    try {
        return performer_.Perform(request);
    } catch (const std::exception&) {
        // Nothing may leave the thread unanswered: the engine waits for every result.
        ExchangeResult failed;
        failed.id = request.id;
        failed.kind = request.kind;
        failed.failure = ExchangeFailure::NoAnswer;
        return failed;
    }
}

void InstrumentWorker::Run()
{
    for (;;) {
        ExchangeRequest request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            request = std::move(queue_.front());
            queue_.pop_front();
        }
        sink_.Post(PerformGuarded(request));
    }
}
