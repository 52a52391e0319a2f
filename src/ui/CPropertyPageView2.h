#pragma once
#include <QBasicTimer>
#include <cstdint>
#include <optional>

#include "gps/FixQualityMonitor.h"
#include "platform/Clock.h"
#include "ui/MeasurementPage.h"

class CGpsPositionService;
class TrackDataSet;

// "Главная" of the GPS track mode: readings along a freely walked track, each tied to a GPS
// position, with the track drawn over the graph and a small view of it. The receiver's fix is
// watched all along: its state is shown over the track view, and a loss, a degradation past
// the HDOP limit and the return each beep once.
class CPropertyPageView2 : public MeasurementPage {
    Q_OBJECT
public:
    static constexpr int kShowTrackCommand = 32810;
    static constexpr int kFixWatchMs = 1000;

    explicit CPropertyPageView2(PageServices& services);

    void SetWork(WorkSession* work) override;
    void ResetDisplayState() override;
    void OnSetActive() override;
    void RadiusStep(int delta);

    uint32_t CurrentIndex() const { return currentIndex_; }
    uint32_t Radius() const { return radius_; }
    // The fix watch's state and its text over the track view.
    FixQualityMonitor::State FixState() const;
    QString FixText() const;
    // Time passing without fixes, as the watch's timer sees it.
    void WatchFix();
    // The receiver's port would not open: said over the track view until a fix arrives.
    void OnGpsConnectionFailed();
    bool event(QEvent* event) override;

protected:
    void LoadFromSettings() override;
    void StoreToSettings() override;
    void DoDataExchange(DataExchange& dx) override;
    bool GraphAllowed(uint32_t graph) const override;
    GraphPosition ShownPosition() const override;
    QString GraphTitle(uint32_t graph) const override;
    void KeepOrDropShownGraph() override;
    void MoveByKey(int code, bool autoRepeat) override;
    void ShowCurrentPosition() override;
    void AfterReading() override;
    void PaintOverlay(QPainter& window) override;
    void timerEvent(QTimerEvent* event) override;
    void AddViewMenuItems(QMenu& menu) override;
    void OnViewCommand(int command) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyRadiusToGridder();
    void FixChanged(FixQualityMonitor::Change change);

    platform::Clock& clock_;
    TrackDataSet* track_ = nullptr;
    uint32_t currentIndex_ = 0;
    uint32_t radius_ = 0;
    uint32_t shownReading_ = 0;
    uint32_t lastReading_ = 0;
    uint32_t lastRadius_ = 0;
    uint32_t lastPaintTime_ = 0;
    uint32_t held_ = 0; // steps taken while an arrow key is held
    std::optional<FixQualityMonitor> fixWatch_;
    bool gpsUnreachable_ = false;
    QBasicTimer fixTimer_;
};
