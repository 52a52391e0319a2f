// The measurement cycle of the pages against the instrument and GPS simulators on
// pseudo-terminals: real serial I/O, the series timer driven by hand.
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "instrument/PortMap.h"
#include "session/WorkSession.h"
#include "sim/InstrumentSimulator.h"
#include "support/RecordBuilder.h"
#include "sim/SimulatedField.h"
#include "survey/Calibration.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"

using platform::PromptAnswer;
using testing_support::SheetTest;

namespace {

class MeasurementCycleTest : public SheetTest {
protected:
    void TearDown() override
    {
        SheetTest::TearDown();
        PortMap::Instance().ClearOverrides();
    }
    // A simulated instrument on the configured instrument port.
    std::unique_ptr<InstrumentSimulator> StartInstrument(InstrumentFaults faults = {}, uint32_t delayMs = 0)
    {
        InstrumentOptions options;
        options.faults = faults;
        options.measurementDelayMs = delayMs;
        auto simulator = std::make_unique<InstrumentSimulator>(options, BuiltInCalibrationSet());
        EXPECT_TRUE(simulator->Start());
        PortMap::Instance().SetOverride(static_cast<unsigned>(Settings().btInboundPort), simulator->DevicePath());
        return simulator;
    }
    CPropertyPageView1& BeginMap(int32_t xSize, int32_t ySize)
    {
        Settings().workType = kWorkMap;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        Settings().timerModeOn = 0;
        SheetEvent begin(UM_BEGIN_WORK);
        QCoreApplication::sendEvent(&Sheet(), &begin);
        CPropertyPageView1& view = Sheet().PageView1();
        view.SetBeeper([this] { ++beeps; });
        view.repaint();
        return view;
    }
    // Start as the operator presses it, once the last reading has been drawn.
    void Start(MeasurementPage& view)
    {
        view.repaint();
        view.StartAction();
    }
    size_t Measured()
    {
        size_t n = 0;
        for (const MeasurementRecord& record : Sheet().Data()->Records())
            n += !record.Empty();
        return n;
    }

    int beeps = 0;
};

TEST_F(MeasurementCycleTest, AMapSurveyRunsFromStartToTheEndOfWork)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(3, 2);
    for (int reading = 1; reading <= 5; ++reading) {
        Start(view);
        // The reading that begins the second profile beeps; 100 ms later it beeps again.
        if (reading == 3) {
            EXPECT_EQ(1, beeps);
            QTRY_COMPARE_WITH_TIMEOUT(beeps, 2, 2000);
        }
        EXPECT_EQ(reading >= 3 ? 2 : 0, beeps) << "after reading " << reading;
    }
    EXPECT_TRUE(instrument.IsConnected());
    EXPECT_NE("-", view.FieldText(1074).toStdString()); // the battery voltage was read
    prompter.ExpectMessage("Работа завершена");
    Start(view);
    EXPECT_EQ(2, beeps); // the last reading does not beep
    EXPECT_EQ(6u, Measured());
    EXPECT_EQ("1", view.FieldText(1042).toStdString()); // left on the last station
    EXPECT_EQ("0", view.FieldText(1047).toStdString());
    EXPECT_TRUE(Sheet().Data()->Modified());
}

TEST_F(MeasurementCycleTest, TheWindowStaysAliveWhileTheInstrumentMeasures)
{
    const auto simulator = StartInstrument({}, 300);
    CPropertyPageView1& view = BeginMap(10, 2);
    Start(view); // connected, one reading
    bool ran = false;
    size_t measuredMeanwhile = 0;
    QTimer::singleShot(50, [&] {
        ran = true;
        measuredMeanwhile = Measured();
    });
    Start(view);
    EXPECT_TRUE(ran); // messages were handled during the exchange...
    EXPECT_EQ(1u, measuredMeanwhile); // ...before its reading was stored
    EXPECT_EQ(2u, Measured());
}

TEST_F(MeasurementCycleTest, ClosingTheWindowDuringAReadingWaitsForIt)
{
    const auto simulator = StartInstrument({}, 300);
    CPropertyPageView1& view = BeginMap(10, 2);
    QTimer::singleShot(50, &Sheet(), [this] { Sheet().close(); }); // the window manager's close
    Start(view);
    EXPECT_EQ(1u, Measured()); // the reading was stored, the work still there
    EXPECT_FALSE(Sheet().ExitRequested());
    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    QTRY_VERIFY_WITH_TIMEOUT(Sheet().ExitRequested(), 2000);
}

TEST_F(MeasurementCycleTest, TimedSeriesStopOnTheirCountOnStartOrWhenTimerModeIsCleared)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(10, 2);
    Settings().timerModeOn = 1;
    Settings().timerCount = 3;
    Settings().timerDelayMs = 60000; // the timer is fired by hand
    const auto tick = [&view] { view.FireTimer(MeasurementPage::kSeriesTimerId); };
    Start(view); // starts the series and takes the first reading at once
    EXPECT_EQ("Стоп", view.FieldText(1041).toStdString());
    Settings().timerDelayMs = 50000; // a new period keeps the count
    tick();
    EXPECT_TRUE(view.SeriesRunning());
    tick();
    EXPECT_FALSE(view.SeriesRunning());
    EXPECT_EQ("Старт", view.FieldText(1041).toStdString());
    tick(); // no series: nothing
    EXPECT_EQ(3u, Measured());

    Settings().timerCount = 0; // never stops on count
    Start(view);
    tick();
    view.StartAction(); // accepted during a series even before the repaint
    EXPECT_FALSE(view.SeriesRunning());
    EXPECT_EQ(5u, Measured());

    Start(view);
    Settings().timerModeOn = 0;
    tick();
    EXPECT_FALSE(view.SeriesRunning());
    EXPECT_EQ(1, beeps); // the exclamation beep
    EXPECT_EQ(6u, Measured());
}

TEST_F(MeasurementCycleTest, FailuresAreToldAndAFailedReadingKeepsTheEarlierOnes)
{
    PortMap::Instance().SetOverride(static_cast<unsigned>(Settings().btInboundPort), dir.File("no-such-port"));
    CPropertyPageView1& view = BeginMap(10, 2);
    prompter.ExpectMessage("Ошибка подключения к устройству");
    Start(view);
    EXPECT_EQ("-", view.FieldText(1074).toStdString()); // the voltage field keeps its text
    EXPECT_EQ(0u, Measured());

    InstrumentFaults faults;
    faults.vanishAfter = 2;
    auto simulator = StartInstrument(faults);
    Start(view);
    Start(view);
    prompter.ExpectMessage("Ошибка измерения. Сохранить изменения?", PromptAnswer::No);
    Start(view);
    EXPECT_FALSE(instrument.IsConnected());
    EXPECT_EQ(2u, Measured());
    EXPECT_EQ("2", view.FieldText(1047).toStdString()); // where the next reading goes

    simulator = StartInstrument(); // the instrument is back: the next Start connects again
    Start(view);
    EXPECT_TRUE(instrument.IsConnected());
    EXPECT_EQ(3u, Measured());
}

TEST_F(MeasurementCycleTest, TrackReadingsReceiveTheirPositionsFromThePositionService)
{
    GpsSimulatorOptions gps;
    gps.rateHz = 10;
    gps.timeFactor = 20;
    SimulatedField field(InstrumentOptions{}, gps);
    std::string error;
    ASSERT_TRUE(field.Start(error)) << error;
    PortMap::Instance().SetOverride(static_cast<unsigned>(Settings().btInboundPort), field.InstrumentPath());
    PortMap::Instance().SetOverride(static_cast<unsigned>(Settings().btOutboundPort), field.GpsPath());
    Settings().workType = kWorkGpsTrack;
    Settings().timerModeOn = 0;
    SheetEvent begin(UM_BEGIN_WORK);
    QCoreApplication::sendEvent(&Sheet(), &begin);
    CPropertyPageView2& view = Sheet().PageView2();
    Start(view); // connects both ports and starts the GPS reader
    ASSERT_TRUE(reader.Running());
    QTRY_VERIFY_WITH_TIMEOUT(positions.HasFix(), 5000);
    for (int k = 0; k < 3; ++k) {
        QTest::qWait(50); // the receiver walks on between readings
        Start(view);
    }
    TrackDataSet& track = *Sheet().Work()->Track();
    ASSERT_EQ(4u, track.RecordCount());
    // Every reading after the first fix gets the position of its own time from the GPS side.
    QTRY_VERIFY_WITH_TIMEOUT(Sheet().Work()->OutstandingPositions() == 0, 5000);
    for (size_t k = 1; k < track.RecordCount(); ++k) {
        EXPECT_NEAR(55.7, track.FixAt(k).latitude, 0.1) << k;
        EXPECT_EQ(track.Record(k).TimeStamp(), track.FixAt(k).tick) << k;
    }
    EXPECT_NE(track.FixAt(1).longitude, track.FixAt(3).longitude); // taken while walking
    instrument.Disconnect(); // before the receiver goes: its reader would see the line drop
}

TEST_F(MeasurementCycleTest, ReadingsOfAProgramThatDiedAreOfferedAtTheNextStart)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(5, 2);
    for (int k = 0; k < 4; ++k)
        Start(view);
    const std::vector<MeasurementRecord> taken = Sheet().Data()->Records();
    Sheet().ReleaseData(); // gone without saving or closing, as a killed program is
    Settings().workType = kWorkProfile;

    prompter.ExpectMessageStart("Найдены несохранённые показания прошлой работы (Карта, начата ", PromptAnswer::No);
    Sheet().OfferRecovery();
    EXPECT_EQ(nullptr, Sheet().Data()); // declined, and kept for the next time
    prompter.ExpectMessageStart("Найдены несохранённые показания прошлой работы (Карта, начата ", PromptAnswer::Yes);
    Sheet().OfferRecovery();
    ASSERT_NE(nullptr, Sheet().Data());
    EXPECT_EQ(kWorkMap, Settings().workType);
    EXPECT_TRUE(testing_support::SameRecords(taken, Sheet().Data()->Records()));
    EXPECT_TRUE(Sheet().Data()->Modified()); // to be saved
    EXPECT_EQ("Главная", Sheet().ActivePage()->Title().toStdString());

    prompter.ExpectFile(dir.File("recovered.lur"));
    Sheet().OnSave();
    Sheet().ReleaseData();
    Sheet().OfferRecovery(); // saved: nothing is left to offer
    EXPECT_EQ(nullptr, Sheet().Data());
}

} // namespace
