// Every page and every dialog of the program on the screen at hand (the test runs once per
// screen size, see CMakeLists.txt): each control lies inside the screen, and no control covers
// another.
#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "ui/CPropertyPageBase.h"
#include "ui/CPropertyPageS1.h"
#include "ui/ExportDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SheetEvents.h"
#include "ui/Eventually.h"
#include "ui/SheetFixture.h"

using testing_support::SheetTest;

namespace {

QRect ScreenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect Global(const QWidget& widget)
{
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// What of a widget can be seen: a scrolled list's items outside its viewport cannot.
QRect Seen(const QWidget& widget)
{
    return widget.visibleRegion().boundingRect().translated(widget.mapToGlobal(QPoint(0, 0)));
}

// The widgets a person sees and uses: visible, not a container drawn behind others.
std::vector<const QWidget*> Controls(const QWidget& parent)
{
    std::vector<const QWidget*> controls;
    for (const QWidget* child : parent.findChildren<const QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && !qobject_cast<const QGroupBox*>(child) && child->width() > 0)
            controls.push_back(child);
    return controls;
}

// Inside the screen, and over no sibling by more than a pixel's rounding.
void ExpectLaidOut(const QWidget& parent, const std::string& where)
{
    const QRect screen = ScreenArea();
    const std::vector<const QWidget*> controls = Controls(parent);
    for (const QWidget* control : controls) {
        const QRect rect = Global(*control);
        EXPECT_TRUE(screen.contains(rect)) << where << ": " << control->metaObject()->className() << " "
                                           << control->objectName().toStdString() << " at " << rect.x() << ","
                                           << rect.y() << " " << rect.width() << "x" << rect.height();
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const QRect overlap = controls[i]->geometry().intersected(controls[j]->geometry());
            EXPECT_FALSE(overlap.width() > 2 && overlap.height() > 2)
                << where << ": " << controls[i]->metaObject()->className() << " and "
                << controls[j]->metaObject()->className() << " overlap by " << overlap.width() << "x"
                << overlap.height();
        }
}

class ScreenGeometryTest : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        fitToScreen = true;
    }
    void CheckEveryPage(const std::string& state)
    {
        for (int i = 0; i < Sheet().PageCount(); ++i) {
            ASSERT_TRUE(Sheet().SetActivePage(i));
            QApplication::processEvents();
            EXPECT_TRUE(ScreenArea().contains(Sheet().frameGeometry())) << state;
            ExpectLaidOut(*Sheet().Page(i), state + " / " + Sheet().Page(i)->Title().toStdString());
        }
    }
    // Opens a dialog through the program's own prompter and checks it as it is shown.
    void CheckDialog(const std::string& what, const std::function<void(QtPrompter&)>& open)
    {
        QtPrompter real;
        real.SetOwner(&Sheet());
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, dialog) << what;
            seen = true;
            const QRect at = dialog->frameGeometry();
            EXPECT_TRUE(ScreenArea().contains(at))
                << what << " at " << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
            for (const QWidget* child : dialog->findChildren<const QWidget*>()) {
                if (child->isVisible() && child->width() > 0) {
                    const QRect seen = Seen(*child);
                    EXPECT_TRUE(seen.isEmpty() || ScreenArea().contains(seen))
                        << what << ": " << child->metaObject()->className() << " "
                        << child->objectName().toStdString() << " at " << seen.x() << "," << seen.y() << " "
                        << seen.width() << "x" << seen.height();
                }
            }
            dialog->close();
        });
        open(real);
        EXPECT_TRUE(seen) << what;
    }
};

TEST_F(ScreenGeometryTest, EveryPageFitsTheScreen)
{
    CheckEveryPage("setup");
    for (int32_t workType : {kWorkMap, kWorkGpsTrack}) {
        Settings().workType = workType;
        ASSERT_TRUE(Sheet().SetActivePage(0));
        Sheet().PageS1().OnSetActive();
        BeginWork();
        CheckEveryPage(workType == kWorkMap ? "survey" : "track");
        ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));
        SheetEvent reset(UM_RESET_PAGES);
        QCoreApplication::sendEvent(&Sheet(), &reset);
    }
}

// "Настройки" holds the inversion's switch, noise and height on every screen, and a track's
// GPS corrections beside them; each text is whole in its control.
TEST_F(ScreenGeometryTest, TheProcessingSettingsShowTheirTextsWhole)
{
    for (int32_t workType : {kWorkMap, kWorkGpsTrack}) {
        Settings().workType = workType;
        Settings().inversionOn = 1;
        ASSERT_TRUE(Sheet().SetActivePage(0));
        Sheet().PageS1().OnSetActive();
        BeginWork();
        ASSERT_TRUE(Sheet().SetActivePage(0));
        QApplication::processEvents();
        const CPropertyPageBase& w1 = *Sheet().Page(0);
        std::vector<int> ids = {2031, 2032, 2033, 2034, 2035, 2036, 2037};
        if (workType == kWorkGpsTrack)
            ids.insert(ids.end(), {2021, 2022, 2023, 2024});
        for (int id : ids) {
            const QWidget* control = w1.Layout().Control(id);
            ASSERT_NE(nullptr, control) << id;
            EXPECT_TRUE(control->isVisible()) << id;
            EXPECT_TRUE(ScreenArea().contains(Global(*control))) << id;
            if (qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractButton*>(control)) {
                EXPECT_LE(control->sizeHint().width(), control->width())
                    << id << " " << workType << ": the text is cut";
            }
        }
        ASSERT_TRUE(testing_support::Eventually([this] { return !Engine().ExchangeRunning(); }));
        SheetEvent reset(UM_RESET_PAGES);
        QCoreApplication::sendEvent(&Sheet(), &reset);
    }
}

TEST_F(ScreenGeometryTest, EveryDialogFitsTheScreen)
{
    Sheet();
    CheckDialog("message", [](QtPrompter& p) {
        p.Ask("Ошибка открытия файла «/home/operator/Документы/участок северный/профиль 12 повторный.lur»: "
              "нет прав на запись в папку «/home/operator/Документы/участок северный».",
              "", platform::PromptButtons::YesNoCancel, platform::PromptIcon::Error);
    });
    CheckDialog("open", [this](QtPrompter& p) {
        platform::FileChoice choice;
        choice.filter = "Сессии LUR (*.lur)|*.lur|Все файлы (*.*)|*.*||";
        choice.initialName = dir.path() + "/*.lur";
        p.ChooseFile(choice);
    });
    CheckDialog("save", [this](QtPrompter& p) {
        platform::FileChoice choice;
        choice.save = true;
        choice.filter = "Сессии LUR (*.lur)|*.lur|Все файлы (*.*)|*.*||";
        choice.initialName = dir.path() + "/a.lur";
        p.ChooseSaveFile(choice);
    });
    CheckDialog("colour", [](QtPrompter& p) {
        platform::CustomColours custom{};
        p.ChooseColour(0x00FF0000, custom);
    });
    CheckDialog("export", [](QtPrompter& p) {
        platform::ExportOptionsRequest request;
        request.grid = request.radius = request.keepUnlocated = true;
        request.cellHint = "по умолчанию 0.25 м";
        request.radiusHint = "по умолчанию 12.5 м";
        p.ChooseExportOptions(request);
    });
}

} // namespace
