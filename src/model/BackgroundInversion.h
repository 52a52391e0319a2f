#pragma once
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/InversionWorker.h"

// Everything a station's result depends on besides its record.
struct InversionSetup {
    CalibrationSet calibration;
    FrequencyMask used{};
    InversionOptions options; // without a reference: neighbours give those

    bool SameAs(const InversionSetup& other) const;
};

enum class InversionState { NotAsked, Running, Done };

// The stations of one work inverted on worker threads in the background, their results kept
// by slot (the record index). A new work (another data set, another setup) forgets every
// result and drops what the worker still holds of the old one; results of an old work, or of
// an earlier request of a station asked again, are dropped when they arrive. Owner thread
// only: the worker's results come back through Deliver.
class BackgroundInversion {
public:
    // Stations along a line go to the worker in runs of this many: neighbours drawn towards
    // each other, and a new work never waits long for the thread.
    static constexpr size_t kRunLength = 16;

    explicit BackgroundInversion(InversionResultSink& sink);
    // Starts the worker's threads (0: one per core); false, with the reason, when none could
    // be started (every station then comes back refused).
    bool Start(unsigned threads, std::string& error) { return worker_.Start(threads, error); }

    // A new work with this setup; every earlier result is forgotten.
    void Begin(const InversionSetup& setup);
    // Begins a new work when the setup differs from the current one or there is none; true
    // when it did.
    bool Follow(const InversionSetup& setup);
    // No work: every result forgotten, nothing more inverted.
    void Forget();
    bool HasWork() const { return setup_.has_value(); }

    // Inverts the measured records of `line` (slots in their order along a profile or a
    // track) not asked for yet; neighbours go together, each drawn towards the one before it.
    void AskAlong(const std::vector<MeasurementRecord>& records, std::span<const size_t> line);
    // The record at `slot` changed (a new reading): it is inverted again, before everything
    // queued, drawn towards the result at `previous` when there is one.
    void Renew(const std::vector<MeasurementRecord>& records, size_t slot, std::optional<size_t> previous);
    // A result from the worker; false when it was dropped as stale.
    bool Deliver(const StationInverted& done);

    InversionState State(size_t slot) const;
    // The result (a refusal among them) once the station is done, else null; valid until the
    // next call that is not const.
    const InversionResult* Result(size_t slot) const;
    // Stations asked for since the worker last finished everything of this work, and how many
    // of them are done.
    size_t Asked() const { return asked_; }
    size_t Done() const { return done_; }
    uint64_t Work() const { return work_; }

private:
    struct Entry {
        InversionState state = InversionState::NotAsked;
        uint64_t ask = 0;
        InversionResult result;
    };
    Entry& At(size_t slot);
    InversionStation Station(const std::vector<MeasurementRecord>& records, size_t slot);
    InversionRun NewRun(std::optional<size_t> previous) const;
    void Submit(InversionRun run, bool urgent);

    std::optional<InversionSetup> setup_;
    std::shared_ptr<const CalibrationSet> calibration_;
    uint64_t work_ = 0;
    uint64_t lastAsk_ = 0;
    std::vector<Entry> entries_;
    size_t asked_ = 0;
    size_t done_ = 0;
    InversionWorker worker_; // last: its threads end first
};
