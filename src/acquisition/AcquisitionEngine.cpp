#include "acquisition/AcquisitionEngine.h"

#include "instrument/BluetoothRadio.h"
#include "instrument/GpsReaderControl.h"
#include "instrument/InstrumentFrames.h"
#include "instrument/PortMap.h"
#include "session/WorkSession.h"
#include "settings/CSettings.h"
#include "survey/SurveyDataSet.h"

AcquisitionEngine::AcquisitionEngine(AcquisitionParts parts) : parts_(parts) {}

AcquisitionEngine::~AcquisitionEngine()
{
    parts_.timer.Disarm();
}

void AcquisitionEngine::Raise(std::function<void(AcquisitionListener&)> event)
{
    events_.push_back(std::move(event));
}

void AcquisitionEngine::RaisePending()
{
    if (raising_)
        return;
    raising_ = true;
    while (!events_.empty()) {
        const auto event = std::move(events_.front());
        events_.pop_front();
        event(listener_ ? *listener_ : silent_);
    }
    raising_ = false;
}

Situation AcquisitionEngine::Now() const
{
    if (closing_)
        return Situation::Closing;
    if (series_.running)
        return running_ != Step::None ? Situation::SeriesExchanging : Situation::SeriesWaiting;
    if (running_ != Step::None)
        return Situation::Exchanging;
    if (notDrawn_)
        return Situation::NotDrawn;
    return Situation::Idle;
}

bool AcquisitionEngine::TrackWork() const
{
    return work_ && work_->Track() != nullptr;
}

bool AcquisitionEngine::GpsWanted() const
{
    return TrackWork() && parts_.gps != nullptr;
}

bool AcquisitionEngine::GpsConnected() const
{
    // A reader that ended by itself (the receiver went away) is no connection any more.
    return gpsConnected_ && parts_.gps != nullptr && parts_.gps->reader.Running();
}

bool AcquisitionEngine::SetWork(std::unique_ptr<WorkSession> work)
{
    if (running_ != Step::None)
        return false;
    EndSeries(SeriesEnd::Operator);
    work_ = std::move(work);
    notDrawn_ = false;
    // Survey work reads no GPS: its reader and port go. Track work wants its fix at once.
    if (GpsWanted())
        ConnectGps();
    else
        StopGpsReader();
    RaisePending();
    return true;
}

std::unique_ptr<WorkSession> AcquisitionEngine::TakeWork()
{
    if (running_ != Step::None)
        return nullptr;
    EndSeries(SeriesEnd::Operator);
    notDrawn_ = false;
    StopGpsReader();
    RaisePending();
    return std::move(work_);
}

bool AcquisitionEngine::Start()
{
    switch (RuleNow(Input::Start)) {
    case Rule::EndSeries:
        EndSeries(SeriesEnd::Operator);
        RaisePending();
        return true;
    case Rule::Take:
        break;
    default:
        return false;
    }
    if (!work_)
        return false;
    Raise([](AcquisitionListener& l) { l.StartAccepted(); });
    if (parts_.settings.timerModeOn != 0) {
        StartSeries();
        if (series_.running)
            BeginReading(true, true);
    } else {
        BeginReading(false, true);
    }
    RaisePending();
    return true;
}

void AcquisitionEngine::StartSeries()
{
    const int32_t delay = parts_.settings.timerDelayMs;
    if (delay < 0) {
        Raise([](AcquisitionListener& l) { l.SeriesEnded(SeriesEnd::TimerNotSet); });
        return;
    }
    series_ = Series{true, false, uint32_t(delay), 0};
    parts_.timer.Arm(series_.delayMs);
    Raise([](AcquisitionListener& l) { l.SeriesStarted(); });
}

void AcquisitionEngine::EndSeries(SeriesEnd why)
{
    if (!series_.running)
        return;
    series_ = Series{};
    parts_.timer.Disarm();
    // A reading not yet asked for is not taken any more; one asked for is stored.
    if (running_ == Step::Connect || running_ == Step::Battery)
        cancelled_ = true;
    Raise([why](AcquisitionListener& l) { l.SeriesEnded(why); });
}

void AcquisitionEngine::OnSeriesTick()
{
    switch (RuleNow(Input::SeriesTick)) {
    case Rule::Take:
        SeriesStep();
        break;
    case Rule::Coalesce:
        series_.tickDue = true;
        break;
    default:
        break;
    }
    RaisePending();
}

void AcquisitionEngine::SeriesStep()
{
    series_.tickDue = false;
    const CSettings& settings = parts_.settings;
    if (settings.timerModeOn == 0) {
        EndSeries(SeriesEnd::TimerModeCleared);
        return;
    }
    if (settings.timerDelayMs < 0) {
        EndSeries(SeriesEnd::TimerNotSet);
        return;
    }
    // A changed delay counts from this tick on; the readings counted so far stay.
    series_.delayMs = uint32_t(settings.timerDelayMs);
    parts_.timer.Arm(series_.delayMs);
    BeginReading(true, false);
}

bool AcquisitionEngine::Quiesce()
{
    EndSeries(SeriesEnd::Operator);
    RaisePending();
    return running_ == Step::None;
}

bool AcquisitionEngine::Close()
{
    EndSeries(SeriesEnd::Operator);
    closing_ = true;
    // Ending: a reading not yet asked for is not asked for.
    if (running_ == Step::Connect || running_ == Step::Battery)
        cancelled_ = true;
    RaisePending();
    return running_ == Step::None;
}

void AcquisitionEngine::Disconnect()
{
    if (running_ != Step::None || !(connected_ || gpsConnected_))
        return;
    connected_ = false;
    StopGpsReader();
    Submit(Step::Disconnect, ExchangeKind::Disconnect, true, true);
}

void AcquisitionEngine::ConnectGps()
{
    // A reader still running would read the port while it reopens.
    StopGpsReader();
    if (parts_.gps->radio)
        parts_.gps->radio->AskForGpsDevice();
    Submit(Step::ConnectGps, ExchangeKind::Connect, false, true);
}

void AcquisitionEngine::ApplyPosition(const PositionMessage& message)
{
    if (work_)
        work_->ApplyPosition(message);
}

void AcquisitionEngine::BeginReading(bool fromSeries, bool readBattery)
{
    readingFromSeries_ = fromSeries;
    batteryFirst_ = readBattery;
    cancelled_ = false;
    startIndex_ = work_->Data().CurrentIndex();
    const bool gps = GpsWanted() && !GpsConnected();
    if (!connected_ || gps) {
        if (gps) {
            // A reader still running would read the port while it reopens.
            StopGpsReader();
            if (parts_.gps->radio)
                parts_.gps->radio->AskForGpsDevice();
        }
        Submit(Step::Connect, ExchangeKind::Connect, !connected_, gps);
    } else if (readBattery) {
        Submit(Step::Battery, ExchangeKind::Battery);
    } else {
        SubmitReading();
    }
}

void AcquisitionEngine::Submit(Step step, ExchangeKind kind, bool instrument, bool gps)
{
    const CSettings& settings = parts_.settings;
    ExchangeRequest request;
    request.id = nextId_++;
    request.kind = kind;
    if (kind == ExchangeKind::Connect) {
        if (instrument)
            request.instrumentDevice = instrumentDevice_ =
                parts_.ports.Resolve(PortMap::PortName(unsigned(settings.btInboundPort)));
        if (gps) {
            request.gpsDevice = gpsDevice_ = parts_.ports.Resolve(PortMap::PortName(unsigned(settings.btOutboundPort)));
            request.gpsBaud = uint32_t(settings.GpsBaudRate());
        }
    }
    request.closeGps = gps;
    request.frequencyMask = frames::FrequencyMask(settings.usedFrequencies);
    running_ = step;
    runningId_ = request.id;
    parts_.exchanges.Submit(request);
}

void AcquisitionEngine::SubmitReading()
{
    Submit(Step::Reading, parts_.settings.tracerModeOn != 0 ? ExchangeKind::Series : ExchangeKind::Reading);
    Raise([](AcquisitionListener& l) { l.ReadingStarting(); });
}

void AcquisitionEngine::Deliver(const ExchangeResult& result)
{
    if (running_ == Step::None || result.id != runningId_)
        return;
    const Step step = running_;
    running_ = Step::None;
    switch (step) {
    case Step::ConnectGps:
        AfterConnectGps(result);
        break;
    case Step::Connect:
        AfterConnect(result);
        break;
    case Step::Battery: {
        const std::optional<uint32_t> voltage =
            result.ok ? std::optional<uint32_t>(result.batteryVoltage) : std::nullopt;
        Raise([voltage](AcquisitionListener& l) { l.BatteryRead(voltage); });
        if (cancelled_ || !work_)
            Finish();
        else
            SubmitReading();
        break;
    }
    case Step::Reading:
        AfterReading(result);
        break;
    case Step::Disconnect:
        Finish();
        break;
    case Step::None:
        break;
    }
    RaisePending();
}

void AcquisitionEngine::GpsOpened(const ExchangeResult& result)
{
    if (parts_.gps && parts_.gps->radio)
        parts_.gps->radio->GpsDeviceChosen();
    if (!result.gpsOpened || !parts_.gps)
        return;
    gpsConnected_ = true;
    // The reader starts on the owner thread; one that cannot start has told the operator.
    parts_.gps->reader.Start(parts_.gps->port);
}

void AcquisitionEngine::AfterConnectGps(const ExchangeResult& result)
{
    GpsOpened(result);
    if (!result.ok) {
        const int error = result.error;
        Raise([error](AcquisitionListener& l) { l.GpsConnectionFailed(error); });
    }
    Finish();
}

void AcquisitionEngine::AfterConnect(const ExchangeResult& result)
{
    GpsOpened(result);
    if (!result.ok) {
        // Whatever this request opened was closed again; what was open before stays.
        const ExchangeFailure failure = result.failure;
        const int error = result.error;
        Raise([failure, error](AcquisitionListener& l) { l.ConnectionFailed(failure, error); });
        EndSeries(SeriesEnd::Failed);
        Finish();
        return;
    }
    connected_ = true;
    if (cancelled_ || !work_)
        Finish();
    else if (batteryFirst_)
        Submit(Step::Battery, ExchangeKind::Battery);
    else
        SubmitReading();
}

void AcquisitionEngine::AfterReading(const ExchangeResult& result)
{
    if (!result.ok || !work_) {
        Fail(result.failure);
        return;
    }
    const size_t count = result.kind == ExchangeKind::Series ? result.records.size() : 1;
    // A reply from another instrument installs its calibration, here on the owner thread.
    if (!result.records[0].Empty())
        parts_.settings.AdoptReportedSerial(result.records[0].bytes[175]);
    StoredReading stored;
    stored.startIndex = startIndex_;
    stored.fromSeries = readingFromSeries_;
    stored.store = work_->Store(std::span<const MeasurementRecord>(result.records.data(), count));
    if (stored.store.outcome == MeasureOutcome::Failed) {
        Fail(ExchangeFailure::None);
        return;
    }
    Raise([stored](AcquisitionListener& l) { l.ReadingStored(stored); });

    const bool endOfWork = stored.store.full;
    const SurveyDataSet* survey = work_->Survey();
    const bool profileStart = !endOfWork && survey != nullptr && survey->IsProfileStart();
    if (series_.running && readingFromSeries_) {
        ++series_.readings;
        if (endOfWork)
            EndSeries(SeriesEnd::EndOfWork);
        else if (series_.readings == uint32_t(parts_.settings.timerCount))
            EndSeries(SeriesEnd::CountReached);
    } else if (endOfWork) {
        EndSeries(SeriesEnd::EndOfWork);
    }
    if (endOfWork)
        Raise([](AcquisitionListener& l) { l.EndOfWork(); });
    else if (profileStart)
        Raise([](AcquisitionListener& l) { l.ProfileStart(); });
    Finish();
}

void AcquisitionEngine::Fail(ExchangeFailure failure)
{
    EndSeries(SeriesEnd::Failed);
    connected_ = false;
    // The next Start connects again; the receiver, a port of its own, goes on.
    Submit(Step::Disconnect, ExchangeKind::Disconnect);
    Raise([failure](AcquisitionListener& l) { l.ReadingFailed(failure); });
}

void AcquisitionEngine::StopGpsReader()
{
    if (parts_.gps)
        parts_.gps->reader.Stop();
    gpsConnected_ = false;
}

void AcquisitionEngine::Finish()
{
    cancelled_ = false;
    if (!closing_ && series_.running && series_.tickDue && work_) {
        SeriesStep();
        return;
    }
    if (running_ == Step::None)
        Raise([](AcquisitionListener& l) { l.Idle(); });
}
