#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/CPropertyPageS1.h"
#include "ui/CPropertyPageS2.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

class SetupPagesTest : public SheetTest {
protected:
    CPropertyPageS1& S1() { return Sheet().PageS1(); }
    QWidget* Control(int id) { return const_cast<QWidget*>(S1().Layout().Control(id)); }
    QCheckBox* Box(int id) { return static_cast<QCheckBox*>(Control(id)); }
    void ChooseMode(int index)
    {
        S1().ModeList()->setCurrentIndex(index);
        Q_EMIT S1().ModeList()->activated(index);
    }
};

TEST_F(SetupPagesTest, ModeShowsOnlyItsGridControls)
{
    // label and edit ids: X size, Y size, X step, Y step
    struct Case {
        int mode;
        bool xSize, ySize, xStep, yStep;
    };
    const Case cases[] = {
        {0, true, true, true, true},    // Карта
        {1, true, false, true, false},  // Ограниченный профиль
        {2, false, false, true, false}, // Профиль
        {3, false, false, false, false} // GPS трек
    };
    Sheet().show();
    for (const Case& c : cases) {
        ChooseMode(c.mode);
        const std::pair<int, bool> expected[] = {{1008, c.xSize}, {1001, c.xSize}, {1009, c.ySize}, {1002, c.ySize},
                                                 {1006, c.xStep}, {1003, c.xStep}, {1007, c.yStep}, {1004, c.yStep}};
        for (auto [id, visible] : expected)
            EXPECT_EQ(visible, Control(id)->isVisible()) << "mode " << c.mode << " control " << id;
    }
}

TEST_F(SetupPagesTest, UncheckingAllKeepsTheLastClickedFrequency)
{
    Settings().usedFrequencies.fill(0);
    Settings().usedFrequencies[0] = 1;
    Sheet();
    QTest::mouseClick(Box(1027), Qt::LeftButton); // all on
    QTest::mouseClick(Box(1015), Qt::LeftButton); // 5 off, remembered
    QTest::mouseClick(Box(1015), Qt::LeftButton); // 5 on again: all 14 set, "Все" checked
    EXPECT_TRUE(Box(1027)->isChecked());
    QTest::mouseClick(Box(1027), Qt::LeftButton); // all off but the last clicked
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(i == 4, Box(1011 + i)->isChecked()) << "frequency " << i + 1;
}

TEST_F(SetupPagesTest, TracerSwitchLivesOnlyWithFrequencyOneAlone)
{
    Settings().usedFrequencies.fill(0);
    Settings().usedFrequencies[0] = 1;
    Settings().tracerModeOn = 1;
    Sheet();
    S1().OnSetActive();
    EXPECT_TRUE(Control(1028)->isEnabled());
    EXPECT_TRUE(Box(1028)->isChecked());
    QTest::mouseClick(Box(1012), Qt::LeftButton); // a second frequency
    EXPECT_FALSE(Control(1028)->isEnabled());
    ASSERT_TRUE(S1().OnKillActive());
    EXPECT_EQ(0, Settings().tracerModeOn);
    EXPECT_EQ(1, Settings().usedFrequencies[1]);
}

TEST_F(SetupPagesTest, AddMergesAFileAndRemoveAsksFirst)
{
    std::string ini = "[LUR 12]\nDate=03/04/2010\n";
    for (int i = 1; i <= 14; ++i)
        ini += "F" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    testing_support::WriteFile(dir.File("merge.ini"), ini);
    Sheet();
    EXPECT_EQ("<отсутствует>", S1().DeviceList()->currentText()); // an empty store
    EXPECT_FALSE(Control(1026)->isEnabled());
    prompter.ExpectFile(dir.File("merge.ini"));
    QTest::mouseClick(static_cast<QPushButton*>(Control(1025)), Qt::LeftButton);
    EXPECT_EQ("ini", prompter.lastFileChoice.defaultExtension);
    ASSERT_EQ(1, S1().DeviceList()->count());
    EXPECT_EQ("LUR 12, 03/04/2010", S1().DeviceList()->currentText());

    prompter.ExpectMessage("Вы уверены, что хотите удалить калибровочные данные для TORVAL 12 (03/04/2010)?",
                           platform::PromptAnswer::No);
    QTest::mouseClick(static_cast<QPushButton*>(Control(1026)), Qt::LeftButton);
    EXPECT_EQ("Удалить TORVAL 12, 03/04/2010?", prompter.lastCaption);
    EXPECT_EQ(1u, Settings().calibrations.Sets().size());
    prompter.ExpectMessage("Вы уверены, что хотите удалить калибровочные данные для TORVAL 12 (03/04/2010)?",
                           platform::PromptAnswer::Yes);
    QTest::mouseClick(static_cast<QPushButton*>(Control(1026)), Qt::LeftButton);
    EXPECT_TRUE(Settings().calibrations.Sets().empty());
    EXPECT_EQ("<отсутствует>", S1().DeviceList()->currentText());
}

// "Добавить" with a file that holds no calibration, or none that can be read, says so and
// keeps the list as it was.
TEST_F(SetupPagesTest, AddSaysWhyAFileAddedNothing)
{
    testing_support::WriteFile(dir.File("notes.ini"), "[Общие]\nИмя=участок\n");
    std::string zero = "[LUR 7]\nDate=01/02/2011\n";
    for (int i = 1; i <= 14; ++i)
        zero += "F" + std::to_string(i) + "=" + std::to_string(i == 3 ? 0 : i) + "\n";
    testing_support::WriteFile(dir.File("zero.ini"), zero);
    Sheet();
    QPushButton* add = static_cast<QPushButton*>(Control(1025));
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"notes.ini", "В «notes.ini» нет калибровочных данных прибора: ничего не добавлено."},
        {"gone.ini", "Не удалось открыть «gone.ini»: нет такого файла или папки."},
        {"zero.ini", "В «zero.ini» калибровка TORVAL 7 (01/02/2011) содержит нулевую частоту: она и всё, что после "
                     "неё, не добавлены."},
    };
    for (const auto& c : cases) {
        prompter.ExpectFile(dir.File(c.file));
        prompter.ExpectMessage(c.message);
        QTest::mouseClick(add, Qt::LeftButton);
        EXPECT_TRUE(Settings().calibrations.Sets().empty()) << c.file;
        EXPECT_EQ("<отсутствует>", S1().DeviceList()->currentText()) << c.file;
    }
}

TEST_F(SetupPagesTest, ValuesThatDoNotValidateKeepThePage)
{
    struct Case {
        int edit;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {1001, "0", "Введите целое число от 1 до 65535."},
        {1002, "-3", "Введите положительное целое число."},
        {1003, "abc", "Введите число."},
        {1004, "0.05", "Введите число от 0.1 до 65535."},
    };
    Sheet();
    for (const Case& c : cases) {
        S1().OnSetActive();
        static_cast<QLineEdit*>(Control(c.edit))->setText(c.text);
        prompter.ExpectMessage(c.message);
        EXPECT_FALSE(Sheet().SetActivePage(1)) << c.text;
        EXPECT_EQ(0, Sheet().ActiveIndex());
    }
    S1().OnSetActive();
    for (int i = 0; i < 14; ++i)
        Box(1011 + i)->setChecked(false);
    prompter.ExpectMessage("Хотя бы одна частота должна быть включена");
    QTest::mouseClick(static_cast<QPushButton*>(Control(1010)), Qt::LeftButton);
    EXPECT_EQ(2, Sheet().PageCount()); // no work begun
}

TEST_F(SetupPagesTest, PortsAndBaudRateReachTheSettings)
{
    Sheet();
    ASSERT_TRUE(Sheet().SetActivePage(1));
    CPropertyPageS2& s2 = Sheet().PageS2();
    static_cast<QLineEdit*>(const_cast<QWidget*>(s2.Layout().Control(1049)))->setText("7");
    static_cast<QLineEdit*>(const_cast<QWidget*>(s2.Layout().Control(1050)))->setText("8");
    ASSERT_EQ(15, s2.BaudList()->count());
    s2.BaudList()->setCurrentIndex(s2.BaudList()->findText("4800"));
    ASSERT_TRUE(Sheet().SetActivePage(0));
    EXPECT_EQ(7, Settings().btInboundPort);
    EXPECT_EQ(8, Settings().btOutboundPort);
    EXPECT_EQ(78, Settings().gpsBaudId);
}

} // namespace
