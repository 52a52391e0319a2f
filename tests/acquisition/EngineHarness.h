#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/AcquisitionEngine.h"
#include "instrument/PortMap.h"
#include "session/WorkSession.h"
#include "settings/CSettings.h"
#include "support/RecordBuilder.h"
#include "support/SettingsFixture.h"

namespace testing_support {

// An instrument that answers from a script: each exchange of a kind takes the next outcome
// of its list (an empty list answers well). Readings are recognisable by their seed.
class ScriptedInstrument final : public ExchangePerformer {
public:
    std::deque<bool> connects, batteries, readings;
    uint8_t serial = 7;
    uint32_t nextSeed = 1;
    std::vector<ExchangeRequest> seen;

    ExchangeResult Perform(const ExchangeRequest& request) override
    {
        seen.push_back(request);
        ExchangeResult result;
        result.id = request.id;
        result.kind = request.kind;
        switch (request.kind) {
        case ExchangeKind::Connect:
            result.ok = Next(connects);
            result.gpsOpened = result.ok && !request.gpsDevice.empty();
            if (!result.ok)
                result.failure = ExchangeFailure::PortNotOpened;
            break;
        case ExchangeKind::Battery:
            result.ok = Next(batteries);
            result.batteryVoltage = 1234;
            break;
        case ExchangeKind::Reading:
        case ExchangeKind::Series:
            result.ok = Next(readings);
            if (!result.ok) {
                result.failure = ExchangeFailure::LinkLost;
                break;
            }
            for (size_t k = 0; k < (request.kind == ExchangeKind::Series ? result.records.size() : 1); ++k)
                result.records[k] = SampleRecord(nextSeed++, serial);
            break;
        case ExchangeKind::Disconnect:
            result.ok = true;
            break;
        }
        return result;
    }

private:
    static bool Next(std::deque<bool>& outcomes)
    {
        if (outcomes.empty())
            return true;
        const bool ok = outcomes.front();
        outcomes.pop_front();
        return ok;
    }
};

// Holds each request until the test lets the instrument answer it; two outstanding at once
// fail the test.
class ManualExchanges final : public ExchangeQueue {
public:
    void Submit(const ExchangeRequest& request) override
    {
        if (!pending.empty())
            ADD_FAILURE() << "a second exchange was asked for while one was running";
        pending.push_back(request);
    }
    std::deque<ExchangeRequest> pending;
};

class HandTimer final : public SeriesTimer {
public:
    void Arm(uint32_t ms) override { armed = ms; }
    void Disarm() override { armed.reset(); }
    std::optional<uint32_t> armed;
};

// Every report in order, as a word each.
class EventLog final : public AcquisitionListener {
public:
    void StartAccepted() override { events.push_back("accepted"); }
    void SeriesStarted() override { events.push_back("series"); }
    void SeriesEnded(SeriesEnd why) override
    {
        ends.push_back(why);
        events.push_back("series-end");
    }
    void BatteryRead(std::optional<uint32_t> v) override { events.push_back(v ? "battery" : "battery-n/a"); }
    void ConnectionFailed(ExchangeFailure, int) override { events.push_back("no-connection"); }
    void ReadingStarting() override { events.push_back("reading"); }
    void ReadingStored(const StoredReading& s) override
    {
        stored.push_back(s);
        events.push_back("stored");
    }
    void ReadingFailed(ExchangeFailure) override { events.push_back("failed"); }
    void ProfileStart() override { events.push_back("profile-start"); }
    void EndOfWork() override { events.push_back("end-of-work"); }
    void Idle() override { events.push_back("idle"); }

    std::vector<std::string> events;
    std::vector<StoredReading> stored;
    std::vector<SeriesEnd> ends;
};

// An engine over the scripted instrument, a hand-fired timer and settings in a temporary
// directory: everything happens when the test says, on the test's thread.
class EngineTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        CSettings& s = Settings();
        s.workType = kWorkMap;
        s.xSize = 4;
        s.ySize = 3;
        s.timerModeOn = 0;
        s.timerCount = 0;
        s.timerDelayMs = 1000;
        ports.SetOverride(uint32_t(s.btInboundPort), "/dev/instrument");
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{s, exchanges, timer, ports, nullptr});
        engine->SetListener(&log);
    }
    void TearDown() override
    {
        engine.reset();
        SettingsTest::TearDown();
    }

    // A new work of the settings' type, journalled in the temporary directory.
    WorkSession& BeginWork()
    {
        auto work = std::make_unique<WorkSession>(Settings(), dir.File("journal"));
        work->Begin();
        WorkSession& ref = *work;
        EXPECT_TRUE(engine->SetWork(std::move(work)));
        return ref;
    }
    // The instrument answers the outstanding exchange; false when there is none.
    bool Answer()
    {
        if (exchanges.pending.empty())
            return false;
        const ExchangeRequest request = exchanges.pending.front();
        exchanges.pending.pop_front();
        engine->Deliver(instrument.Perform(request));
        return true;
    }
    void AnswerAll()
    {
        while (Answer()) {
        }
    }
    void Tick()
    {
        ASSERT_TRUE(timer.armed.has_value()) << "no tick is due";
        timer.armed.reset();
        engine->OnSeriesTick();
    }
    size_t Measured() const
    {
        size_t n = 0;
        if (engine->Work())
            for (const MeasurementRecord& r : engine->Work()->Data().Records())
                n += !r.Empty();
        return n;
    }
    std::optional<ExchangeKind> Outstanding() const
    {
        return exchanges.pending.empty() ? std::nullopt : std::optional(exchanges.pending.front().kind);
    }

    PortMap ports;
    ScriptedInstrument instrument;
    ManualExchanges exchanges;
    HandTimer timer;
    EventLog log;
    std::unique_ptr<AcquisitionEngine> engine;
};

} // namespace testing_support
