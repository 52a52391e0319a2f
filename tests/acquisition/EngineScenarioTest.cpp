// The acquisition engine against the faults of the measurement cycle it replaced, one
// scenario each, on a scripted instrument and a hand-fired timer; then its input table, rule
// by rule.
#include <functional>

#include "acquisition/EngineHarness.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

using testing_support::EngineTest;
using testing_support::SampleRecord;

namespace {

using Words = std::vector<std::string>;

class EngineScenario : public EngineTest {
protected:
    // Start as the operator presses it; with no series the first reading needs a connect, a
    // battery read and the reading itself.
    void TakeOne()
    {
        ASSERT_TRUE(engine->Start());
        AnswerAll();
    }
    void StartSeries(int32_t count)
    {
        Settings().timerModeOn = 1;
        Settings().timerCount = count;
        ASSERT_TRUE(engine->Start());
    }
};

// A series running when the work is left: the running reading goes into the work it was
// taken for, nothing is measured under the question, and no tick reaches the next work.
TEST_F(EngineScenario, ASeriesEndsWithItsWork)
{
    WorkSession& first = BeginWork();
    StartSeries(0);
    AnswerAll();  // connected, battery, first reading
    Tick();       // the second reading runs...
    EXPECT_FALSE(engine->Quiesce()); // ...when "Создать" is chosen: the command waits
    EXPECT_FALSE(engine->SeriesRunning());
    EXPECT_FALSE(timer.armed.has_value());
    EXPECT_EQ(nullptr, engine->TakeWork()); // the work cannot go while its reading runs
    ASSERT_TRUE(Answer());
    EXPECT_EQ(2u, Measured());
    EXPECT_EQ(&first, engine->Work());
    EXPECT_EQ("idle", log.events.back());
    engine->TakeWork();
    BeginWork();
    engine->OnSeriesTick(); // a tick that was already on its way
    EXPECT_FALSE(Outstanding().has_value());
    EXPECT_EQ(0u, Measured());
}

// One exchange at a time: a tick during a reading waits for it, and a Stop meanwhile
// leaves nothing to take afterwards, battery read included.
TEST_F(EngineScenario, NeverTwoExchangesAndNothingAfterStop)
{
    BeginWork();
    StartSeries(0);
    AnswerAll();
    Tick();
    engine->OnSeriesTick(); // due during the reading: kept as one
    engine->OnSeriesTick();
    ASSERT_TRUE(Answer());  // the kept tick starts the next reading at once
    EXPECT_EQ(ExchangeKind::Reading, Outstanding());
    EXPECT_TRUE(engine->Start()); // Stop: honoured at once, the reading finishes
    EXPECT_FALSE(engine->SeriesRunning());
    engine->OnSeriesTick();
    ASSERT_TRUE(Answer());
    EXPECT_FALSE(Outstanding().has_value());
    EXPECT_EQ(3u, Measured());
}

// Start pressed again while a reading runs is refused, not kept for later: one reading, at
// the station shown when it was pressed.
TEST_F(EngineScenario, ASecondStartDuringAReadingIsRefused)
{
    BeginWork();
    ASSERT_TRUE(engine->Start());
    for (int press = 0; press < 3; ++press) {
        EXPECT_FALSE(engine->Start());
        Answer();
    }
    AnswerAll();
    EXPECT_EQ(1u, Measured());
    ASSERT_EQ(1u, log.stored.size());
    EXPECT_EQ(0u, log.stored[0].startIndex);
    EXPECT_EQ(1u, engine->Work()->Data().CurrentIndex());
}

// The worker is told everything it needs; the reply's serial number installs its
// calibration on the owner thread, once the reply is there.
TEST_F(EngineScenario, TheWorkerReadsNoSettingAndTheOwnerAdoptsTheSerial)
{
    BeginWork();
    Settings().usedFrequencies.fill(0);
    Settings().usedFrequencies[0] = Settings().usedFrequencies[13] = 1;
    Settings().calibrationKey = {3, 2010, 6, 15};
    instrument.serial = 9;
    ASSERT_TRUE(engine->Start());
    EXPECT_EQ("/dev/instrument", exchanges.pending.front().instrumentDevice);
    Answer();
    Answer();
    EXPECT_EQ(0x2001, exchanges.pending.front().frequencyMask);
    EXPECT_EQ(0, Settings().reportedSerial); // not before the reply arrives
    Answer();
    EXPECT_EQ(9, Settings().reportedSerial);
    EXPECT_EQ(9, Settings().calibrationKey.serial);
    const CalibrationKey adopted = Settings().calibrationKey;
    instrument.serial = 0; // series records carry none
    TakeOne();
    EXPECT_EQ(adopted, Settings().calibrationKey);
    instrument.serial = 12; // another instrument, without a set of its own: the store chooses
    TakeOne();
    EXPECT_EQ(12, Settings().reportedSerial);
}

// Ending the program with a series shorter than its exchanges, counting forever: the
// series ends at once, the running reading is stored, and nothing else starts.
TEST_F(EngineScenario, ClosingNeverWaitsOnTheSeries)
{
    BeginWork();
    Settings().timerDelayMs = 10;
    StartSeries(0);
    AnswerAll();
    Tick();
    engine->OnSeriesTick();
    EXPECT_FALSE(engine->Close());
    engine->OnSeriesTick();
    EXPECT_FALSE(engine->Start());
    ASSERT_TRUE(Answer());
    EXPECT_FALSE(Outstanding().has_value());
    EXPECT_EQ(Situation::Closing, engine->Now());
    EXPECT_EQ(2u, Measured());
    // Ended before the reading was asked for: it is not asked for.
    engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{Settings(), exchanges, timer, ports, nullptr});
    BeginWork();
    ASSERT_TRUE(engine->Start());
    EXPECT_TRUE(engine->ExchangeRunning());
    engine->Close();
    AnswerAll();
    EXPECT_EQ(0u, Measured());
}

// An opened session goes on where nothing was measured yet: a survey at its first empty
// station in walking order, a track after its last reading.
TEST_F(EngineScenario, AnOpenedSessionGoesOnWhereNothingWasMeasured)
{
    Settings().xSize = 3;
    Settings().ySize = 2;
    auto survey = std::make_unique<SurveyDataSet>(Settings());
    for (uint32_t index : {0u, 1u, 2u, 4u})
        survey->StoreRecord(index, SampleRecord(100 + index));
    engine->SetWork(std::make_unique<WorkSession>(Settings(), std::move(survey), dir.File("journal"),
                                                  WorkOrigin::Opened));
    TakeOne();
    EXPECT_EQ(SampleRecord(1).bytes, engine->Work()->Data().Record(3).bytes);
    EXPECT_EQ(SampleRecord(104).bytes, engine->Work()->Data().Record(4).bytes); // untouched

    Settings().workType = kWorkGpsTrack;
    auto track = std::make_unique<TrackDataSet>(Settings());
    const MeasurementRecord saved[] = {SampleRecord(200), SampleRecord(201)};
    track->StoreReadings(saved);
    track->ResetPosition();
    engine->TakeWork();
    engine->SetWork(std::make_unique<WorkSession>(Settings(), std::move(track), dir.File("journal"),
                                                  WorkOrigin::Opened));
    TakeOne();
    ASSERT_EQ(3u, engine->Work()->Data().RecordCount());
    EXPECT_EQ(SampleRecord(200).bytes, engine->Work()->Data().Record(0).bytes);
}

// Start shows at once: the report comes with the press, before any exchange has answered.
TEST_F(EngineScenario, StartIsReportedBeforeAnyExchange)
{
    BeginWork();
    ASSERT_TRUE(engine->Start());
    EXPECT_EQ(Words{"accepted"}, log.events);
    EXPECT_EQ(ExchangeKind::Connect, Outstanding());
}

// Stop costs no exchange, and a tick that fell due during the last reading is gone with the
// series: the next single reading is one reading.
TEST_F(EngineScenario, StopIsImmediateAndLeavesNoDueTick)
{
    BeginWork();
    StartSeries(0);
    AnswerAll();
    Tick();
    engine->OnSeriesTick(); // due during the reading
    EXPECT_TRUE(engine->Start());
    EXPECT_EQ(ExchangeKind::Reading, Outstanding()); // no battery read for Stop
    Answer();
    EXPECT_FALSE(Outstanding().has_value());
    Settings().timerModeOn = 0;
    TakeOne();
    EXPECT_EQ(3u, Measured());
    EXPECT_FALSE(engine->SeriesRunning());
    // Unticked during a series: Start still stops it, the next tick ends it with a beep.
    Settings().timerModeOn = 1;
    ASSERT_TRUE(engine->Start());
    AnswerAll();
    Settings().timerModeOn = 0;
    Tick();
    EXPECT_EQ(SeriesEnd::TimerModeCleared, log.ends.back());
    EXPECT_EQ(4u, Measured());
}

// A series of fourteen near the end of a grid stores what fits and says how many did not;
// the last station is not written again.
TEST_F(EngineScenario, SeriesRecordsPastTheGridAreLeftOutAndCounted)
{
    Settings().xSize = 3;
    Settings().ySize = 2;
    Settings().tracerModeOn = 1;
    BeginWork();
    TakeOne();
    ASSERT_EQ(1u, log.stored.size());
    EXPECT_EQ(6u, log.stored[0].store.stored);
    EXPECT_EQ(8u, log.stored[0].store.leftOut);
    EXPECT_EQ(SampleRecord(6).bytes, engine->Work()->Data().Record(5).bytes);
    EXPECT_EQ("end-of-work", log.events[log.events.size() - 2]);
}

// Failures: a connection that fails ends the series; a reading that fails stores nothing,
// disconnects, and the next Start connects again. Without a worker thread every exchange
// fails at once, through the same reports.
TEST_F(EngineScenario, FailuresEndTheSeriesAndDisconnect)
{
    BeginWork();
    instrument.connects = {false};
    StartSeries(0);
    AnswerAll();
    EXPECT_FALSE(engine->SeriesRunning());
    EXPECT_EQ(SeriesEnd::Failed, log.ends.back());
    Settings().timerModeOn = 0;
    TakeOne();
    instrument.readings = {false};
    ASSERT_TRUE(engine->Start());
    Answer(); // battery
    Answer(); // the failing reading
    EXPECT_EQ(ExchangeKind::Disconnect, Outstanding());
    AnswerAll();
    EXPECT_FALSE(engine->Connected());
    TakeOne();
    EXPECT_EQ(2u, Measured());
    EXPECT_EQ(ExchangeKind::Connect, instrument.seen[instrument.seen.size() - 3].kind);
}

// Which reports a reading brings: the profile start in walking order, the end of the work
// at its last station (without the beeps).
TEST_F(EngineScenario, ProfileStartsAndTheEndOfTheWork)
{
    Settings().xSize = 2;
    Settings().ySize = 2;
    BeginWork();
    Words seen;
    for (int k = 0; k < 4; ++k) {
        log.events.clear();
        TakeOne();
        for (const char* word : {"profile-start", "end-of-work"})
            if (std::find(log.events.begin(), log.events.end(), word) != log.events.end())
                seen.push_back(std::to_string(k) + word);
    }
    EXPECT_EQ((Words{"1profile-start", "3end-of-work"}), seen);
}

// New work ends a waiting series at once, and says so; a change of ports closes both and the
// next Start connects anew.
TEST_F(EngineScenario, NewWorkEndsTheSeriesAndPortChangesDisconnect)
{
    BeginWork();
    StartSeries(0);
    AnswerAll();
    log.events.clear();
    BeginWork();
    EXPECT_EQ(Words{"series-end"}, log.events);
    EXPECT_FALSE(timer.armed.has_value());

    ASSERT_TRUE(engine->Connected());
    engine->Disconnect();
    ASSERT_EQ(ExchangeKind::Disconnect, Outstanding());
    EXPECT_TRUE(exchanges.pending.front().closeGps);
    EXPECT_FALSE(engine->Connected());
    AnswerAll();
    Settings().timerModeOn = 0;
    ASSERT_TRUE(engine->Start());
    EXPECT_EQ(ExchangeKind::Connect, Outstanding());
}

// The input table is what the engine does: each engine input, in each situation, changes
// exactly what its rule says.
TEST_F(EngineTest, TheInputTableIsWhatHappens)
{
    const auto into = [this](Situation situation) {
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{Settings(), exchanges, timer, ports, nullptr});
        engine->SetListener(&log);
        exchanges.pending.clear();
        timer.armed.reset();
        BeginWork();
        Settings().timerModeOn = 0;
        switch (situation) {
        case Situation::Idle:
            break;
        case Situation::NotDrawn:
            engine->SetDrawPending(true);
            break;
        case Situation::Exchanging:
            engine->Start();
            break;
        case Situation::SeriesWaiting:
        case Situation::SeriesExchanging:
            Settings().timerModeOn = 1;
            engine->Start();
            AnswerAll();
            if (situation == Situation::SeriesExchanging)
                engine->OnSeriesTick();
            break;
        case Situation::Closing:
            engine->Close();
            break;
        }
        ASSERT_EQ(situation, engine->Now());
        log.events.clear();
    };
    struct Observed {
        bool series, exchange;
        size_t pending, events;
    };
    const auto observe = [this] {
        return Observed{engine->SeriesRunning(), engine->ExchangeRunning(), exchanges.pending.size(), log.events.size()};
    };
    for (int s = 0; s < kSituationCount; ++s) {
        const auto situation = static_cast<Situation>(s);
        SCOPED_TRACE(s);
        into(situation);
        const Observed before = observe();
        const bool started = engine->Start();
        switch (RuleFor(Input::Start, situation)) {
        case Rule::Take:
            EXPECT_TRUE(started && engine->ExchangeRunning());
            break;
        case Rule::EndSeries:
            EXPECT_TRUE(started && !engine->SeriesRunning());
            EXPECT_EQ(before.exchange, engine->ExchangeRunning());
            EXPECT_EQ(before.pending, exchanges.pending.size());
            break;
        default:
            EXPECT_FALSE(started);
            EXPECT_EQ(before.events, observe().events);
            EXPECT_EQ(before.pending, observe().pending);
        }

        into(situation);
        const bool tickWasRunning = engine->ExchangeRunning();
        engine->OnSeriesTick();
        switch (RuleFor(Input::SeriesTick, situation)) {
        case Rule::Take:
            EXPECT_EQ(ExchangeKind::Reading, Outstanding());
            break;
        case Rule::Coalesce:
            ASSERT_TRUE(tickWasRunning);
            Answer(); // the kept tick is taken as the reading ends
            EXPECT_EQ(ExchangeKind::Reading, Outstanding());
            break;
        default:
            EXPECT_EQ(before.pending, exchanges.pending.size());
            EXPECT_TRUE(std::find(log.events.begin(), log.events.end(), "reading") == log.events.end());
        }

        for (const Input command : {Input::SessionCommand, Input::Terminate}) {
            into(situation);
            const bool running = engine->ExchangeRunning();
            const bool now = command == Input::Terminate ? engine->Close() : engine->Quiesce();
            switch (RuleFor(command, situation)) {
            case Rule::Wait:
                EXPECT_FALSE(engine->SeriesRunning());
                EXPECT_EQ(!running, now);
                AnswerAll();
                EXPECT_FALSE(engine->ExchangeRunning());
                break;
            default:
                EXPECT_EQ(Situation::Closing, situation);
            }
        }
    }
}

} // namespace
