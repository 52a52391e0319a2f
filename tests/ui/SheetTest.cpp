#include <QKeyEvent>
#include <algorithm>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <QTest>

#include "session/WorkSession.h"
#include "support/ScriptedSource.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageW2.h"
#include "ui/SessionCommands.h"
#include "ui/SheetEvents.h"
#include "ui/Eventually.h"
#include "ui/SheetFixture.h"

using platform::PromptAnswer;
using testing_support::SheetTest;

namespace {

class SheetStateTest : public SheetTest {
protected:
    void Send(uint32_t message, uintptr_t wParam = 0)
    {
        SheetEvent event(message, wParam);
        QCoreApplication::sendEvent(&Sheet(), &event);
    }
    std::vector<std::string> Titles()
    {
        std::vector<std::string> titles;
        for (int i = 0; i < Sheet().PageCount(); ++i)
            titles.push_back(Sheet().Page(i)->Title().toStdString());
        return titles;
    }
    // A session file of the work type written by the core.
    std::string SessionFile(int32_t workType, const std::string& name)
    {
        Settings().workType = workType;
        Settings().xSize = 3;
        Settings().ySize = 2;
        std::unique_ptr<DataSet> data;
        if (workType == kWorkGpsTrack)
            data = std::make_unique<TrackDataSet>(Settings());
        else
            data = std::make_unique<SurveyDataSet>(Settings());
        ScriptedSource source;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(MeasureOutcome::Stored, source.Measure(*data));
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveSession(*data, path).ok);
        return path;
    }
    // The item of the window's menu, as the operator picks it.
    QAction* MenuItem(const QString& menu, const QString& item)
    {
        for (QAction* top : Sheet().menuBar()->actions())
            if (top->text() == menu && top->menu() != nullptr)
                for (QAction* action : top->menu()->actions())
                    if (action->text() == item)
                        return action;
        ADD_FAILURE() << "no menu item " << item.toStdString();
        return nullptr;
    }
    void PressKey(Qt::Key key)
    {
        QWidget* target = Sheet().ActivePage();
        QTest::keyClick(target, key);
    }

    const std::vector<std::string> kSetup{"Основные настройки", "Дополнительно"};
    const std::vector<std::string> kSurvey{"Настройки", "Визуализация", "Главная"};
    const std::vector<std::string> kTrack{"Настройки", "Визуализация", "Главная", "GPS"};
};

TEST_F(SheetStateTest, BeginWorkShowsThePagesOfTheWorkType)
{
    struct Case {
        int32_t workType;
        const std::vector<std::string>* pages;
        int active;
    };
    const Case cases[] = {{kWorkMap, &kSurvey, 2}, {kWorkLimitedProfile, &kSurvey, 2}, {kWorkProfile, &kSurvey, 2},
                          {kWorkGpsTrack, &kTrack, 2}};
    for (const Case& c : cases) {
        Settings().workType = c.workType;
        Send(UM_RESET_PAGES);
        EXPECT_EQ(kSetup, Titles());
        EXPECT_FALSE(Sheet().SaveAction()->isEnabled());
        Send(UM_BEGIN_WORK);
        EXPECT_EQ(*c.pages, Titles()) << c.workType;
        EXPECT_EQ(c.active, Sheet().ActiveIndex());
        EXPECT_TRUE(Sheet().SaveAction()->isEnabled());
        ASSERT_NE(nullptr, Sheet().Data());
        EXPECT_EQ(c.workType == kWorkGpsTrack, dynamic_cast<TrackDataSet*>(Sheet().Data()) != nullptr);
    }
}

TEST_F(SheetStateTest, OpenBringsThePagesOfTheFilesWorkType)
{
    const std::string survey = SessionFile(kWorkMap, "map.lur");
    const std::string track = SessionFile(kWorkGpsTrack, "track.lur");
    Settings().workType = kWorkMap;
    Sheet(); // on "Основные настройки", whose mode says map
    prompter.ExpectFile(track);
    Sheet().OnOpen();
    EXPECT_EQ(kTrack, Titles());
    EXPECT_EQ(2, Sheet().ActiveIndex());
    EXPECT_EQ(kWorkGpsTrack, Settings().workType);
    EXPECT_EQ(3u, Sheet().Data()->RecordCount());
    // The track's receiver is being connected: the next command waits for that.
    ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));
    prompter.ExpectFile(survey);
    Sheet().OnOpen();
    EXPECT_EQ(kSurvey, Titles());
    EXPECT_EQ(2, Sheet().ActiveIndex());
    EXPECT_EQ(kWorkMap, Settings().workType);
    EXPECT_EQ(6u, Sheet().Data()->RecordCount());
}

TEST_F(SheetStateTest, OpeningAFileThatIsNotASessionKeepsTheWork)
{
    BeginMapWithReadings(2);
    DataSet* before = Sheet().Data();
    testing_support::WriteFile(dir.File("notes.txt"), "not a session\n");
    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    prompter.ExpectFile(dir.File("notes.txt"));
    prompter.ExpectMessage("Файл «notes.txt» — не файл сессии или повреждён.");
    Sheet().OnOpen();
    EXPECT_EQ(before, Sheet().Data());
    EXPECT_EQ(kSurvey, Titles());

    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    prompter.ExpectFile(dir.File("missing.lur"));
    prompter.ExpectMessage("Не удалось открыть «missing.lur»: файл не найден.");
    Sheet().OnOpen();
    EXPECT_EQ(before, Sheet().Data());
}

// A session file broken off inside a reading (a card pulled while saving) offers its whole
// readings; declined, the work on screen stays and nothing more is said.
TEST_F(SheetStateTest, ACutShortSessionOffersItsWholeReadings)
{
    const std::string track = SessionFile(kWorkGpsTrack, "track.lur");
    std::filesystem::resize_file(track, std::filesystem::file_size(track) - 60);
    BeginMapWithReadings(1);
    Sheet().Data()->SetModified(false);
    DataSet* before = Sheet().Data();
    QAction* open = MenuItem("Сессия", "Открыть");
    const std::string question = "Файл «track.lur» обрезан: целых показаний 2 из 3.\nОткрыть их?";
    prompter.ExpectFile(track);
    prompter.ExpectMessage(question, PromptAnswer::No);
    open->trigger();
    EXPECT_EQ(before, Sheet().Data());
    EXPECT_EQ(kSurvey, Titles());

    prompter.ExpectFile(track);
    prompter.ExpectMessage(question, PromptAnswer::Yes);
    open->trigger();
    EXPECT_EQ(kTrack, Titles());
    ASSERT_NE(nullptr, dynamic_cast<TrackDataSet*>(Sheet().Data()));
    EXPECT_EQ(2u, Sheet().Data()->RecordCount());
    EXPECT_TRUE(Sheet().Data()->Modified()); // what is on disk is not what is on screen
    ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));
}

TEST_F(SheetStateTest, AskToSaveFollowsTheAnswer)
{
    struct Case {
        PromptAnswer answer;
        std::optional<std::string> file; // the save dialog's answer after Yes
        bool proceeds;
        bool modifiedAfter;
    };
    const Case cases[] = {
        {PromptAnswer::Cancel, std::nullopt, false, true},
        {PromptAnswer::No, std::nullopt, true, true},
        {PromptAnswer::Yes, std::nullopt, false, true}, // save dialog cancelled
        {PromptAnswer::Yes, "saved.lur", true, false},
    };
    BeginMapWithReadings(1);
    for (const Case& c : cases) {
        Sheet().Data()->SetModified(true);
        prompter.ExpectMessage("Сохранить изменения?", c.answer);
        if (c.answer == PromptAnswer::Yes)
            prompter.ExpectFile(c.file ? std::optional(dir.File(*c.file)) : std::nullopt);
        EXPECT_EQ(c.proceeds, Sheet().AskToSave(false));
        EXPECT_EQ(c.modifiedAfter, Sheet().Data()->Modified());
    }
    Sheet().Data()->SetModified(true);
    prompter.ExpectMessage("Ошибка измерения.\nСохранить изменения?", PromptAnswer::No);
    Send(UM_MEASUREMENT_ERROR);
}

// Every message the tests see is checked for words the operator does not speak; the check
// itself must see what the program once said.
TEST(OperatorWords, LatinWordsAndTemporaryFilesAreFoundOutsideTheOperatorsNames)
{
    EXPECT_EQ(" .tmp Cannot create Permission denied",
              testing_support::NotTheOperatorsWords("Ошибка открытия файла: Cannot create «test.lur.tmp-wbN14d»: Permission denied"));
    EXPECT_EQ("", testing_support::NotTheOperatorsWords("Записано (сетка GeoTIFF):\n/tmp/участок/map.tif\nWGS 84 (EPSG:4326)"));
    EXPECT_EQ("", testing_support::NotTheOperatorsWords("Не удалось открыть «report final.lur»: файл не найден."));
}

TEST_F(SheetStateTest, AFailedSaveKeepsTheReadingsUnsavedAndTheOldFile)
{
    BeginMapWithReadings(2);
    const std::string target = dir.File("nowhere/readings.lur");
    prompter.ExpectFile(target);
    prompter.ExpectMessage("Не удалось сохранить «readings.lur»: нет папки «" + dir.File("nowhere") + "».");
    Sheet().OnSave();
    EXPECT_TRUE(Sheet().Data()->Modified());
    EXPECT_EQ(target, Sheet().Data()->Name()); // the next Save proposes it
}

// A disk that fills up while saving over an earlier file (a file size limit stands in for it):
// the operator's file is as it was, the readings stay unsaved, and the message names the file.
TEST_F(SheetStateTest, ASaveThatRunsOutOfSpaceKeepsTheEarlierFile)
{
    const std::string earlier = SessionFile(kWorkMap, "map.lur");
    const std::string before = testing_support::ReadFile(earlier);
    BeginMapWithReadings(12);
    prompter.ExpectFile(earlier);
    prompter.ExpectMessage("Не удалось сохранить «map.lur»: файл больше, чем разрешено.");
    WithFileSizeLimit(before.size() + 100, [this] { Sheet().SaveAction()->trigger(); });
    EXPECT_EQ(platform::PromptIcon::Error, prompter.lastIcon);
    EXPECT_EQ(before, testing_support::ReadFile(earlier));
    EXPECT_TRUE(Sheet().Data()->Modified());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("map.lur.")) << "a temporary file left";
}

TEST_F(SheetStateTest, ExitAsksAndCancelKeepsEverything)
{
    BeginMapWithReadings(1);
    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::Cancel);
    Sheet().close(); // the title bar's close
    EXPECT_FALSE(Sheet().ExitRequested());
    EXPECT_EQ(kSurvey, Titles());
    prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
    Sheet().OnExit();
    EXPECT_TRUE(Sheet().ExitRequested());
}

TEST_F(SheetStateTest, PageKeysWrapAndMeasurementPagesGetTheKeys)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 5;
    Settings().ySize = 3;
    Sheet().show();
    PressKey(Qt::Key_PageUp); // on the first page: the last
    EXPECT_EQ(1, Sheet().ActiveIndex());
    PressKey(Qt::Key_PageDown); // on the last: the first
    EXPECT_EQ(0, Sheet().ActiveIndex());
    PressKey(Qt::Key_Return); // consumed on a setup page: no work begins
    EXPECT_EQ(kSetup, Titles());

    Send(UM_BEGIN_WORK);
    auto& view = Sheet().PageView1();
    QApplication::processEvents(); // the first paint
    ASSERT_FALSE(view.RepaintPending());
    PressKey(Qt::Key_Right);
    EXPECT_EQ(1u, view.CurrentStation());
    QApplication::processEvents();
    PressKey(Qt::Key_Up);
    EXPECT_EQ(1u, view.CurrentProfile());
}

// A page that does not validate stops "Создать" and "Открыть" where they stand: the work and
// the page's other edits stay, and nothing was asked of the file dialog.
TEST_F(SheetStateTest, APageThatDoesNotValidateStopsNewAndOpen)
{
    BeginMapWithReadings(2);
    ASSERT_TRUE(Sheet().SetActivePage(0)); // "Настройки"
    auto* power = Sheet().ActivePage()->Layout().Get<QLineEdit>(1055);
    power->setText("много");
    for (int command : {kCommandNew, kCommandOpen}) {
        SCOPED_TRACE(command);
        prompter.ExpectMessage("Сохранить изменения?", PromptAnswer::No);
        if (command == kCommandOpen)
            prompter.ExpectFile(SessionFile(kWorkGpsTrack, "other.lur"));
        prompter.ExpectMessage("Введите число.");
        Send(uint32_t(command));
        ASSERT_NE(nullptr, Sheet().Work());
        EXPECT_EQ(2, std::count_if(Sheet().Data()->Records().begin(), Sheet().Data()->Records().end(),
                                   [](const MeasurementRecord& r) { return !r.Empty(); }));
        EXPECT_EQ("Настройки", Sheet().ActivePage()->Title().toStdString());
        EXPECT_EQ("много", power->text().toStdString());
    }
}

} // namespace
