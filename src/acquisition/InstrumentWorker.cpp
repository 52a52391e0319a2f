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
        sink_.Post(performer_.Perform(request));
    }
}
