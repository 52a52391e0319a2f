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
#include <algorithm>
#include <cstdio>
#include <new>

#include "acquisition/AcquisitionEngine.h"
#include "gps/CGpsPositionService.h"
#include "gps/CNmeaParser.h"
#include "gps/GpsClockOffset.h"
#include "settings/CSettings.h"
#include "session/AcquisitionJournal.h"
#include "session/LeftJournals.h"
#include "session/SessionFile.h"
#include "session/WorkSession.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"
#include "ui/CPropertyPageGPSView.h"
#include "ui/CrossThreadEvent.h"
#include "ui/CPropertyPageS1.h"
#include "ui/CPropertyPageS2.h"
#include "ui/CPropertyPageView1.h"
#include "ui/CPropertyPageView2.h"
#include "ui/CPropertyPageW1.h"
#include "ui/CPropertyPageW2.h"
#include "ui/HardwareKeys.h"
#include "ui/MeasurementTexts.h"
#include "ui/SessionCommands.h"
#include "ui/SessionExportCommand.h"
#include "ui/SheetEvents.h"
#include "ui/SheetTexts.h"
#include "ui/WorkTypeNames.h"

namespace {

// Every control must stay readable; a hand-held's screen, upright or on its side, is the
// smallest we lay out for.
constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 200;

// Commands that are not menu items but wait by the same rule.
constexpr int kCommandTerminate = -1;
constexpr int kCommandResetPages = int(UM_RESET_PAGES);

// Which of two waiting commands is kept: ending the program outranks the others, and of
// the others the latest choice counts.
int Outranking(int waiting, int chosen)
{
    const auto rank = [](int command) {
        return command == kCommandTerminate ? 2 : command == kCommandExit ? 1 : 0;
    };
    return rank(waiting) > rank(chosen) ? waiting : chosen;
}

} // namespace

CLurControlSheet::CLurControlSheet(PageServices services)
    : services_(services), engine_(services_.acquisition), tabs_(new QTabBar), stack_(new QStackedWidget)
{
    services_.sheet = this;
    engine_.SetListener(this);
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
    engine_.SetListener(nullptr);
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
    return Work() ? &Work()->Data() : nullptr;
}

WorkSession* CLurControlSheet::Work() const
{
    return engine_.Work();
}

std::string CLurControlSheet::JournalDirectory() const
{
    return services_.journalDirectory.empty() ? AcquisitionJournal::DefaultDirectory() : services_.journalDirectory;
}

void CLurControlSheet::CloseWork()
{
    view1_->SetWork(nullptr);
    view2_->SetWork(nullptr);
    // Only reached with no reading running: commands wait for it.
    if (const std::unique_ptr<WorkSession> work = engine_.TakeWork())
        work->Close();
}

void CLurControlSheet::AttachWork(std::unique_ptr<WorkSession> work)
{
    // Readings are journalled before they count; without a journal they live in memory only.
    if (!work->Begin(TimeOfDay()))
        services_.prompter.Ask(sheet_texts::JournalUnavailable(work->Journal().ErrorNumber()), "",
                               platform::PromptButtons::Ok, platform::PromptIcon::Warning);
    engine_.SetWork(std::move(work));
}

std::time_t CLurControlSheet::TimeOfDay() const
{
    // The machine's clock may be off (nothing here sets it): GPS time dates what it can.
    const auto now = services_.clock != nullptr ? services_.clock->Now() : std::chrono::system_clock::now();
    return std::chrono::system_clock::to_time_t(now);
}

MeasurementPage* CLurControlSheet::WorkPage() const
{
    if (Work() == nullptr)
        return nullptr;
    return Work()->Track() != nullptr ? static_cast<MeasurementPage*>(view2_.get())
                                      : static_cast<MeasurementPage*>(view1_.get());
}

void CLurControlSheet::StartAccepted()
{
    if (MeasurementPage* page = WorkPage())
        page->OnStartAccepted();
}

void CLurControlSheet::SeriesStarted()
{
    if (MeasurementPage* page = WorkPage())
        page->OnSeriesChanged(true, SeriesEnd::Operator);
}

void CLurControlSheet::SeriesEnded(SeriesEnd why)
{
    if (MeasurementPage* page = WorkPage())
        page->OnSeriesChanged(false, why);
}

void CLurControlSheet::BatteryRead(std::optional<uint32_t> voltage)
{
    if (MeasurementPage* page = WorkPage())
        page->OnBatteryRead(voltage);
}

void CLurControlSheet::ConnectionFailed(ExchangeFailure failure, int error)
{
    if (MeasurementPage* page = WorkPage())
        page->OnConnectionFailed(
            measurement_texts::ConnectionFailed(failure, error, engine_.InstrumentDevice(), engine_.GpsDevice()));
}

void CLurControlSheet::GpsConnectionFailed(int)
{
    // Not a box: the operator may switch the receiver on later; the next Start tries again.
    view2_->OnGpsConnectionFailed();
}

void CLurControlSheet::ReadingStored(const StoredReading& stored)
{
    if (MeasurementPage* page = WorkPage())
        page->OnReadingStored(stored);
}

void CLurControlSheet::ReadingFailed(ExchangeFailure failure)
{
    readingFailure_ = measurement_texts::ReadingFailure(failure, engine_.InstrumentDevice());
    if (MeasurementPage* page = WorkPage())
        page->OnReadingFailed();
}

void CLurControlSheet::ProfileStart()
{
    if (MeasurementPage* page = WorkPage())
        page->OnProfileStart();
}

void CLurControlSheet::EndOfWork()
{
    if (MeasurementPage* page = WorkPage())
        page->OnEndOfWork();
}

void CLurControlSheet::Idle()
{
    if (MeasurementPage* page = WorkPage())
        page->OnIdle();
    // Out of the engine's report: the command may open dialogs and replace the work.
    if (deferred_ != 0)
        QTimer::singleShot(0, this, &CLurControlSheet::RunWaitingCommand);
}

bool CLurControlSheet::ReadyFor(int command)
{
    if (engine_.RuleNow(Input::SessionCommand) == Rule::Refuse && command != kCommandTerminate)
        return false;
    if (command == kCommandTerminate ? engine_.Close() : engine_.Quiesce())
        return true;
    deferred_ = deferred_ == 0 ? command : Outranking(deferred_, command);
    return false;
}

void CLurControlSheet::RunWaitingCommand()
{
    if (deferred_ == 0 || engine_.ExchangeRunning())
        return;
    RunCommand(std::exchange(deferred_, 0));
}

void CLurControlSheet::RunCommand(int command)
{
    switch (command) {
    case kCommandTerminate:
        Terminate();
        break;
    case kCommandExit:
        OnExit();
        break;
    case kCommandNew:
        OnNew();
        break;
    case kCommandOpen:
        OnOpen();
        break;
    case kCommandResetPages:
        if (ReadyFor(kCommandResetPages))
            ResetPages();
        break;
    default:
        break;
    }
}

bool CLurControlSheet::LeaveActivePage()
{
    CPropertyPageBase* page = ActivePage();
    return page == nullptr || page->OnKillActive();
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
        if (!Work() && (survey || workType == kWorkGpsTrack)) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            auto work = std::make_unique<WorkSession>(services_.settings, JournalDirectory());
            QApplication::restoreOverrideCursor();
            AttachWork(std::move(work));
        }
        if (survey) {
            view1_->ResetDisplayState();
            view1_->SetWork(Work());
            AddPage(w2_.get());
            AddPage(view1_.get());
            SetActivePage(2);
        } else if (workType == kWorkGpsTrack) {
            services_.parser.Reset();
            services_.positions.Reset();
            services_.positions.SetGapLimitMs(uint32_t(std::max(0, services_.settings.gpsGapLimitMs)));
            Work()->ConnectPositions(services_.positions, reinterpret_cast<WindowId>(view2_.get()));
            view2_->ResetDisplayState();
            view2_->SetWork(Work());
            AddPage(w2_.get());
            AddPage(view2_.get());
            AddPage(gps_.get());
            SetActivePage(2);
        }
    } catch (const std::bad_alloc&) {
        QApplication::restoreOverrideCursor();
        Report(sheet_texts::kOutOfMemory);
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
    if (!Work() || !Work()->Data().Modified()) {
        // Nothing to save, but the operator still learns why the reading failed.
        if (afterError)
            Report("Ошибка измерения: " + readingFailure_);
        return true;
    }
    const std::string question =
        afterError ? sheet_texts::MeasurementFailedQuestion(readingFailure_) : sheet_texts::kSaveChanges;
    switch (services_.prompter.Ask(question, "", platform::PromptButtons::YesNoCancel, platform::PromptIcon::Question)) {
    case platform::PromptAnswer::Yes:
        OnSave();
        return Work() != nullptr && !Work()->Data().Modified();
    case platform::PromptAnswer::No:
        return true;
    default:
        return false;
    }
}

void CLurControlSheet::OnSave()
{
    WorkSession* work = Work();
    if (!work)
        return;
    platform::FileChoice choice;
    choice.save = true;
    choice.filter = sheet_texts::kSessionFilter;
    choice.defaultExtension = "lur";
    choice.initialName = work->Data().DefaultName(TimeOfDay());
    choice.overwritePrompt = true;
    const std::optional<std::string> path = services_.prompter.ChooseFile(choice);
    // The dialog's loop may have seen the work replaced (a signal ending the program).
    if (!path || Work() != work)
        return;
    work->Data().SetName(*path);
    // Through a temporary file and a rename: a failed save never truncates the old file.
    const platform::FileResult saved = work->Save(*path);
    if (!saved.ok)
        Report(sheet_texts::SaveFailed(*path, saved));
}

void CLurControlSheet::OnExport()
{
    if (!Work())
        return;
    // The page's edits (frequency, display settings) reach the settings the export reads.
    CPropertyPageBase* page = ActivePage();
    if (page != nullptr && !page->OnKillActive())
        return;
    ExportCurrentSession(Work()->Data(), services_.settings, services_.prompter);
    if (page != nullptr)
        page->OnSetActive();
}

void CLurControlSheet::OnOpen()
{
    if (!ReadyFor(kCommandOpen) || !AskToSave(false))
        return;
    platform::FileChoice choice;
    choice.filter = sheet_texts::kSessionFilter;
    choice.defaultExtension = "lur";
    choice.initialName = "*.lur";
    const std::optional<std::string> path = services_.prompter.ChooseFile(choice);
    if (!path || !LeaveActivePage())
        return;
    CPropertyPageBase* page = ActivePage();
    // The work on screen is replaced only by a session that loaded.
    OpenSessionResult opened = OpenSession(*path, services_.settings);
    // A file broken off inside its readings still holds the whole ones before the break.
    bool declined = false;
    if (!opened.dataSet && opened.cutShort && opened.intact > 0) {
        declined = services_.prompter.Ask(sheet_texts::CutShortQuestion(*path, opened), "",
                                          platform::PromptButtons::YesNo,
                                          platform::PromptIcon::Question) != platform::PromptAnswer::Yes;
        if (!declined)
            opened = OpenSession(*path, services_.settings, CutShortFile::KeepIntact);
    }
    if (!opened.dataSet) {
        if (page != nullptr)
            page->OnSetActive();
        if (!declined)
            Report(sheet_texts::OpenFailed(*path, opened));
        return;
    }
    // The page takes up the settings of the file before it is left again, so its old
    // values (the work type above all) cannot overwrite them.
    if (page != nullptr)
        page->OnSetActive();
    RemoveAllPages();
    CloseWork();
    opened.dataSet->SetName(*path);
    AttachWork(std::make_unique<WorkSession>(services_.settings, std::move(opened.dataSet), JournalDirectory(),
                                             WorkOrigin::Opened));
    BeginWork();
}

void CLurControlSheet::OnNew()
{
    if (!ReadyFor(kCommandNew) || !AskToSave(false) || !LeaveActivePage())
        return;
    ResetPages();
    Layout(false);
}

void CLurControlSheet::OnExit()
{
    if (!ReadyFor(kCommandExit) || !AskToSave(false) || !LeaveActivePage())
        return;
    CloseWork();
    exitRequested_ = true;
    close();
    // Ends the program's event loop with exit code 0; without one running (tests) there is
    // nothing to end, and asking would make the next loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void CLurControlSheet::Terminate()
{
    if (exitRequested_)
        return;
    if (!ReadyFor(kCommandTerminate))
        return;
    FinishTerminate();
}

void CLurControlSheet::FinishTerminate()
{
    // Nothing is asked: the page keeps what validates, the work stays in its journal.
    if (CPropertyPageBase* page = ActivePage())
        page->StoreWithoutAsking();
    exitRequested_ = true;
    close();
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void CLurControlSheet::ReleaseData()
{
    view1_->SetWork(nullptr);
    view2_->SetWork(nullptr);
    engine_.TakeWork(); // not closed: its journal stays for recovery
}

void CLurControlSheet::OfferRecovery()
{
    for (const LeftJournal& left : FindLeftJournals(JournalDirectory(), services_.settings)) {
        if (Work() || exitRequested_)
            return;
        if (left.state != LeftJournalState::Recoverable)
            continue;
        if (services_.prompter.Ask(sheet_texts::RecoveryQuestion(left), "", platform::PromptButtons::YesNo,
                                   platform::PromptIcon::Question) != platform::PromptAnswer::Yes)
            continue;
        if (!ReadyFor(kCommandResetPages) || !LeaveActivePage())
            return;
        RecoveredJournal recovered(left.path, services_.settings);
        RecoveryResult& result = recovered.Result();
        if (CPropertyPageBase* page = ActivePage())
            page->OnSetActive();
        if (!result.dataSet) {
            Report(sheet_texts::JournalUnreadable(left.path));
            continue;
        }
        RemoveAllPages();
        CloseWork();
        AttachWork(std::make_unique<WorkSession>(services_.settings, std::move(result.dataSet), JournalDirectory(),
                                                 WorkOrigin::Recovered));
        // The readings live in the new work's journal now; the old one goes only then, and
        // only when it gave back everything.
        const bool removed = Work()->Journal().Durable() && recovered.Settle();
        BeginWork();
        if (!removed && !result.complete)
            services_.prompter.Ask(sheet_texts::RecoveredFromDamaged(result.measured, left.path), "",
                                   platform::PromptButtons::Ok, platform::PromptIcon::Warning);
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
        RunCommand(kCommandResetPages);
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
    SeeCrossThreadEvents(); // every event passes here first, those of other threads too
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
