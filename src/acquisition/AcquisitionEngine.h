#pragma once
#include <string>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "acquisition/AcquisitionListener.h"
#include "acquisition/Exchange.h"
#include "acquisition/InputRules.h"
#include "acquisition/SeriesTimer.h"
#include "gps/MessagePoster.h"

class BluetoothRadio;
class CSerialPort;
class CSettings;
class GpsReaderControl;
class PortMap;
class WorkSession;

// The GPS side of track work as the engine drives it: the receiver is connected when track
// work begins (so its fix can be checked before the first reading) and again at a Start
// when its reader has ended; the reader is stopped before the port is opened again and
// started on it after; the radio's tray asks for the device while the port opens. All
// owner-thread objects; the port is opened by the worker.
struct GpsSide {
    GpsReaderControl& reader;
    CSerialPort& port;
    BluetoothRadio* radio = nullptr;
};

struct AcquisitionParts {
    CSettings& settings;     // the owner thread's; the worker never sees it
    ExchangeQueue& exchanges;
    SeriesTimer& timer;
    const PortMap& ports;
    GpsSide* gps = nullptr;  // null: the GPS port is someone else's (lurctl)
};

// Everything between "the operator pressed Start" and "the reading is stored, journalled
// and shown": the work being measured, the connection, the timed series and the rules for
// what may happen while a reading runs. Exchanges go to the one instrument worker and come
// back through Deliver; the engine never blocks and never runs an event loop. Owner thread
// only (the window's UI thread, or lurctl's main thread).
class AcquisitionEngine {
public:
    explicit AcquisitionEngine(AcquisitionParts parts);
    ~AcquisitionEngine();
    AcquisitionEngine(const AcquisitionEngine&) = delete;
    AcquisitionEngine& operator=(const AcquisitionEngine&) = delete;

    void SetListener(AcquisitionListener* listener) { listener_ = listener; }

    // The work readings go into. It can be replaced or taken only while no exchange runs
    // (false / null otherwise); either ends any series. Track work connects the receiver.
    bool SetWork(std::unique_ptr<WorkSession> work);
    std::unique_ptr<WorkSession> TakeWork();
    WorkSession* Work() const { return work_.get(); }

    Situation Now() const;
    Rule RuleNow(Input input) const { return RuleFor(input, Now()); }
    bool ExchangeRunning() const { return running_ != Step::None; }
    bool SeriesRunning() const { return series_.running; }
    bool Connected() const { return connected_; }
    bool GpsConnected() const;
    // The devices the last connection went to (or tried), for what the operator is told.
    const std::string& InstrumentDevice() const { return instrumentDevice_; }
    const std::string& GpsDevice() const { return gpsDevice_; }

    // The Start action; false when the rules refused it.
    bool Start();
    // A series timer tick.
    void OnSeriesTick();
    // Ends any series; true when no exchange runs, so a command may go on now. Otherwise
    // Idle is reported once the running reading has been stored.
    bool Quiesce();
    // The program is ending: like Quiesce, and nothing new starts from now on.
    bool Close();
    // The window has a repaint pending (a reading, a move) that the operator has not seen
    // yet: Start and the keys wait for it. lurctl never has one.
    void SetDrawPending(bool pending) { notDrawn_ = pending; }
    // The ports' settings changed: both ports close, the next Start connects anew.
    void Disconnect();
    // A GPS message for the work (any time).
    void ApplyPosition(const PositionMessage& message);
    // The result of the exchange asked for, on the owner thread.
    void Deliver(const ExchangeResult& result);

private:
    enum class Step : uint8_t { None, ConnectGps, Connect, Battery, Reading, Disconnect };

    struct Series {
        bool running = false;
        bool tickDue = false;
        uint32_t delayMs = 0;
        uint32_t readings = 0;
    };

    void StartSeries();
    void EndSeries(SeriesEnd why);
    void SeriesStep();
    void BeginReading(bool fromSeries, bool readBattery);
    void Submit(Step step, ExchangeKind kind, bool instrument = true, bool gps = false);
    void SubmitReading();
    void ConnectGps();
    bool GpsWanted() const;
    void AfterConnect(const ExchangeResult& result);
    void AfterConnectGps(const ExchangeResult& result);
    void GpsOpened(const ExchangeResult& result);
    void AfterReading(const ExchangeResult& result);
    void Fail(ExchangeFailure failure);
    void StopGpsReader();
    void Finish();
    bool TrackWork() const;
    // Events are handed out in order and never re-entered: one raised while a handler runs
    // (a modal dialog's loop) waits until that handler has returned.
    void Raise(std::function<void(AcquisitionListener&)> event);
    void RaisePending();

    AcquisitionParts parts_;
    AcquisitionListener* listener_ = nullptr;
    AcquisitionListener silent_;
    std::deque<std::function<void(AcquisitionListener&)>> events_;
    bool raising_ = false;
    std::unique_ptr<WorkSession> work_;
    Series series_;
    Step running_ = Step::None;
    uint64_t nextId_ = 1;
    std::string instrumentDevice_;
    std::string gpsDevice_;
    uint64_t runningId_ = 0;
    bool readingFromSeries_ = false;
    bool batteryFirst_ = false;
    bool cancelled_ = false; // the reading not yet asked for will not be
    bool connected_ = false;
    bool gpsConnected_ = false;
    bool closing_ = false;
    bool notDrawn_ = false;
    uint32_t startIndex_ = 0;
};
