#include "ui/CLurControlSheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <new>

#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "instrument/CInstrument.h"
#include "settings/CSettings.h"
#include "platform/FileIO.h"
#include "session/WorkSession.h"
#include "session/AcquisitionJournal.h"
#include "session/JournalRecovery.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageGPSView.h"
#include "ui/CPropertyPageS1.h"
#include "ui/CPropertyPageS2.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/CPropertyPageW1.h"
#include "ui/CPropertyPageW2.h"
#include "ui/HardwareKeys.h"
#include "ui/SessionCommands.h"
#include "ui/SessionExportCommand.h"
#include "ui/SheetEvents.h"
#include "ui/WorkTypeNames.h"

namespace {

const char* const kSessionFilter = "LUR Files (*.lur)|*.lur|All Files (*.*)|*.*||";

// Every control must stay readable: the hand-held's own screen is the smallest we lay out for.
constexpr int kMinimumWidth = 240;
constexpr int kMinimumHeight = 320;
// How soon an exit asked for during a reading is tried again.
constexpr int kRetryMs = 100;

} // namespace

CLurControlSheet::CLurControlSheet(PageServices services)
    : services_(services), tabs_(new QTabBar), stack_(new QStackedWidget)
{
    services_.sheet = this;
    setWindowTitle("Lur Control");
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setFocusPolicy(Qt::StrongFocus);

    QMenu* session = menuBar()->addMenu("Сессия");
    const auto command = [this, session](const char* text, int id) {
        QAction* action = session->addAction(QString::fromUtf8(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] {
            SheetEvent event(static_cast<uint32_t>(id));
            QCoreApplication::sendEvent(this, &event);
        });
        return action;
    };
    command("Создать", kCommandNew);
    command("Открыть", kCommandOpen);
    save_ = command("Сохранить", kCommandSave);
    export_ = command("Экспорт…", kCommandExport);
    session->addSeparator();
    command("Завершить", kCommandExit);

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    tabs_->setFocusPolicy(Qt::NoFocus);
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(true);
    tabs_->installEventFilter(this);
    column->addWidget(tabs_);
    column->addWidget(stack_, 1);
    setCentralWidget(central);

    s1_ = std::make_unique<CPropertyPageS1>(services_);
    s2_ = std::make_unique<CPropertyPageS2>(services_);
    w1_ = std::make_unique<CPropertyPageW1>(services_);
    w2_ = std::make_unique<CPropertyPageW2>(services_);
    view1_ = std::make_unique<CPropertyPageView1>(services_);
    view2_ = std::make_unique<CPropertyPageView2>(services_);
    gps_ = std::make_unique<CPropertyPageGPSView>(services_);
    for (CPropertyPageBase* page : {static_cast<CPropertyPageBase*>(s1_.get()), static_cast<CPropertyPageBase*>(s2_.get()),
                                    static_cast<CPropertyPageBase*>(w1_.get()), static_cast<CPropertyPageBase*>(w2_.get()),
                                    static_cast<CPropertyPageBase*>(view1_.get()),
                                    static_cast<CPropertyPageBase*>(view2_.get()), static_cast<CPropertyPageBase*>(gps_.get())})
        page->hide();

    qApp->installEventFilter(this);
    ResetPages();
}

CLurControlSheet::~CLurControlSheet()
{
    // The settings may be gone by now: the pages are let go without storing anything.
    qApp->removeEventFilter(this);
    for (CPropertyPageBase* page : shown_)
        stack_->removeWidget(page);
    shown_.clear();
}

CPropertyPageBase* CLurControlSheet::ActivePage() const
{
    return active_ >= 0 ? shown_[static_cast<size_t>(active_)] : nullptr;
}

MeasurementPage* CLurControlSheet::ActiveMeasurementPage() const
{
    CPropertyPageBase* page = ActivePage();
    if (page == view1_.get())
        return view1_.get();
    if (page == view2_.get())
        return view2_.get();
    return nullptr;
}

bool CLurControlSheet::SetActivePage(int index)
{
    if (index < 0 || index >= PageCount())
        return false;
    if (index == active_)
        return true;
    if (CPropertyPageBase* leaving = ActivePage(); leaving != nullptr && !leaving->OnKillActive())
        return false;
    active_ = index;
    CPropertyPageBase* page = ActivePage();
    stack_->setCurrentWidget(page);
    tabs_->setCurrentIndex(index);
    page->OnSetActive();
    return true;
}

void CLurControlSheet::AddPage(CPropertyPageBase* page)
{
    shown_.push_back(page);
    stack_->addWidget(page);
    tabs_->addTab(page->Title());
}

void CLurControlSheet::RemoveAllPages()
{
    if (CPropertyPageBase* page = ActivePage())
        page->OnKillActive();
    active_ = -1;
    while (!shown_.empty()) {
        stack_->removeWidget(shown_.back());
        shown_.back()->hide();
        shown_.pop_back();
        tabs_->removeTab(tabs_->count() - 1);
    }
}

void CLurControlSheet::StepPage(int step)
{
    const int count = PageCount();
    if (count == 0)
        return;
    SetActivePage((active_ + count + step) % count);
}

DataSet* CLurControlSheet::Data() const
{
    return work_ ? &work_->Data() : nullptr;
}

std::string CLurControlSheet::JournalDirectory() const
{
    return services_.journalDirectory.empty() ? AcquisitionJournal::DefaultDirectory() : services_.journalDirectory;
}

void CLurControlSheet::CloseWork()
{
    view1_->SetWork(nullptr);
    view2_->SetWork(nullptr);
    if (work_)
        work_->Close();
    work_.reset();
}

void CLurControlSheet::AttachWork(std::unique_ptr<WorkSession> work)
{
    work_ = std::move(work);
    // Readings are journalled before they count; without a journal they live in memory only.
    if (!work_->Begin())
        services_.prompter.Ask("Журнал показаний недоступен (" + work_->Journal().Error() +
                                   "). Показания будут только в памяти: сохраняйте сессию.",
                               "", platform::PromptButtons::Ok, platform::PromptIcon::Warning);
}

void CLurControlSheet::ResetPages()
{
    RemoveAllPages();
    CloseWork();
    AddPage(s1_.get());
    AddPage(s2_.get());
    SetActivePage(0);
    save_->setEnabled(false);
    export_->setEnabled(false);
}

void CLurControlSheet::BeginWork()
{
    RemoveAllPages();
    AddPage(w1_.get());
    SetActivePage(0);
    const int32_t workType = services_.settings.workType;
    try {
        const bool survey = workType == kWorkMap || workType == kWorkLimitedProfile || workType == kWorkProfile;
        if (!work_ && (survey || workType == kWorkGpsTrack)) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            auto work = std::make_unique<WorkSession>(services_.settings, JournalDirectory());
            QApplication::restoreOverrideCursor();
            AttachWork(std::move(work));
        }
        if (survey) {
            view1_->ResetDisplayState();
            view1_->SetWork(work_.get());
            AddPage(w2_.get());
            AddPage(view1_.get());
            SetActivePage(2);
            services_.instrument.SetUseGps(false);
        } else if (workType == kWorkGpsTrack) {
            work_->ConnectPositions(services_.positions, reinterpret_cast<WindowId>(view2_.get()));
            view2_->ResetDisplayState();
            view2_->SetWork(work_.get());
            AddPage(w2_.get());
            AddPage(view2_.get());
            AddPage(gps_.get());
            SetActivePage(2);
            services_.instrument.SetUseGps(true);
            services_.parser.Reset();
            services_.positions.Reset();
        }
    } catch (const std::bad_alloc&) {
        QApplication::restoreOverrideCursor();
        Report("Недостаточно памяти");
        RemoveAllPages();
        ResetPages();
        Layout(false);
        return;
    }
    save_->setEnabled(true);
    export_->setEnabled(true);
}

void CLurControlSheet::Report(const std::string& text)
{
    services_.prompter.Ask(text, "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
}

bool CLurControlSheet::AskToSave(bool afterError)
{
    if (!work_ || !work_->Data().Modified())
        return true;
    const char* question = afterError ? "Ошибка измерения. Сохранить изменения?" : "Сохранить изменения?";
    switch (services_.prompter.Ask(question, "", platform::PromptButtons::YesNoCancel, platform::PromptIcon::Question)) {
    case platform::PromptAnswer::Yes:
        OnSave();
        return !work_->Data().Modified();
    case platform::PromptAnswer::No:
        return true;
    default:
        return false;
    }
}

void CLurControlSheet::OnSave()
{
    if (!work_)
        return;
    platform::FileChoice choice;
    choice.save = true;
    choice.filter = kSessionFilter;
    choice.defaultExtension = "lur";
    choice.initialName = work_->Data().DefaultName();
    choice.overwritePrompt = true;
    const std::optional<std::string> path = services_.prompter.ChooseFile(choice);
    if (!path)
        return;
    work_->Data().SetName(*path);
    // Through a temporary file and a rename: a failed save never truncates the old file.
    const platform::FileResult saved = work_->Save(*path);
    if (!saved.ok)
        Report("Ошибка открытия файла: " + saved.error.substr(0, 1024));
}

void CLurControlSheet::OnExport()
{
    if (!work_)
        return;
    // The page's edits (frequency, display settings) reach the settings the export reads.
    CPropertyPageBase* page = ActivePage();
    if (page != nullptr && !page->OnKillActive())
        return;
    ExportCurrentSession(work_->Data(), services_.settings, services_.prompter);
    if (page != nullptr)
        page->OnSetActive();
}

void CLurControlSheet::OnOpen()
{
    if (!AskToSave(false))
        return;
    platform::FileChoice choice;
    choice.filter = kSessionFilter;
    choice.defaultExtension = "lur";
    choice.initialName = "*.lur";
    const std::optional<std::string> path = services_.prompter.ChooseFile(choice);
    if (!path)
        return;
    CPropertyPageBase* page = ActivePage();
    if (page != nullptr)
        page->OnKillActive();
    // The work on screen is replaced only by a session that loaded.
    OpenSessionResult opened = OpenSession(*path, services_.settings);
    if (!opened.dataSet) {
        if (page != nullptr)
            page->OnSetActive();
        Report(opened.unreadable ? "Ошибка открытия файла: " + opened.error : "Ошибка: неверный формат файла.");
        return;
    }
    // The page takes up the settings of the file before it is left again, so its old
    // values (the work type above all) cannot overwrite them.
    if (page != nullptr)
        page->OnSetActive();
    RemoveAllPages();
    CloseWork();
    opened.dataSet->SetName(*path);
    AttachWork(std::make_unique<WorkSession>(services_.settings, std::move(opened.dataSet), JournalDirectory()));
    BeginWork();
}

void CLurControlSheet::OnNew()
{
    if (!AskToSave(false))
        return;
    ResetPages();
    Layout(false);
}

void CLurControlSheet::OnExit()
{
    if (!AskToSave(false))
        return;
    if (CPropertyPageBase* page = ActivePage())
        page->OnKillActive();
    CloseWork();
    exitRequested_ = true;
    close();
    // Ends the program's event loop with exit code 0; without one running (tests) there is
    // nothing to end, and asking would make the next loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool CLurControlSheet::ExchangeRunning() const
{
    return view1_->Exchanging() || view2_->Exchanging();
}

void CLurControlSheet::Terminate()
{
    if (ExchangeRunning()) {
        QTimer::singleShot(kRetryMs, this, &CLurControlSheet::Terminate);
        return;
    }
    if (CPropertyPageBase* page = ActivePage())
        page->OnKillActive();
    exitRequested_ = true;
    close();
    // Ends the program's event loop with exit code 0; without one running (tests) there is
    // nothing to end, and asking would make the next loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void CLurControlSheet::ReleaseData()
{
    view1_->SetWork(nullptr);
    view2_->SetWork(nullptr);
    work_.reset();
}

void CLurControlSheet::OfferRecovery()
{
    for (const std::string& path : ListJournals(JournalDirectory())) {
        if (work_ || exitRequested_)
            return;
        std::string bytes;
        if (!platform::ReadWholeFile(path, kMaxJournalBytes, bytes).ok)
            continue;
        const JournalSummary summary = SummarizeJournal(bytes);
        if (!summary.begun || summary.readings == 0)
            continue;
        const QString begun = QDateTime::fromSecsSinceEpoch(summary.begin.created).toString("dd.MM.yyyy HH:mm");
        const std::string question = QString("Найдены несохранённые показания прошлой работы (%1, начата %2, "
                                             "показаний: %3). Восстановить их?")
                                         .arg(WorkTypeName(summary.begin.workType), begun)
                                         .arg(summary.readings)
                                         .toStdString();
        if (services_.prompter.Ask(question, "", platform::PromptButtons::YesNo, platform::PromptIcon::Question) !=
            platform::PromptAnswer::Yes)
            continue;
        if (CPropertyPageBase* page = ActivePage())
            page->OnKillActive();
        RecoveryResult recovered = RecoverJournal(bytes, services_.settings);
        if (!recovered.dataSet) {
            Report("Журнал не читается: " + recovered.problem);
            continue;
        }
        if (CPropertyPageBase* page = ActivePage())
            page->OnSetActive();
        RemoveAllPages();
        CloseWork();
        AttachWork(std::make_unique<WorkSession>(services_.settings, std::move(recovered.dataSet), JournalDirectory()));
        // The readings now live in the new work's journal; the old one is let go only then.
        if (work_->Journal().Durable())
            std::remove(path.c_str());
        BeginWork();
        return;
    }
}

void CLurControlSheet::Layout(bool fullScreen)
{
    fullScreenLayout_ = fullScreen;
    raise();
    activateWindow();
    // On a desktop the window changes state only when the operator asked for full screen.
    if (fullScreen && operatorFullScreen_)
        showFullScreen();
    else if (!fullScreen && isFullScreen())
        showNormal();
}

void CLurControlSheet::closeEvent(QCloseEvent* event)
{
    if (exitRequested_) {
        event->accept();
        return;
    }
    // The title bar's close button is Exit: ask to save first.
    event->ignore();
    if (ExchangeRunning()) {
        QTimer::singleShot(kRetryMs, this, &CLurControlSheet::close);
        return;
    }
    OnExit();
}

bool CLurControlSheet::event(QEvent* event)
{
    const auto type = static_cast<uint32_t>(event->type());
    const auto* sheetEvent = dynamic_cast<SheetEvent*>(event);
    if (sheetEvent == nullptr)
        return QMainWindow::event(event);
    switch (type) {
    case UM_BEGIN_WORK:
        BeginWork();
        return true;
    case UM_RESET_PAGES:
        ResetPages();
        return true;
    case UM_NEXT_PAGE:
        StepPage(1);
        return true;
    case UM_PREV_PAGE:
        StepPage(-1);
        return true;
    case UM_FULL_SCREEN:
        Layout(sheetEvent->wParam != 0);
        return true;
    case UM_MEASUREMENT_ERROR:
        AskToSave(true);
        return true;
    case kCommandNew:
        OnNew();
        return true;
    case kCommandOpen:
        OnOpen();
        return true;
    case kCommandSave:
        OnSave();
        return true;
    case kCommandExport:
        OnExport();
        return true;
    case kCommandExit:
        OnExit();
        return true;
    default:
        return QMainWindow::event(event);
    }
}

bool CLurControlSheet::RouteKey(QKeyEvent* key)
{
    if (key->key() == Qt::Key_F11 && key->modifiers() == Qt::NoModifier) {
        operatorFullScreen_ = !operatorFullScreen_;
        Layout(fullScreenLayout_);
        if (!operatorFullScreen_ && isFullScreen())
            showNormal();
        return true;
    }
    const int code = HardwareKeyCode(*key);
    if (code == hardware_key::kPreviousPage || code == hardware_key::kNextPage) {
        StepPage(code == hardware_key::kPreviousPage ? -1 : 1);
        return true;
    }
    if (MeasurementPage* page = ActiveMeasurementPage()) {
        if (code == 0)
            return false;
        page->OnKeyDown(code, key->isAutoRepeat());
        return true;
    }
    // On the setting pages Enter does not press the default button.
    return code == hardware_key::kEnter;
}

bool CLurControlSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabs_) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            SetActivePage(tabs_->tabAt(mouse->position().toPoint()));
            return true;
        }
        if (event->type() == QEvent::Wheel)
            return true;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && QApplication::activePopupWidget() == nullptr &&
        QApplication::activeModalWidget() == nullptr)
        return RouteKey(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}
