// The inverted section on the measurement pages, driven as the operator drives them: the
// switch on "Настройки", Start over the simulated instrument, Enter through the graphs, a
// tap on the section; the worker's results reach the page as posted events, which the test
// lets the event loop deliver.
#include <QAbstractButton>
#include <QPushButton>
#include <QTest>

#include "graphics/NoDataValue.h"
#include "model/BackgroundInversion.h"
#include "model/SyntheticStation.h"
#include "platform/Clock.h"
#include "session/SessionFile.h"
#include "session/WorkSession.h"
#include "sim/InstrumentSimulator.h"
#include "survey/SessionImage.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/CPropertyPageW1.h"
#include "ui/Eventually.h"
#include "ui/SheetEvents.h"
#include "ui/SheetFixture.h"
#include "ui/WindowInversion.h"

using testing_support::Eventually;

namespace {

constexpr int kReplyMs = 20000; // how long readings and inversions may take before the test gives up
constexpr int kInversionSwitch = 2031;

class InversionPageTest : public testing_support::SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        Services().ticks = &ticks;
        Settings().showMap = 0;
        Settings().showProfileCurve = 0;
        Settings().minStationsSection = 2;
    }
    CPropertyPageView1& BeginMap(int32_t xSize, int32_t ySize)
    {
        Settings().workType = kWorkMap;
        Settings().xSize = xSize;
        Settings().ySize = ySize;
        BeginWork();
        CPropertyPageView1& view = Sheet().PageView1();
        view.repaint();
        return view;
    }
    // "Инверсия" on "Настройки" clicked, and back to "Главная".
    void ClickInversionSwitch()
    {
        ASSERT_TRUE(Sheet().SetActivePage(0));
        QTest::mouseClick(Sheet().PageW1().Layout().Get<QAbstractButton>(kInversionSwitch), Qt::LeftButton);
        ASSERT_TRUE(Sheet().SetActivePage(2));
    }
    void Press(MeasurementPage& view)
    {
        view.repaint();
        QTest::mouseClick(view.Layout().Get<QPushButton>(1041), Qt::LeftButton);
        ASSERT_TRUE(Eventually([this] { return !Engine().ExchangeRunning(); }, kReplyMs)) << "a reply never came";
    }
    // A key typed once what was asked for is on screen: the keys wait for that.
    void Key(MeasurementPage& view, Qt::Key key)
    {
        view.repaint();
        QTest::keyClick(&view, key);
        view.repaint();
    }
    // Every station asked for has come back, and the page has been painted since.
    void WaitForInversions(MeasurementPage& view)
    {
        ticks.Advance(MeasurementPage::kInversionShowMs);
        ASSERT_TRUE(Eventually(
            [&] {
                const BackgroundInversion& results = view.Inversion()->Results();
                return results.Done() == results.Asked();
            },
            kReplyMs));
        view.repaint();
    }
    // Enter until the section, then once more: what comes after it.
    uint32_t AfterTheSection(MeasurementPage& view)
    {
        Key(view, Qt::Key_Return); // the graphs of the current position
        for (int k = 0; k < 6 && view.ShownGraph() != MeasurementPage::kSectionGraph; ++k)
            Key(view, Qt::Key_Return);
        EXPECT_EQ(MeasurementPage::kSectionGraph, view.ShownGraph()) << view.TitleText().toStdString();
        Key(view, Qt::Key_Return);
        return view.ShownGraph();
    }
    // The middle pixel of the stations' area in the column at fraction `across` of its width.
    QPoint At(const MeasurementPage& view, double across, double down)
    {
        const PixelRect& area = view.InvertedDepth().area;
        return QPoint(area.left + int(across * area.Width()), area.top + int(down * area.Height()));
    }

    float ValueAt(const MeasurementPage& view, QPoint p) { return view.Canvas().GetValue(p.x(), p.y()); }
    // The resistivity the station's model has at the depth the point's row stands for.
    float ModelledAt(const MeasurementPage& view, size_t station, QPoint p)
    {
        const InversionResult* result = view.Inversion()->Results().Result(station);
        EXPECT_NE(nullptr, result) << station;
        return result ? float(1 / result->model.ConductivityAt(view.InvertedDepth().DepthAt(p.y()))) : kNoDataValue;
    }

    platform::ManualClock ticks{100000};
};

TEST_F(InversionPageTest, WithTheSwitchOffNothingIsInvertedAndTheGraphsCycleAsBefore)
{
    Settings().inversionOn = 0;
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(6, 2);
    for (int k = 0; k < 3; ++k)
        Press(view);
    Key(view, Qt::Key_Left);
    std::vector<uint32_t> cycle;
    for (int k = 0; k < 4; ++k) {
        Key(view, Qt::Key_Return);
        cycle.push_back(view.ShownGraph());

    }
    using P = MeasurementPage;
    EXPECT_EQ(cycle, (std::vector<uint32_t>{P::kSoundingGraph, P::kSectionGraph, P::kSoundingGraph, P::kSectionGraph}));
    EXPECT_EQ(nullptr, view.Inversion()); // no thread was ever started
    EXPECT_TRUE(view.InversionProgressText().isEmpty());
}

// The switch clicked on "Настройки": readings are inverted one by one as they are taken, the
// inverted section comes after the section, stays on screen reading after reading, gets
// each new station and reads out value and depth at a tap.
TEST_F(InversionPageTest, TheInvertedSectionFollowsTheSectionAndGetsEachNewStation)
{
    const auto simulator = StartInstrument();
    CPropertyPageView1& view = BeginMap(6, 2);
    ClickInversionSwitch();
    EXPECT_EQ(1, Settings().inversionOn);
    for (int k = 0; k < 3; ++k)
        Press(view);
    WaitForInversions(view);
    EXPECT_EQ(InversionState::Done, view.Inversion()->Results().State(2));
    EXPECT_EQ(InversionState::NotAsked, view.Inversion()->Results().State(3));
    Key(view, Qt::Key_Left); // onto the last station measured
    ASSERT_EQ(MeasurementPage::kInvertedSectionGraph, AfterTheSection(view));
    EXPECT_EQ("Разрез (инверсия), Ом·м", view.TitleText().toStdString());
    // Stations 0 to 2 of six have their grounds; 3 to 5 are blank.
    EXPECT_NE(kNoDataValue, ValueAt(view, At(view, 2.5 / 6, 0.1)));
    EXPECT_EQ(kNoDataValue, ValueAt(view, At(view, 3.5 / 6, 0.1)));

    // The tap: the value and its depth, as the section holds them.
    const QPoint tap = At(view, 1.5 / 6, 0.3);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, tap);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, tap);
    const float value = ValueAt(view, tap);
    EXPECT_FLOAT_EQ(value, ModelledAt(view, 1, tap));
    EXPECT_EQ(QString::asprintf("%.2lf Ом·м, %.1f м", double(value), double(view.InvertedDepth().DepthAt(tap.y()))),
              view.Tooltip().Text());

    // The next reading, at station 3: the section stays, and gets it once it is inverted.
    Key(view, Qt::Key_Right);
    Press(view);
    view.repaint();
    EXPECT_EQ(MeasurementPage::kInvertedSectionGraph, view.ShownGraph());
    ticks.Advance(MeasurementPage::kInversionShowMs);
    const QPoint fourth = At(view, 3.5 / 6, 0.1);
    ASSERT_TRUE(Eventually([&] { return ValueAt(view, fourth) != kNoDataValue; }, kReplyMs));
    EXPECT_FLOAT_EQ(ValueAt(view, fourth), ModelledAt(view, 3, fourth));
    EXPECT_EQ(1u, view.Inversion()->Results().Asked()); // only the new station was inverted

    // Conductivity chosen on "Настройки": the title and the tap say so.
    ASSERT_TRUE(Sheet().SetActivePage(0));
    QTest::mouseClick(Sheet().PageW1().Layout().Get<QAbstractButton>(2002), Qt::LeftButton);
    QTest::mouseClick(Sheet().PageW1().Layout().Get<QAbstractButton>(2004), Qt::LeftButton);
    ASSERT_TRUE(Sheet().SetActivePage(2));
    view.repaint();
    EXPECT_EQ(MeasurementPage::kInvertedSectionGraph, view.ShownGraph());
    EXPECT_EQ("Разрез (инверсия), мСм/м", view.TitleText().toStdString());
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, tap);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, tap);
    EXPECT_TRUE(view.Tooltip().Text().contains(" мСм/м, ")) << view.Tooltip().Text().toStdString();

    // Switched off again: the section leaves the cycle and the results are forgotten.
    ClickInversionSwitch();
    EXPECT_EQ(0, Settings().inversionOn);
    view.repaint();
    EXPECT_FALSE(view.Inversion()->Results().HasWork());
    for (int k = 0; k < 4; ++k) {
        Key(view, Qt::Key_Return);
        EXPECT_NE(MeasurementPage::kInvertedSectionGraph, view.ShownGraph());
    }
}

// A saved survey, one of whose stations saturated, and a track, each opened and then the
// switch turned on: the whole session is inverted in the background with its progress on the
// page, and the section fills in, the saturated station left blank.
class OpenedSessionTest : public InversionPageTest {
protected:
    std::vector<MeasurementRecord> Modelled(size_t n)
    {
        std::vector<MeasurementRecord> records;
        for (size_t k = 0; k < n; ++k)
            records.push_back(testing_support::ModelledRecord({{0.02, 0.2, 0.05}, {1.0, 2.0}}, 0.01, uint32_t(k + 1)));
        return records;
    }
    void Open(const std::string& path)
    {
        prompter.ExpectFile(path);
        Sheet().OnOpen();
        ASSERT_EQ(2, Sheet().ActiveIndex());
    }
};

TEST_F(OpenedSessionTest, ASurveyIsInvertedWholeWithItsProgressShown)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 5;
    Settings().ySize = 3;
    std::vector<MeasurementRecord> records = Modelled(15);
    testing_support::PutChannel(records[7], 2, 8388607, 1, 1, 1); // profile 1, station 2
    SurveyDataSet survey(Settings(), records);
    const std::string path = dir.File("map.lur");
    ASSERT_TRUE(SaveSession(survey, path).ok);
    Settings().inversionOn = 0;
    Open(path);
    CPropertyPageView1& view = Sheet().PageView1();
    view.repaint();
    EXPECT_EQ(nullptr, view.Inversion());

    ClickInversionSwitch();
    view.repaint();
    ASSERT_NE(nullptr, view.Inversion());
    EXPECT_EQ(15u, view.Inversion()->Results().Asked());
    EXPECT_EQ("Инверсия: 0 из 15", view.InversionProgressText().toStdString());
    WaitForInversions(view);
    EXPECT_TRUE(view.InversionProgressText().isEmpty());
    EXPECT_EQ(StationRefusal::Saturated, view.Inversion()->Results().Result(7)->refusal);

    // Profile 1: the saturated station is blank, its neighbours are not.
    Key(view, Qt::Key_Down); // the opened survey stands at its last station, on profile 2
    ASSERT_EQ(1u, view.CurrentProfile());
    ASSERT_EQ(MeasurementPage::kInvertedSectionGraph, AfterTheSection(view));
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(s == 2, ValueAt(view, At(view, (s + 0.5) / 5, 0.05)) == kNoDataValue) << "station " << s;
    }
}

TEST_F(OpenedSessionTest, ATrackIsInvertedWholeOnTheTrackPage)
{
    SessionImage image;
    image.track = true;
    image.records = Modelled(12);
    for (size_t k = 0; k < image.records.size(); ++k)
        image.fixes.push_back(GpsFix{55.75, 37.6 + 1e-5 * double(k), 0});
    Settings().workType = kWorkGpsTrack;
    const auto track = TrackDataSet::LoadTrackBody(image, Settings());
    const std::string path = dir.File("track.lur");
    ASSERT_TRUE(SaveSession(*track, path).ok);
    Settings().inversionOn = 0;
    Open(path);
    ASSERT_TRUE(Eventually([this] { return !Engine().ExchangeRunning(); })); // the receiver's connection
    CPropertyPageView2& view = Sheet().PageView2();
    ClickInversionSwitch();
    view.repaint();
    ASSERT_NE(nullptr, view.Inversion());
    EXPECT_EQ("Инверсия: 0 из 12", view.InversionProgressText().toStdString());
    WaitForInversions(view);
    ASSERT_EQ(MeasurementPage::kInvertedSectionGraph, AfterTheSection(view));
    EXPECT_EQ("Разрез (инверсия), Ом·м", view.TitleText().toStdString());
    // The first reading at the left, the last at the right, each its own ground.
    for (size_t k : {size_t(0), size_t(11)}) {
        const QPoint p = At(view, k == 0 ? 0.01 : 0.99, 0.5);
        EXPECT_FLOAT_EQ(ValueAt(view, p), ModelledAt(view, k, p));
    }
}

} // namespace
