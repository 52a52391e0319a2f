#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "ui/CPropertyPageS1.h"
#include "ui/CPropertyPageW1.h"
#include "ui/CPropertyPageW2.h"
#include "ui/SheetFixture.h"
#include "ui/UpDownControl.h"

using testing_support::SheetTest;

namespace {

class DisplayPagesTest : public SheetTest {
protected:
    void BeginMapWork()
    {
        Settings().workType = kWorkMap;
        Sheet().show();
        QTest::mouseClick(static_cast<QAbstractButton*>(const_cast<QWidget*>(Sheet().PageS1().Layout().Control(1010))),
                          Qt::LeftButton);
        ASSERT_EQ(3, Sheet().PageCount());
    }
    template <class T> T* In(const CPropertyPageBase& page, int id)
    {
        return static_cast<T*>(const_cast<QWidget*>(page.Layout().Control(id)));
    }
    void Click(const CPropertyPageBase& page, int id) { QTest::mouseClick(In<QAbstractButton>(page, id), Qt::LeftButton); }
    void Type(const CPropertyPageBase& page, int id, const char* text)
    {
        QLineEdit* edit = In<QLineEdit>(page, id);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(DisplayPagesTest, ProcessingSwitchesFollowTheirOrder)
{
    Settings().unitMeasure = 0;
    Settings().signalComponent = 1;
    Settings().phaseEqualization = 0;
    Settings().normalizeToCurrent = 0;
    Settings().subtractUndercompensation = 0;
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(0));
    CPropertyPageW1& w1 = Sheet().PageW1();
    const auto box = [&](int id) { return In<QAbstractButton>(w1, id); };

    Click(w1, 1021); // phase correction under quadrature: current and zero forced on
    EXPECT_TRUE(box(1022)->isChecked() && box(1024)->isChecked());
    EXPECT_FALSE(box(1022)->isEnabled() || box(1024)->isEnabled());

    Click(w1, 2011); // module: phase correction cleared, which frees the two boxes again
    EXPECT_FALSE(box(1021)->isChecked());
    EXPECT_FALSE(box(1021)->isEnabled());
    EXPECT_TRUE(box(1022)->isEnabled() && box(1024)->isEnabled());

    Click(w1, 2002); // apparent values replace the corrections
    for (int id : {1021, 1022, 1023, 1024, 1055, 1036, 1037})
        EXPECT_FALSE(In<QWidget>(w1, id)->isVisible()) << id;
    for (int id : {2003, 2004, 1025})
        EXPECT_TRUE(In<QWidget>(w1, id)->isVisible()) << id;

    ASSERT_TRUE(Sheet().SetActivePage(1));
    EXPECT_EQ(1, Settings().unitMeasure);
    EXPECT_EQ(0, Settings().signalComponent);
    EXPECT_EQ(0, Settings().phaseEqualization);
    EXPECT_EQ(1, Settings().normalizeToCurrent); // forced on while phase correction was
}

// A track's lag and antenna offset are set on "Настройки", within their ranges; a survey has
// no positions to correct and does not show them.
TEST_F(DisplayPagesTest, GpsLagAndAntennaOffsetOnlyForTracks)
{
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(0));
    CPropertyPageW1& w1 = Sheet().PageW1();
    EXPECT_FALSE(In<QWidget>(w1, 2022)->isVisible());

    Settings().workType = kWorkGpsTrack;
    ASSERT_TRUE(Sheet().SetActivePage(1));
    ASSERT_TRUE(Sheet().SetActivePage(0));
    EXPECT_TRUE(In<QWidget>(w1, 2022)->isVisible() && In<QWidget>(w1, 2024)->isVisible());
    Type(w1, 2022, "6");
    prompter.ExpectMessage("Введите число от 0 до 5.");
    EXPECT_FALSE(Sheet().SetActivePage(1));
    Type(w1, 2022, "0,4"); // a Russian keyboard's decimal comma
    Type(w1, 2024, "-1.2");
    ASSERT_TRUE(Sheet().SetActivePage(1));
    EXPECT_FLOAT_EQ(0.4f, Settings().gpsLagSeconds);
    EXPECT_FLOAT_EQ(-1.2f, Settings().antennaAheadMetres);
}

// The inversion's switch frees its noise and height, which reach the settings within their
// ranges; noise that is nothing at all is refused.
TEST_F(DisplayPagesTest, InversionSettingsOnlyWithTheSwitchAndWithinTheirRanges)
{
    Settings().inversionOn = 0;
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(0));
    CPropertyPageW1& w1 = Sheet().PageW1();
    for (int id : {2033, 2035, 2037})
        EXPECT_FALSE(In<QWidget>(w1, id)->isEnabled()) << id;
    Click(w1, 2031);
    for (int id : {2033, 2035, 2037})
        EXPECT_TRUE(In<QWidget>(w1, id)->isEnabled()) << id;
    Type(w1, 2033, "11");
    prompter.ExpectMessage("Введите число от 0 до 10.");
    EXPECT_FALSE(Sheet().SetActivePage(1));
    Type(w1, 2033, "0,5");
    Type(w1, 2035, "0");
    Type(w1, 2037, "0");
    prompter.ExpectMessage("Шум не может быть нулевым: задайте проценты или порог.");
    EXPECT_FALSE(Sheet().SetActivePage(1));
    Type(w1, 2035, "3");
    Type(w1, 2037, "0.5");
    ASSERT_TRUE(Sheet().SetActivePage(1));
    EXPECT_EQ(1, Settings().inversionOn);
    EXPECT_FLOAT_EQ(0.5f, Settings().instrumentHeight);
    EXPECT_FLOAT_EQ(3.0f, Settings().inversionNoisePercent);
    EXPECT_FLOAT_EQ(0.5f, Settings().inversionNoiseFloorUnits);
}

TEST_F(DisplayPagesTest, SpinsWrapWithinTheirRanges)
{
    struct Case {
        int edit, spin;
        int32_t gridStations, gridProfiles;
        const char* before;
        int delta; // the up arrow is −1
        const char* after;
    };
    const Case cases[] = {
        {1041, 1049, 0, 0, "10", -1, "1"},
        {1041, 1049, 0, 0, "1", 1, "10"},
        {1041, 1049, 0, 0, "4", -1, "5"},
        {1039, 1057, 12, 0, "12", -1, "2"},
        {1039, 1057, 12, 0, "2", 1, "12"},
        {1047, 1056, 12, 0, "2", 1, "12"},
        {1039, 1057, 0, 0, "2", 1, "65535"},
        {1039, 1057, 0, 0, "65535", -1, "2"},
        {1040, 1058, 0, 1, "2", 1, "2"},
        {1040, 1058, 0, 5, "2", 1, "5"},
        {1059, 1060, 0, 0, "0", 1, "9999"},
        {1059, 1060, 0, 0, "9999", -1, "0"},
    };
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(1));
    CPropertyPageW2& w2 = Sheet().PageW2();
    for (const Case& c : cases) {
        Settings().gridStations = c.gridStations;
        Settings().gridProfiles = c.gridProfiles;
        In<QLineEdit>(w2, c.edit)->setText(c.before);
        In<UpDownControl>(w2, c.spin)->Click(c.delta);
        EXPECT_EQ(c.after, In<QLineEdit>(w2, c.edit)->text().toStdString()) << c.edit << " from " << c.before;
    }
}

TEST_F(DisplayPagesTest, TimerSwitchReachesTheSettingsAtOnce)
{
    Settings().timerModeOn = 0;
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(1));
    CPropertyPageW2& w2 = Sheet().PageW2();
    EXPECT_FALSE(In<QWidget>(w2, 1048)->isEnabled());
    Click(w2, 1055);
    EXPECT_EQ(1, Settings().timerModeOn);
    EXPECT_TRUE(In<QWidget>(w2, 1048)->isEnabled());
}

// Opens the "Цвет" menu by holding the strip and picks the command from it.
void ChooseColourCommand(CPropertyPageW2& page, QPoint point, int command)
{
    page.SetMenuRunner([command](QMenu& menu, QPoint) -> QAction* {
        EXPECT_EQ("Цвет", menu.title());
        for (QAction* action : menu.actions())
            if (action->data().toInt() == command)
                return action;
        return nullptr;
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, page.mapToGlobal(point));
    QApplication::sendEvent(&page, &event);
}

TEST_F(DisplayPagesTest, ColourMenuCommandsEditTheTappedChart)
{
    BeginMapWork();
    ASSERT_TRUE(Sheet().SetActivePage(1));
    CPropertyPageW2& w2 = Sheet().PageW2();
    ColorChart& chart = Settings().mapChart;
    chart.LoadPreset(0);
    const std::vector<Colour> preset = chart.Stops();
    const std::vector<Colour> sectionBefore = Settings().sectionChart.Stops();
    ASSERT_GE(preset.size(), 3u);
    const QRect strip = w2.Layout().RectOf(CPropertyPageW2::kMapStrip);
    const int w = w2.CellWidth(CPropertyPageW2::kMapStrip, preset.size());
    const QPoint second(strip.left() + w + w / 2, strip.center().y());

    prompter.ExpectColour(preset[1], 0x00123456);
    ChooseColourCommand(w2, second, CPropertyPageW2::kChangeColour);
    EXPECT_EQ(0x00123456u, chart.Stops()[1]);
    EXPECT_EQ(preset[1], w2.CustomColours()[0]); // the replaced colour is kept at hand

    prompter.ExpectColour(0x00123456, std::nullopt); // cancelled: nothing changes
    ChooseColourCommand(w2, second, CPropertyPageW2::kAddColour);
    EXPECT_EQ(preset.size(), chart.Stops().size());

    ChooseColourCommand(w2, second, CPropertyPageW2::kRemoveColour);
    EXPECT_EQ(preset.size() - 1, chart.Stops().size());
    EXPECT_EQ(0x00123456u, w2.CustomColours()[1]);

    const std::vector<Colour> before = chart.Stops();
    ChooseColourCommand(w2, second, CPropertyPageW2::kMirrorChart);
    EXPECT_EQ(std::vector<Colour>(before.rbegin(), before.rend()), chart.Stops());

    ChooseColourCommand(w2, second, CPropertyPageW2::kRgbPreset);
    EXPECT_EQ(preset, chart.Stops());
    ChooseColourCommand(w2, second, CPropertyPageW2::kRes2dinvPreset);
    EXPECT_NE(preset, chart.Stops());
    EXPECT_EQ(sectionBefore, Settings().sectionChart.Stops()); // the other strip is left alone

    while (!chart.Stops().empty())
        chart.RemoveStops(0, 1);
    ChooseColourCommand(w2, second, CPropertyPageW2::kChangeColour); // nothing to change: no dialog
    prompter.ExpectColour(0x00FFFFFF, 0x000000FF);
    ChooseColourCommand(w2, second, CPropertyPageW2::kAddColour);
    EXPECT_EQ(std::vector<Colour>{0x000000FF}, chart.Stops());
}

} // namespace
