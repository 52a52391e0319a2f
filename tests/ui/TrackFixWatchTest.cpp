// The track page watches the receiver's fix from the moment track work begins: what it shows
// over the track view, and one beep for each loss, degradation and return.
#include "gps/MessagePoster.h"
#include "ui/CPropertyPageView2.h"
#include "ui/Eventually.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

class TrackFixWatchTest : public SheetTest {
protected:
    CPropertyPageView2& BeginTrack()
    {
        Services().ticks = &ticks;
        Settings().workType = kWorkGpsTrack;
        Settings().gpsHdopLimit = 5;
        BeginWork();
        CPropertyPageView2& view = Sheet().PageView2();
        view.SetBeeper([this] { ++beeps; });
        return view;
    }
    void Fix(CPropertyPageView2& view, uint8_t fixType, double hdop)
    {
        GpsFixQuality quality;
        quality.ggaQuality = fixType > 1 ? 1 : 0;
        quality.fixType = fixType;
        quality.hdop = hdop;
        PositionEvent event(PositionMessage{UM_CURRENT_POSITION, 0, GpsFix(55.7, 37.6, ticks.Now(), quality), 1});
        QCoreApplication::sendEvent(&view, &event);
        ticks.Advance(200);
    }

    platform::ManualClock ticks{1000};
    int beeps = 0;
};

TEST_F(TrackFixWatchTest, ALossADegradationAndTheReturnEachBeepOnce)
{
    CPropertyPageView2& view = BeginTrack();
    // No receiver here: its port does not open, and the page says so without a box.
    ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));
    EXPECT_EQ("GPS: не подключён", view.FixText().toStdString());
    struct Step {
        uint8_t fixType;
        double hdop;
        int beeps;
        const char* text;
    };
    const Step steps[] = {
        {3, 1.0, 0, "GPS 3D HDOP 1.0"},   // the first fix is no change
        {3, 8.0, 1, "GPS: плохо, HDOP 8.0"},
        {3, 4.8, 1, "GPS: плохо, HDOP 4.8"}, // not clearly back under the limit yet
        {2, 1.5, 2, "GPS 2D HDOP 1.5"},
        {1, 0.0, 3, "GPS: нет решения"},
        {1, 0.0, 3, "GPS: нет решения"},
        {3, 0.9, 4, "GPS 3D HDOP 0.9"},
    };
    for (const Step& step : steps) {
        Fix(view, step.fixType, step.hdop);
        EXPECT_EQ(step.beeps, beeps) << step.text;
        EXPECT_EQ(step.text, view.FixText().toStdString());
    }
    // The receiver goes quiet: the watch's timer finds the fix lost, once.
    view.WatchFix();
    EXPECT_EQ(4, beeps);
    ticks.Advance(5000);
    view.WatchFix();
    view.WatchFix();
    EXPECT_EQ(5, beeps);
    EXPECT_EQ(FixQualityMonitor::State::Lost, view.FixState());
}

} // namespace
