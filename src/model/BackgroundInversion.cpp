#include "model/BackgroundInversion.h"

bool InversionSetup::SameAs(const InversionSetup& other) const
{
    const CalibrationSet &a = calibration, &b = other.calibration;
    return a.SameAs(b) && a.rt == b.rt && a.nt == b.nt && a.r1 == b.r1 && a.r2 == b.r2 && used == other.used &&
           options.layers == other.options.layers && options.noise.relative == other.options.noise.relative &&
           options.noise.floorUnits == other.options.noise.floorUnits && options.height == other.options.height &&
           options.referenceWeight == other.options.referenceWeight &&
           options.maxIterations == other.options.maxIterations;
}

BackgroundInversion::BackgroundInversion(InversionResultSink& sink) : worker_(sink) {}

void BackgroundInversion::Begin(const InversionSetup& setup)
{
    Forget();
    setup_ = setup;
    setup_->options.reference.reset();
    calibration_ = std::make_shared<const CalibrationSet>(setup.calibration);
}

bool BackgroundInversion::Follow(const InversionSetup& setup)
{
    if (setup_ && setup_->SameAs(setup))
        return false;
    Begin(setup);
    return true;
}

void BackgroundInversion::Forget()
{
    ++work_;
    worker_.DropWorksBefore(work_);
    setup_.reset();
    calibration_.reset();
    entries_.clear();
    asked_ = done_ = 0;
}

BackgroundInversion::Entry& BackgroundInversion::At(size_t slot)
{
    if (slot >= entries_.size())
        entries_.resize(slot + 1);
    return entries_[slot];
}

InversionState BackgroundInversion::State(size_t slot) const
{
    return slot < entries_.size() ? entries_[slot].state : InversionState::NotAsked;
}

const InversionResult* BackgroundInversion::Result(size_t slot) const
{
    return State(slot) == InversionState::Done ? &entries_[slot].result : nullptr;
}

InversionStation BackgroundInversion::Station(const std::vector<MeasurementRecord>& records, size_t slot)
{
    if (asked_ == done_)
        asked_ = done_ = 0; // the worker had finished: counting starts again
    Entry& entry = At(slot);
    // A station asked again while it runs is still one station to wait for.
    if (entry.state != InversionState::Running)
        ++asked_;
    entry.state = InversionState::Running;
    entry.ask = ++lastAsk_;
    InversionStation station;
    station.slot = slot;
    station.ask = entry.ask;
    station.input.refusal =
        StationDataFromRecord(calibration_.get(), records[slot], setup_->used, station.input.data);
    return station;
}

InversionRun BackgroundInversion::NewRun(std::optional<size_t> previous) const
{
    InversionRun run;
    run.work = work_;
    run.calibration = calibration_;
    run.options = setup_->options;
    if (previous) {
        const InversionResult* before = Result(*previous);
        if (before && before->refusal == StationRefusal::None)
            run.options.reference = before->model;
    }
    return run;
}

void BackgroundInversion::Submit(InversionRun run, bool urgent)
{
    if (!run.stations.empty())
        worker_.Submit(std::move(run), urgent);
}

void BackgroundInversion::AskAlong(const std::vector<MeasurementRecord>& records, std::span<const size_t> line)
{
    if (!setup_)
        return;
    std::optional<size_t> previous;
    std::optional<InversionRun> run;
    for (size_t slot : line) {
        const bool wanted = slot < records.size() && !records[slot].Empty() && State(slot) == InversionState::NotAsked;
        // A run is of neighbours only: a station left out ends it.
        if (run && (!wanted || run->stations.size() == kRunLength)) {
            Submit(std::move(*run), false);
            run.reset();
        }
        if (wanted) {
            if (!run)
                run = NewRun(previous);
            run->stations.push_back(Station(records, slot));
        }
        previous = slot;
    }
    if (run)
        Submit(std::move(*run), false);
}

void BackgroundInversion::Renew(const std::vector<MeasurementRecord>& records, size_t slot,
                                std::optional<size_t> previous)
{
    if (!setup_ || slot >= records.size())
        return;
    InversionRun run = NewRun(previous);
    run.stations.push_back(Station(records, slot));
    Submit(std::move(run), true);
}

bool BackgroundInversion::Deliver(const StationInverted& done)
{
    if (!setup_ || done.work != work_ || done.slot >= entries_.size())
        return false;
    Entry& entry = entries_[done.slot];
    if (entry.state != InversionState::Running || entry.ask != done.ask)
        return false;
    entry.state = InversionState::Done;
    entry.result = done.result;
    ++done_;
    return true;
}
