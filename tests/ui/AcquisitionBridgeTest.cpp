// The bridge from the instrument worker and the series timer into the UI thread's loop.
#include <QTest>
#include <thread>

#include "acquisition/EngineHarness.h"
#include "ui/AcquisitionBridge.h"
#include "ui/Eventually.h"

using testing_support::Eventually;

namespace {

class AcquisitionBridgeTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine = std::make_unique<AcquisitionEngine>(AcquisitionParts{Settings(), exchanges, bridge, ports, nullptr});
        engine->SetListener(&log);
        bridge.SetEngine(engine.get());
    }
    AcquisitionBridge bridge;
};

// A result posted from another thread reaches the engine on this one, when the loop runs;
// the timer fires once, on its own, and ticks the series.
TEST_F(AcquisitionBridgeTest, ResultsAndTicksReachTheEngineThroughTheLoop)
{
    BeginWork();
    Settings().timerModeOn = 1;
    Settings().timerDelayMs = 0;
    Settings().timerCount = 2;
    ASSERT_TRUE(engine->Start());
    for (int answered = 0; answered < 4; ++answered) {
        ASSERT_TRUE(Eventually([&] { return !exchanges.pending.empty(); }, 5000));
        const ExchangeRequest request = exchanges.pending.front();
        exchanges.pending.pop_front();
        const ExchangeResult result = instrument.Perform(request);
        std::thread([&] { bridge.Post(result); }).join();
        EXPECT_TRUE(engine->ExchangeRunning()); // not before the loop hands it over
    }
    ASSERT_TRUE(Eventually([&] { return !engine->SeriesRunning() && !engine->ExchangeRunning(); }, 5000));
    EXPECT_EQ(2u, log.stored.size()); // connect, battery, reading; the tick's reading
    EXPECT_FALSE(bridge.Armed());
}

} // namespace
