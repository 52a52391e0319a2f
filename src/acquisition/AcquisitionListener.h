#pragma once
#include <cstdint>
#include <optional>

#include "acquisition/Exchange.h"
#include "survey/DataSet.h"

// Why a timed series ended.
enum class SeriesEnd : uint8_t {
    Operator,         // Start pressed during the series, or the work is being left
    CountReached,     // "Measurement timer count" readings taken
    TimerModeCleared, // "Таймер:" was unticked meanwhile (the exclamation beep)
    TimerNotSet,      // the delay cannot be used
    Failed,           // a connection or a reading failed
    EndOfWork,        // the survey's last station was measured
};

// A reading as it was stored.
struct StoredReading {
    uint32_t startIndex = 0; // the data set's position when the reading started
    StoreResult store;       // outcome, records stored, records left out past the grid
    bool fromSeries = false;
};

// What the acquisition engine reports, on the owner thread, in the order things happen.
// Handlers may call back into the engine and may open modal dialogs.
class AcquisitionListener {
public:
    virtual ~AcquisitionListener() = default;
    // A Start was taken: the page shows so at once, before any exchange.
    virtual void StartAccepted() {}
    virtual void SeriesStarted() {}
    virtual void SeriesEnded(SeriesEnd) {}
    // The instrument's battery in hundredths of a volt; nothing when it could not be read.
    virtual void BatteryRead(std::optional<uint32_t>) {}
    virtual void ConnectionFailed(ExchangeFailure, int /*error*/) {}
    // The receiver of track work could not be connected when the work began; the next Start
    // tries again.
    virtual void GpsConnectionFailed(int /*error*/) {}
    // Just before the reading's exchange is asked for.
    virtual void ReadingStarting() {}
    virtual void ReadingStored(const StoredReading&) {}
    // Nothing was stored; the instrument is being disconnected, so the next Start connects.
    virtual void ReadingFailed(ExchangeFailure) {}
    // The next reading starts a new profile in walking order (the two beeps).
    virtual void ProfileStart() {}
    // The survey's last station was measured ("Работа завершена").
    virtual void EndOfWork() {}
    // No exchange runs or is queued any more.
    virtual void Idle() {}
};
