#pragma once
#include <QObject>
#include <functional>
#include <string>

#include "model/BackgroundInversion.h"

class CSettings;
class DataSet;

// The measurement pages' background inversion: the worker threads, the record of the results
// of the work on screen, and the bridge that brings each result into the UI thread's event
// loop: posted as an event from a worker thread, taken into the record when the loop reaches
// it, never waited for. Lives on the UI thread; its worker threads end before it goes.
class WindowInversion final : public QObject, private InversionResultSink {
public:
    static constexpr int kStationInvertedEvent = 0x2352;

    // `taken` is called on the UI thread after each result the record takes.
    explicit WindowInversion(std::function<void()> taken);
    // Starts the worker threads; false, with the reason, when none could be started.
    bool Start(std::string& error) { return background_.Start(0, error); }

    // Keeps up with the settings: another calibration, used frequencies, noise or height
    // begins a new work (every result forgotten), then every measured station not asked for
    // yet is asked, the profile `firstProfile` of a survey before the others.
    void Follow(const CSettings& settings, const DataSet& data, uint32_t firstProfile);
    // The records [first, first + count) were just stored: inverted again (after the
    // settings are followed) before anything queued, each drawn towards the result of the
    // reading before it.
    void Renew(const CSettings& settings, const DataSet& data, uint32_t first, uint32_t count);
    // Another data set, or none: every result forgotten, the worker's queue dropped.
    void Forget() { background_.Forget(); }

    const BackgroundInversion& Results() const { return background_; }

protected:
    bool event(QEvent* event) override;

private:
    void FollowSettings(const CSettings& settings);
    void Post(const StationInverted& done) override; // worker threads

    std::function<void()> taken_;
    BackgroundInversion background_; // its threads post to this object: it goes first
};
