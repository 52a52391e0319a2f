// The engine on real threads: the instrument worker talking to the simulated instrument on a
// pseudo-terminal, the GPS reader on another, results and positions coming back through the
// owner queue. These are the cases where threads meet, and they run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <unistd.h>

#include "acquisition/AcquisitionEngine.h"
#include "acquisition/InstrumentExchanger.h"
#include "acquisition/InstrumentWorker.h"
#include "acquisition/OwnerQueue.h"
#include "acquisition/EngineHarness.h"
#include "gps/GpsTestDoubles.h"
#include "gps/NmeaTestSentences.h"
#include "instrument/GpsReaderControl.h"
#include "sim/InstrumentSimulator.h"
#include "sim/PseudoTerminal.h"
#include "survey/Calibration.h"
#include "track/TrackDataSet.h"

using testing_support::EventLog;

namespace {

constexpr auto kReplyLimit = std::chrono::seconds(20); // only keeps a broken run from hanging

class EngineThreads : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        ASSERT_TRUE(simulator.Start());
        ASSERT_TRUE(gpsLine.Create());
        ports.SetOverride(uint32_t(Settings().btInboundPort), simulator.DevicePath());
        ports.SetOverride(uint32_t(Settings().btOutboundPort), gpsLine.SlavePath());
        // After the settings of this test exist: the engine keeps them.
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{Settings(), worker, queue, ports, &gps});
        queue.SetEngine(engine.get());
        engine->SetListener(&log);
        std::string error;
        ASSERT_TRUE(worker.Start(error)) << error;
    }
    void TearDown() override
    {
        reader.Stop();
        simulator.Stop();
        queue.SetEngine(nullptr);
        engine.reset();
        SettingsTest::TearDown();
    }
    void BeginWork(int32_t workType)
    {
        Settings().workType = workType;
        Settings().xSize = 10;
        Settings().ySize = 2;
        auto work = std::make_unique<WorkSession>(Settings(), dir.File("journal"));
        work->Begin();
        work->ConnectPositions(positions, 1);
        ASSERT_TRUE(engine->SetWork(std::move(work)));
    }
    // Runs the owner queue until `done`; false when it never came.
    template <class Done> bool RunUntil(Done done)
    {
        const auto end = std::chrono::steady_clock::now() + kReplyLimit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            queue.RunOnce(std::chrono::milliseconds(20));
        }
        return true;
    }
    bool FixArrives(int minute)
    {
        // A new minute of time and of latitude each time.
        const std::string mm = std::to_string(10 + minute);
        const std::string rmc = Sentence("GPRMC,1200" + mm + ",A,50" + mm + ".000,N,03000.000,E,0,0,010124,,");
        const size_t before = fixes;
        if (::write(gpsLine.MasterFd(), rmc.data(), rmc.size()) != static_cast<ssize_t>(rmc.size()))
            return false;
        return RunUntil([&] {
            if (TrackDataSet* track = engine->Work()->Track(); track && track->HasLiveFix() &&
                                                              track->CurrentFix().latitude != lastLatitude) {
                lastLatitude = track->CurrentFix().latitude;
                ++fixes;
            }
            return fixes > before;
        });
    }

    InstrumentSimulator simulator{InstrumentOptions{}, BuiltInCalibrationSet()};
    PseudoTerminal gpsLine;
    PortMap ports;
    OwnerQueue queue;
    CNmeaParser parser;
    CGpsPositionService positions{queue};
    GpsClockOffset clockOffset;
    testing_support::RecordingPrompter prompter;
    GpsReaderControl reader{parser, positions, clockOffset, prompter};
    CSerialPort instrumentPort, gpsPort;
    CInstrument instrument{InstrumentLinks{instrumentPort, gpsPort, platform::SystemTicks()}};
    InstrumentExchanger exchanger{instrument, instrumentPort};
    GpsSide gps{reader, gpsPort, nullptr};
    InstrumentWorker worker{exchanger, queue};
    std::unique_ptr<AcquisitionEngine> engine;
    EventLog log;
    size_t fixes = 0;
    double lastLatitude = 0;
};

// A series on the owner queue's timer runs to its count, each reading coming back from the
// worker thread; the journal has every one.
TEST_F(EngineThreads, ASeriesRunsThroughTheWorkerAndTheQueue)
{
    BeginWork(kWorkMap);
    Settings().timerModeOn = 1;
    Settings().timerDelayMs = 0;
    Settings().timerCount = 6;
    ASSERT_TRUE(engine->Start());
    ASSERT_TRUE(RunUntil([&] { return !engine->SeriesRunning() && !engine->ExchangeRunning(); }));
    EXPECT_EQ(6u, log.stored.size());
    EXPECT_EQ(SeriesEnd::CountReached, log.ends.back());
    EXPECT_EQ(6u, engine->Work()->Data().CurrentIndex());
    EXPECT_TRUE(engine->Work()->Journal().Durable());
    EXPECT_EQ(9, Settings().reportedSerial); // the simulated instrument's, adopted here
}

// Track work connects the receiver as it begins, so its fix can be checked before any
// reading; an instrument that fails leaves the receiver running; a receiver that went away is
// connected again, on the port opened anew, at the next Start; survey work stops it.
TEST_F(EngineThreads, TheReceiverRunsFromTheBeginningOfTrackWorkUntilItEnds)
{
    BeginWork(kWorkGpsTrack);
    Settings().timerModeOn = 0;
    ASSERT_TRUE(RunUntil([&] { return !engine->ExchangeRunning(); }));
    EXPECT_TRUE(engine->GpsConnected());
    EXPECT_FALSE(engine->Connected()); // the instrument waits for Start
    EXPECT_TRUE(reader.Running());
    ASSERT_TRUE(FixArrives(0));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(engine->Start());
        ASSERT_TRUE(RunUntil([&] { return !engine->ExchangeRunning(); }));
        ASSERT_TRUE(engine->Connected());
        simulator.Stop(); // the instrument is switched off: its next reading fails
        ASSERT_TRUE(engine->Start());
        ASSERT_TRUE(RunUntil([&] { return !engine->ExchangeRunning(); }));
        EXPECT_EQ("idle", log.events.back());
        EXPECT_FALSE(engine->Connected());
        EXPECT_TRUE(reader.Running()); // the receiver goes on
        ASSERT_TRUE(FixArrives(round));
        ASSERT_TRUE(simulator.Start());
        ports.SetOverride(uint32_t(Settings().btInboundPort), simulator.DevicePath());
    }
    // The receiver goes away: its reader ends, and the next Start connects it anew.
    gpsLine.HangUp();
    ASSERT_TRUE(RunUntil([&] { return !reader.Running(); }));
    gpsLine.Close();
    ASSERT_TRUE(gpsLine.Create());
    ports.SetOverride(uint32_t(Settings().btOutboundPort), gpsLine.SlavePath());
    ASSERT_TRUE(engine->Start());
    ASSERT_TRUE(RunUntil([&] { return !engine->ExchangeRunning(); }));
    EXPECT_TRUE(engine->GpsConnected());
    ASSERT_TRUE(FixArrives(3));
    EXPECT_EQ(3u, engine->Work()->Data().RecordCount());
    // Survey work reads no GPS.
    engine->TakeWork();
    EXPECT_FALSE(reader.Running());
    EXPECT_FALSE(gpsPort.IsOpen());
    BeginWork(kWorkMap);
    EXPECT_FALSE(engine->ExchangeRunning());
}

// An exchange that throws on the worker thread still answers: the engine is never left waiting.
TEST_F(EngineThreads, AnExchangeThatThrowsStillAnswers)
{
    struct Throwing final : ExchangePerformer {
        ExchangeResult Perform(const ExchangeRequest&) override { throw std::bad_alloc(); }
    } throwing;
    InstrumentWorker thrower{throwing, queue};
    std::string error;
    ASSERT_TRUE(thrower.Start(error));
    AcquisitionEngine alone{AcquisitionParts{Settings(), thrower, queue, ports, nullptr}};
    EventLog told;
    alone.SetListener(&told);
    queue.SetEngine(&alone);
    Settings().workType = kWorkMap;
    alone.SetWork(std::make_unique<WorkSession>(Settings(), dir.File("journal")));
    ASSERT_TRUE(alone.Start());
    ASSERT_TRUE(RunUntil([&] { return !alone.ExchangeRunning(); }));
    EXPECT_EQ((std::vector<std::string>{"accepted", "no-connection", "idle"}), told.events);
    queue.SetEngine(engine.get());
}

// A port that is not there: the operator hears why (the reason is the system's error).
TEST_F(EngineThreads, APortThatIsNotThereSaysWhy)
{
    ports.SetOverride(uint32_t(Settings().btInboundPort), dir.File("no-such-port"));
    struct Reason final : AcquisitionListener {
        void ConnectionFailed(ExchangeFailure f, int e) override
        {
            failure = f;
            error = e;
        }
        ExchangeFailure failure = ExchangeFailure::None;
        int error = 0;
    } reason;
    engine->SetListener(&reason);
    BeginWork(kWorkMap);
    Settings().timerModeOn = 0;
    ASSERT_TRUE(engine->Start());
    ASSERT_TRUE(RunUntil([&] { return !engine->ExchangeRunning(); }));
    EXPECT_EQ(ExchangeFailure::PortNotOpened, reason.failure);
    EXPECT_EQ(ENOENT, reason.error);
}

// Without a worker thread nothing can be measured, and the operator is told at once.
TEST_F(EngineThreads, WithoutAWorkerThreadEveryExchangeFailsAtOnce)
{
    InstrumentWorker idle{exchanger, queue};
    AcquisitionEngine alone{AcquisitionParts{Settings(), idle, queue, ports, nullptr}};
    EventLog told;
    alone.SetListener(&told);
    queue.SetEngine(&alone);
    Settings().workType = kWorkMap;
    alone.SetWork(std::make_unique<WorkSession>(Settings(), dir.File("journal")));
    ASSERT_TRUE(alone.Start());
    ASSERT_TRUE(RunUntil([&] { return !alone.ExchangeRunning(); }));
    EXPECT_EQ((std::vector<std::string>{"accepted", "no-connection", "idle"}), told.events);
    queue.SetEngine(engine.get());
}

} // namespace
