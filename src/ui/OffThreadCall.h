#pragma once
#include <QEventLoop>
#include <QMetaObject>
#include <functional>
#include <thread>

// Runs a blocking instrument exchange on a worker thread while the UI thread keeps painting
// and receiving posted messages, but no keys or mouse input. The caller makes sure nothing
// it processes meanwhile touches what the call works on.
template <class Result> Result RunOffThread(const std::function<Result()>& call)
{
    QEventLoop loop;
    Result result{};
    std::thread worker([&] {
        result = call();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return result;
}
