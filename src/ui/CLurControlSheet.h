#pragma once
#include <QMainWindow>
#include <ctime>
#include <memory>
#include <vector>

#include "acquisition/AcquisitionListener.h"
#include "ui/PageServices.h"

class AcquisitionEngine;
class CGpsPositionService;
class CPropertyPageBase;
class CPropertyPageGPSView;
class CPropertyPageS1;
class CPropertyPageS2;
class CPropertyPageView1;
class CPropertyPageView2;
class CPropertyPageW1;
class CPropertyPageW2;
class DataSet;
class WorkSession;
class MeasurementPage;
class QAction;
class QStackedWidget;
class QTabBar;

// The program's one window: the pages of the current state as tabs, the "Сессия" menu, key
// routing and the two layouts. The current work lives in the acquisition engine; the sheet
// hears the engine's reports and passes those about readings to the page of the work. A
// session command chosen while a reading runs ends any series at once and is carried out
// when the reading has been stored. UI thread only.
class CLurControlSheet : public QMainWindow, private AcquisitionListener {
    Q_OBJECT
public:
    explicit CLurControlSheet(PageServices services);
    ~CLurControlSheet() override;

    // The session menu.
    void OnNew();
    void OnOpen();
    void OnSave();
    void OnExport();
    void OnExit();
    // SIGTERM or SIGINT: end in order without asking; unsaved readings stay in the journal.
    void Terminate();
    // Yes saves first; false when the caller should not go on.
    bool AskToSave(bool afterError);

    DataSet* Data() const;
    WorkSession* Work() const;
    // Deletes the data set, keeping its journal: the first step of shutting down.
    void ReleaseData();
    // Offers the unsaved readings that earlier runs left in their journals, one journal at
    // a time; a journal declined is kept, one that another running program writes is not
    // offered.
    void OfferRecovery();
    int PageCount() const { return static_cast<int>(shown_.size()); }
    int ActiveIndex() const { return active_; }
    CPropertyPageBase* ActivePage() const;
    CPropertyPageBase* Page(int index) const { return shown_.at(static_cast<size_t>(index)); }
    // Activates a page, refused (false) when the active page does not validate.
    bool SetActivePage(int index);
    QAction* SaveAction() const { return save_; }
    QAction* ExportAction() const { return export_; }
    bool ExitRequested() const { return exitRequested_; }
    // A session command waits for the running reading.
    bool CommandWaiting() const { return deferred_ != 0; }
    bool FullScreenLayout() const { return fullScreenLayout_; }

    CPropertyPageS1& PageS1() const { return *s1_; }
    CPropertyPageS2& PageS2() const { return *s2_; }
    CPropertyPageW1& PageW1() const { return *w1_; }
    CPropertyPageW2& PageW2() const { return *w2_; }
    CPropertyPageView1& PageView1() const { return *view1_; }
    CPropertyPageView2& PageView2() const { return *view2_; }
    CPropertyPageGPSView& PageGps() const { return *gps_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // AcquisitionListener: the engine's reports.
    void StartAccepted() override;
    void SeriesStarted() override;
    void SeriesEnded(SeriesEnd why) override;
    void BatteryRead(std::optional<uint32_t> voltage) override;
    void ConnectionFailed(ExchangeFailure failure, int error) override;
    void GpsConnectionFailed(int error) override;
    void ReadingStored(const StoredReading& stored) override;
    void ReadingFailed(ExchangeFailure failure) override;
    void ProfileStart() override;
    void EndOfWork() override;
    void Idle() override;
    MeasurementPage* WorkPage() const;
    // The time of day, from GPS time once a fix has dated the machine's clock.
    std::time_t TimeOfDay() const;

    // The rule for session commands: true when `command` may go on now; otherwise it waits
    // for the running reading (false).
    bool ReadyFor(int command);
    void RunWaitingCommand();
    void RunCommand(int command);
    // The active page stores its edits; false when it does not validate (the command stops).
    bool LeaveActivePage();
    void FinishTerminate();
    void ResetPages();
    void BeginWork();
    // Gives up the current work on purpose (its journal goes with it).
    void CloseWork();
    void AttachWork(std::unique_ptr<WorkSession> work);
    std::string JournalDirectory() const;
    void RemoveAllPages();
    void AddPage(CPropertyPageBase* page);
    void StepPage(int step);
    void Layout(bool fullScreen);
    void Report(const std::string& text);
    MeasurementPage* ActiveMeasurementPage() const;
    bool RouteKey(QKeyEvent* key);

    PageServices services_;
    AcquisitionEngine& engine_;
    QTabBar* tabs_;
    QStackedWidget* stack_;
    QAction* save_;
    QAction* export_;
    std::unique_ptr<CPropertyPageS1> s1_;
    std::unique_ptr<CPropertyPageS2> s2_;
    std::unique_ptr<CPropertyPageW1> w1_;
    std::unique_ptr<CPropertyPageW2> w2_;
    std::unique_ptr<CPropertyPageView1> view1_;
    std::unique_ptr<CPropertyPageView2> view2_;
    std::unique_ptr<CPropertyPageGPSView> gps_;
    std::vector<CPropertyPageBase*> shown_;
    int active_ = -1;
    bool exitRequested_ = false;
    int deferred_ = 0; // the session command waiting for the running reading
    std::string readingFailure_; // why the last reading failed, for the question that follows
    bool fullScreenLayout_ = false;
    bool operatorFullScreen_ = false; // F11
};
