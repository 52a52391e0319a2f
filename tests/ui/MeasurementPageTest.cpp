#include <QAbstractButton>
#include <QTest>

#include "graphics/NoDataValue.h"
#include "session/WorkSession.h"
#include "survey/DataSet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageW1.h"
#include "ui/HardwareKeys.h"
#include "ui/PopupLabel.h"
#include "ui/SheetEvents.h"
#include "ui/Eventually.h"
#include "ui/SheetFixture.h"

using testing_support::Eventually;
using testing_support::SheetTest;

namespace {

class MeasurementPageTest : public SheetTest {
protected:
    CPropertyPageView1& BeginSurvey(int readings)
    {
        BeginMapWithReadings(readings);
        CPropertyPageView1& view = Sheet().PageView1();
        view.OnSetActive();
        QApplication::processEvents();
        return view;
    }
};

TEST_F(MeasurementPageTest, FrequencyStepsSkipUnusedFrequencies)
{
    struct Case {
        std::vector<int> used; // frequency numbers
        uint32_t from;
        int key;
        uint32_t to;
    };
    using namespace hardware_key;
    const Case cases[] = {
        {{4, 8}, 4, kFrequencyUp, 8},   {{4, 8}, 8, kFrequencyUp, 4},   {{4, 8}, 8, kFrequencyDown, 4},
        {{4, 8}, 4, kFrequencyDown, 8}, {{}, 14, kFrequencyUp, 1},      {{}, 1, kFrequencyDown, 14},
        {{}, 5, kFrequencyDown, 4},     {{1, 14}, 14, kFrequencyUp, 1}, {{1, 14}, 1, kFrequencyDown, 14},
    };
    CPropertyPageView1& view = BeginSurvey(0);
    for (const Case& c : cases) {
        Settings().usedFrequencies.fill(0);
        for (int n : c.used)
            Settings().usedFrequencies[static_cast<size_t>(n - 1)] = 1;
        while (view.FrequencyNumber() != c.from)
            view.FrequencyStep(-1); // walks every number while none is used... or the used ones
        view.OnKeyDown(c.key, false);
        EXPECT_EQ(c.to, view.FrequencyNumber()) << "from " << c.from;
    }
}

TEST_F(MeasurementPageTest, EnterCyclesThroughTheDrawableGraphs)
{
    Settings().minProfilesMap = 2;
    Settings().minStationsSection = 2;
    Settings().minStationsProfileCurve = 2;
    CPropertyPageView1& view = BeginSurvey(8); // two whole profiles of four
    view.OnKeyDown(hardware_key::kDown, false); // back onto the second profile
    view.repaint();
    ASSERT_EQ(1u, view.CurrentProfile());
    ASSERT_EQ(MeasurementPage::kMapGraph, view.ShownGraph()); // the first paint
    // These sample readings give no profile curve: the choice passes over it.
    const uint32_t expected[] = {MeasurementPage::kSectionGraph, MeasurementPage::kSoundingGraph,
                                 MeasurementPage::kMapGraph, MeasurementPage::kSectionGraph};
    for (uint32_t graph : expected) {
        view.OnKeyDown(hardware_key::kEnter, false);
        view.repaint();
        EXPECT_EQ(graph, view.ShownGraph()) << view.TitleText().toStdString();
    }
    EXPECT_TRUE(view.TitleText().startsWith("Разрез: профиль 1")) << view.TitleText().toStdString();
}

TEST_F(MeasurementPageTest, ATapShowsTheValueUnderThePen)
{
    Settings().showMap = 0;
    Settings().showSection = 0;
    Settings().showProfileCurve = 0;
    CPropertyPageView1& view = BeginSurvey(1);
    view.OnKeyDown(hardware_key::kLeft, false); // back to the measured station
    view.repaint();
    view.OnKeyDown(hardware_key::kEnter, false);
    view.repaint();
    ASSERT_EQ(MeasurementPage::kSoundingGraph, view.ShownGraph());
    const QRect area = view.Layout().RectOf(MeasurementPage::kSoundingGraph);
    QPoint valued, empty(-1, -1);
    for (int y = area.top(); y <= area.bottom() && valued.isNull(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const float v = view.Canvas().GetValue(x, y);
            if (v != kNoDataValue && valued.isNull())
                valued = QPoint(x, y);
            if (v == kNoDataValue && empty.x() < 0)
                empty = QPoint(x, y);
        }
    ASSERT_FALSE(valued.isNull());
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, empty);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_FALSE(view.Tooltip().IsVisible());
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, valued);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, valued);
    EXPECT_TRUE(view.Tooltip().IsVisible());
    EXPECT_EQ(QString::asprintf("%.2lf кванты", static_cast<double>(view.Canvas().GetValue(valued.x(), valued.y()))),
              view.Tooltip().Text());
}

// A changed unit shows as soon as the page is shown again, in the title and in the tap, and
// on the graph that was shown; a resize draws that graph again too, never another.
TEST_F(MeasurementPageTest, NeverAStaleUnitNorAnotherGraph)
{
    Settings().unitMeasure = 0;
    Settings().signalComponent = 1;
    Settings().minStationsSection = 2;
    CPropertyPageView1& view = BeginSurvey(8);
    view.OnKeyDown(hardware_key::kDown, false);
    view.repaint();
    view.OnKeyDown(hardware_key::kEnter, false); // on to the section
    view.repaint();
    const uint32_t shown = view.ShownGraph();
    ASSERT_NE(MeasurementPage::kNoGraph, shown);
    EXPECT_TRUE(view.TitleText().endsWith(", кванты (квадр.)")) << view.TitleText().toStdString();

    ASSERT_TRUE(Sheet().SetActivePage(0)); // "Настройки": apparent values, as resistivity
    QTest::mouseClick(Sheet().PageW1().Layout().Get<QAbstractButton>(2002), Qt::LeftButton);
    QTest::mouseClick(Sheet().PageW1().Layout().Get<QAbstractButton>(2003), Qt::LeftButton);
    ASSERT_TRUE(Sheet().SetActivePage(2));
    view.repaint();
    EXPECT_EQ(shown, view.ShownGraph());
    EXPECT_TRUE(view.TitleText().endsWith(", Ом·м (квадр.)")) << view.TitleText().toStdString();
    const QRect area = view.Layout().RectOf(static_cast<int>(shown));
    QPoint valued;
    for (int y = area.top(); y <= area.bottom() && valued.isNull(); ++y)
        for (int x = area.left(); x <= area.right() && valued.isNull(); ++x)
            if (view.Canvas().GetValue(x, y) != kNoDataValue)
                valued = QPoint(x, y);
    ASSERT_FALSE(valued.isNull());
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, valued);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, valued);
    EXPECT_EQ(QString::asprintf("%.2lf Ом·м", static_cast<double>(view.Canvas().GetValue(valued.x(), valued.y()))),
              view.Tooltip().Text());

    for (QSize size : {QSize(300, 420), QSize(800, 600), QSize(480, 640)}) {
        Sheet().resize(size);
        QApplication::processEvents();
        view.repaint();
        EXPECT_EQ(shown, view.ShownGraph()) << size.width();
    }
}

TEST(PopupLabelTest, HangsBelowTheTapAndHidesItself)
{
    QWidget owner;
    PopupLabel label;
    label.SetDisplayTime(10);
    label.SetText("12.34");
    ASSERT_TRUE(label.Show(5, 40, &owner)); // wider than five columns: starts at 0
    EXPECT_EQ(0, label.Geometry().left());
    EXPECT_EQ(40, label.Geometry().top());
    ASSERT_TRUE(label.Show(300, 40, &owner));
    EXPECT_EQ(300, label.Geometry().right()); // ends at the tapped column
    EXPECT_TRUE(label.IsVisible());
    ASSERT_TRUE(Eventually([&] { return !label.IsVisible(); }, 2000));
}

} // namespace
