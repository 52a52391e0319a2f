#include "model/BatchInversion.h"

#include <algorithm>
#include <mutex>
#include <thread>

std::vector<InversionResult> InvertStations(const CalibrationSet* calibration, const std::vector<StationInput>& stations,
                                            const BatchOptions& options, const BatchProgress& progress,
                                            const std::atomic<bool>* cancel)
{
    const size_t total = stations.size();
    std::vector<InversionResult> results(total);
    unsigned threads = options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = unsigned(std::clamp<size_t>(threads, 1, std::max<size_t>(1, total)));

    std::mutex progressMutex;
    size_t done = 0;
    auto report = [&] {
        if (!progress)
            return;
        std::lock_guard<std::mutex> lock(progressMutex);
        progress(++done, total);
    };
    // Contiguous runs, one per thread, so that a chained reference follows the profile.
    auto run = [&](size_t begin, size_t end) {
        const InversionResult* previous = nullptr;
        for (size_t k = begin; k < end; ++k) {
            InversionResult& result = results[k];
            if (cancel && cancel->load()) {
                result.refusal = StationRefusal::Cancelled;
                continue;
            }
            if (stations[k].refusal != StationRefusal::None) {
                result.refusal = stations[k].refusal;
            } else {
                InversionOptions o = options.inversion;
                if (options.chainReference && previous)
                    o.reference = previous->model;
                result = InvertStation(calibration, stations[k].data, o);
            }
            previous = result.refusal == StationRefusal::None ? &result : nullptr;
            report();
        }
    };
    if (threads == 1) {
        run(0, total);
        return results;
    }
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back(run, total * t / threads, total * (t + 1) / threads);
    for (std::thread& w : workers)
        w.join();
    return results;
}
