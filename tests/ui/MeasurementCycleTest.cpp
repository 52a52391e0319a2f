// The measurement cycle as the operator drives it: the real controls of the real pages over
// the instrument and GPS simulators on pseudo-terminals, the instrument worker a real thread.
// Waits are for replies to arrive, never for time to pass; the series timer is fired by hand.
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

#include "session/WorkSession.h"
#include "sim/InstrumentSimulator.h"
#include "sim/SimulatedField.h"
#include "support/RecordBuilder.h"
#include "survey/Calibration.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/SessionCommands.h"
#include "ui/SheetEvents.h"
#include "ui/Eventually.h"
#include "ui/SheetFixture.h"

using platform::PromptAnswer;
using testing_support::Eventually;
using testing_support::SheetTest;

namespace {

constexpr int kReplyMs = 10000; // how long a reply may take before the test gives up on it

class MeasurementCycleTest : public SheetTest {
protected:
    CPropertyPageView1& BeginMap(int32_t xSize, int32_t ySize)
    {
        Settings().workType = kWorkMap;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        Settings().timerModeOn = 0;
        BeginWork();
        CPropertyPageView1& view = Sheet().PageView1();
        view.SetBeeper([this] { ++beeps; });
        view.repaint();
        return view;
    }
    QPushButton& StartButton(MeasurementPage& view) { return *view.Layout().Get<QPushButton>(1041); }
    // The operator presses Start once the last reading is on screen, and the reading ends.
    void Press(MeasurementPage& view)
    {
        view.repaint();
        QTest::mouseClick(&StartButton(view), Qt::LeftButton);
        WaitForReadings();
    }
    void Key(int qtKey)
    {
        QTest::keyClick(&Sheet(), static_cast<Qt::Key>(qtKey));
    }
    void WaitForReadings()
    {
        EXPECT_TRUE(Eventually([this] { return !Engine().ExchangeRunning(); }, kReplyMs)) << "a reply never came";
    }
    // Timer mode for `count` readings (0: no end); its timer is fired by hand.
    void TimedSeries(int32_t count)
    {
        Settings().timerModeOn = 1;
        Settings().timerCount = count;
        Settings().timerDelayMs = 60000;
    }
    void Command(int id)
    {
        SheetEvent command(static_cast<uint32_t>(id));
        QCoreApplication::sendEvent(&Sheet(), &command);
    }
    size_t Measured()
    {
        size_t n = 0;
        if (Sheet().Data())
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
        Press(view);
        // The reading that begins the second profile beeps; 100 ms later it beeps again.
        if (reading == 3) {
            ASSERT_TRUE(Eventually([this] { return beeps == 2; }, 2000)) << beeps;
        }
        EXPECT_EQ(reading >= 3 ? 2 : 0, beeps) << "after reading " << reading;
    }
    EXPECT_TRUE(Engine().Connected());
    EXPECT_NE("-", view.FieldText(1074).toStdString()); // the battery voltage was read
    prompter.ExpectMessage("Работа завершена");
    Press(view);
    EXPECT_EQ(2, beeps); // the last reading does not beep
    EXPECT_EQ(6u, Measured());
    EXPECT_EQ("1", view.FieldText(1042).toStdString()); // left on the last station
    EXPECT_EQ("0", view.FieldText(1047).toStdString());
    EXPECT_TRUE(Sheet().Data()->Modified());
    EXPECT_EQ("Старт", view.FieldText(1041).toStdString());
    EXPECT_TRUE(StartButton(view).isEnabled());
}

// The press shows at once, the window lives while the instrument measures, and presses
// meanwhile, by button or by key, take no second reading.
TEST_F(MeasurementCycleTest, StartPressedAgainDuringAReadingTakesOneReading)
{
    const auto simulator = StartInstrument({}, 300);
    CPropertyPageView1& view = BeginMap(10, 2);
    Press(view); // connected, one reading
    view.repaint();
    QTest::mouseClick(&StartButton(view), Qt::LeftButton);
    EXPECT_FALSE(StartButton(view).isEnabled()); // before any reply
    EXPECT_EQ("Замер…", view.FieldText(1041).toStdString());
    bool alive = false;
    QTimer::singleShot(50, [&] { alive = true; });
    QTest::mouseClick(&StartButton(view), Qt::LeftButton);
    for (int key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F10, Qt::Key_Right})
        Key(key);
    ASSERT_TRUE(Eventually([&] { return alive; }, kReplyMs)); // the window's loop ran during the exchange
    WaitForReadings();
    EXPECT_EQ(2u, Measured());
    EXPECT_EQ("2", view.FieldText(1047).toStdString()); // next to the second reading, not beyond
    view.repaint();
    Key(Qt::Key_F5); // the key works again once the reading is drawn
    WaitForReadings();
    EXPECT_EQ(3u, Measured());
}

TEST_F(MeasurementCycleTest, ClosingTheWindowDuringAReadingWaitsForIt)
{
    const auto simulator = StartInstrument({}, 300);
    CPropertyPageView1& view = BeginMap(10, 2);
    view.repaint();
    QTest::mouseClick(&StartButton(view), Qt::LeftButton);
    Sheet().close(); // the window manager's close
    EXPECT_TRUE(Sheet().CommandWaiting());
    EXPECT_FALSE(Sheet().ExitRequested());
    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    ASSERT_TRUE(Eventually([&] { return Sheet().ExitRequested(); }, kReplyMs));
    EXPECT_EQ(nullptr, Sheet().Work()); // ended on purpose
}

TEST_F(MeasurementCycleTest, TimedSeriesStopOnTheirCountOnStartOrWhenTimerModeIsCleared)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(10, 2);
    TimedSeries(3);
    const auto tick = [this] {
        Engine().OnSeriesTick();
        WaitForReadings();
    };
    Press(view); // starts the series and takes the first reading at once
    EXPECT_EQ("Стоп", view.FieldText(1041).toStdString());
    EXPECT_TRUE(StartButton(view).isEnabled());
    Settings().timerDelayMs = 50000; // a new period keeps the count
    tick();
    EXPECT_TRUE(Engine().SeriesRunning());
    tick();
    EXPECT_FALSE(Engine().SeriesRunning());
    EXPECT_EQ("Старт", view.FieldText(1041).toStdString());
    tick(); // no series: nothing
    EXPECT_EQ(3u, Measured());

    Settings().timerCount = 0; // never stops on count
    Press(view);
    tick();
    QTest::mouseClick(&StartButton(view), Qt::LeftButton); // taken during a series even before the repaint
    EXPECT_FALSE(Engine().SeriesRunning());
    EXPECT_EQ(5u, Measured());

    Press(view);
    Settings().timerModeOn = 0;
    tick();
    EXPECT_FALSE(Engine().SeriesRunning());
    EXPECT_EQ(1, beeps); // the exclamation beep
    EXPECT_EQ(6u, Measured());
}

// "Создать" during a series: the question comes with the series stopped, and nothing is
// ever measured into the new work, whichever answer.
TEST_F(MeasurementCycleTest, NewDuringASeriesAsksStopsTheSeriesAndNeverMeasuresIntoTheNewWork)
{
    const auto simulator = StartInstrument({}, 200);
    CPropertyPageView1& view = BeginMap(10, 2);
    TimedSeries(0);
    Press(view);
    Engine().OnSeriesTick(); // a reading runs when "Создать" is chosen
    prompter.ExpectMessageWhile("Сохранить изменения?", [this] {
        EXPECT_FALSE(Engine().SeriesRunning());
        EXPECT_FALSE(Engine().ExchangeRunning()); // asked once the reading was stored
        Engine().OnSeriesTick();                  // a tick already on its way
        EXPECT_FALSE(Engine().ExchangeRunning());
    }, PromptAnswer::Cancel);
    Command(kCommandNew);
    ASSERT_TRUE(Eventually([&] { return prompter.messages.empty(); }, kReplyMs));
    EXPECT_EQ(2u, Measured()); // the running reading was stored in the work it was taken for
    EXPECT_EQ("Старт", view.FieldText(1041).toStdString());

    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    Command(kCommandNew);
    EXPECT_EQ(nullptr, Sheet().Work());
    Engine().OnSeriesTick();
    EXPECT_FALSE(Engine().ExchangeRunning());
}

// An engine report that arrives while a message box is open: the data set has the reading
// at once (and its journal), the page hears of it when the box is closed.
TEST_F(MeasurementCycleTest, AReadingStoredUnderAMessageBoxReachesThePageAfterIt)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(10, 2);
    TimedSeries(0);
    // A journal that stops being written: the first reading in memory only says so, once.
    const int journal = Sheet().Work()->Journal().Descriptor();
    const int saved = ::dup(journal), full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(::dup2(full, journal), 0);
    ::close(full);
    prompter.ExpectMessageWhile(
        "Показания не записываются в журнал (нет места на диске). Они есть только в памяти: сохраните сессию.",
        [&] {
            Engine().OnSeriesTick();
            EXPECT_TRUE(Eventually([this] { return !Engine().ExchangeRunning(); }, kReplyMs));
            EXPECT_EQ(2u, Measured());
            EXPECT_EQ("1", view.FieldText(1047).toStdString()); // not told yet
        });
    view.repaint();
    QTest::mouseClick(&StartButton(view), Qt::LeftButton);
    ASSERT_TRUE(Eventually([&] { return prompter.messages.empty() && prompter.open == 0; }, kReplyMs));
    EXPECT_EQ("2", view.FieldText(1047).toStdString());
    ::dup2(saved, journal);
    ::close(saved);
    Engine().OnSeriesTick();
    WaitForReadings();
    EXPECT_TRUE(Sheet().Work()->Journal().Durable());
    QTest::mouseClick(&StartButton(view), Qt::LeftButton);
}

TEST_F(MeasurementCycleTest, FailuresAreToldAndAFailedReadingKeepsTheEarlierOnes)
{
    ports.SetOverride(static_cast<unsigned>(Settings().btInboundPort), dir.File("no-such-port"));
    CPropertyPageView1& view = BeginMap(10, 2);
    prompter.ExpectMessage("Не удалось подключиться к прибору на порту «" + dir.File("no-such-port") + "»: нет такого порта.");
    Press(view);
    EXPECT_EQ("-", view.FieldText(1074).toStdString()); // the voltage field keeps its text
    EXPECT_EQ(0u, Measured());

    InstrumentFaults faults;
    faults.vanishAfter = 2;
    auto simulator = StartInstrument(faults);
    Press(view);
    Press(view);
    prompter.ExpectMessage("Ошибка измерения: связь с прибором на порту «" + simulator->DevicePath() +
                               "» потеряна (прибор выключен, вне досягаемости или кабель отключён).\nСохранить изменения?",
                           PromptAnswer::No);
    Press(view);
    EXPECT_FALSE(Engine().Connected());
    EXPECT_EQ(2u, Measured());
    EXPECT_EQ("2", view.FieldText(1047).toStdString()); // where the next reading goes

    simulator = StartInstrument(); // the instrument is back: the next Start connects again
    Press(view);
    EXPECT_TRUE(Engine().Connected());
    EXPECT_EQ(3u, Measured());
}

// A reply without any frequency is not the instrument's: the operator is told so, not that
// the instrument is silent, and nothing is stored.
TEST_F(MeasurementCycleTest, AReplyThatIsNotTheInstrumentsIsToldApart)
{
    InstrumentFaults faults;
    faults.emptyReply = true;
    const auto simulator = StartInstrument(faults);
    CPropertyPageView1& view = BeginMap(10, 2);
    prompter.ExpectMessage("Ошибка измерения: на порту «" + simulator->DevicePath() +
                           "» отвечает не прибор, или связь искажает ответ.");
    Press(view);
    EXPECT_EQ(0u, Measured());
    EXPECT_EQ("0", view.FieldText(1047).toStdString());
}

// SIGTERM during a series: the series ends, the running reading is stored and journalled,
// and the program ends without a question.
TEST_F(MeasurementCycleTest, TerminationStoresTheRunningReadingAndAsksNothing)
{
    const auto simulator = StartInstrument({}, 200);
    CPropertyPageView1& view = BeginMap(10, 2);
    TimedSeries(0);
    Press(view);
    Engine().OnSeriesTick();
    Sheet().Terminate();
    EXPECT_FALSE(Engine().SeriesRunning());
    EXPECT_FALSE(Sheet().ExitRequested());
    ASSERT_TRUE(Eventually([&] { return Sheet().ExitRequested(); }, kReplyMs));
    EXPECT_EQ(2u, Measured());
    EXPECT_TRUE(Sheet().Work()->Journal().Durable()); // kept for the next start
}

TEST_F(MeasurementCycleTest, TrackReadingsReceiveTheirPositionsFromThePositionService)
{
    GpsSimulatorOptions gps;
    gps.rateHz = 10;
    gps.timeFactor = 20;
    SimulatedField field(InstrumentOptions{}, gps);
    std::string error;
    ASSERT_TRUE(field.Start(error)) << error;
    ports.SetOverride(static_cast<unsigned>(Settings().btInboundPort), field.InstrumentPath());
    ports.SetOverride(static_cast<unsigned>(Settings().btOutboundPort), field.GpsPath());
    Settings().workType = kWorkGpsTrack;
    Settings().timerModeOn = 0;
    BeginWork();
    CPropertyPageView2& view = Sheet().PageView2();
    // The receiver is connected as the work begins: its fix comes before any reading.
    ASSERT_TRUE(Eventually([&] { return positions.HasFix(); }, 5000));
    ASSERT_TRUE(reader.Running());
    Press(view);
    for (int k = 0; k < 3; ++k) {
        QTest::qWait(50); // the receiver walks on between readings
        Press(view);
    }
    TrackDataSet& track = *Sheet().Work()->Track();
    ASSERT_EQ(4u, track.RecordCount());
    // Every reading after the first fix gets the position of its own time from the GPS side.
    ASSERT_TRUE(Eventually([&] { return Sheet().Work()->OutstandingPositions() == 0; }, 5000));
    for (size_t k = 1; k < track.RecordCount(); ++k) {
        EXPECT_NEAR(55.7, track.FixAt(k).latitude, 0.1) << k;
        EXPECT_EQ(track.Record(k).TimeStamp(), track.FixAt(k).tick) << k;
    }
    EXPECT_NE(track.FixAt(1).longitude, track.FixAt(3).longitude); // taken while walking
    reader.Stop(); // before the receiver goes: its reader would see the line drop
}

TEST_F(MeasurementCycleTest, ReadingsOfAProgramThatDiedAreOfferedAtTheNextStart)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(5, 2);
    for (int k = 0; k < 4; ++k)
        Press(view);
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
    EXPECT_EQ("4", view.FieldText(1047).toStdString()); // goes on after the last reading

    prompter.ExpectFile(dir.File("recovered.lur"));
    Sheet().OnSave();
    Sheet().ReleaseData();
    Sheet().OfferRecovery(); // saved: nothing is left to offer
    EXPECT_EQ(nullptr, Sheet().Data());
}

} // namespace
