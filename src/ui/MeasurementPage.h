#pragma once
#include <QBasicTimer>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "graphics/DrawContext.h"
#include "graphics/PixelRect.h"
#include "graphics/GraphDispatch.h"
#include "acquisition/AcquisitionListener.h"
#include "acquisition/InputRules.h"
#include "graphics/ValueSurface.h"
#include "ui/CPropertyPageBase.h"
#include "ui/PopupLabel.h"

class DataSet;
class WindowInversion;
class WorkSession;

namespace platform {
class Clock;
}

// What the survey and the track page share: the canvas with its values, the cyclic graph
// choice, the title and battery fields, the value label, the view menu, the keys and what
// the operator sees of the measurement cycle, which the acquisition engine runs: the page
// hands it Start and shows what it reports (the sheet passes its reports on to the page
// of the work, active or not). With "Инверсия" on, the stations are inverted in the
// background as they are measured (a session opened whole), and the inverted section joins
// the graphs after the section.
class MeasurementPage : public CPropertyPageBase {
    Q_OBJECT
public:
    enum Graph : uint32_t {
        kNoGraph = 0,
        kMapGraph = 1001,
        kSectionGraph = 1002,
        kProfileCurveGraph = 1003,
        kSoundingGraph = 1004,
        kInvertedSectionGraph = 1005,
    };
    // The graphs in the order Enter steps through them.
    static constexpr std::array<uint32_t, 5> kGraphCycle{kMapGraph, kSectionGraph, kInvertedSectionGraph,
                                                         kProfileCurveGraph, kSoundingGraph};
    static constexpr int kStatusTimerId = 101;
    static constexpr int kStatusPollMs = 10000;
    static constexpr int kFlashMs = 80;
    // Inverted stations arriving faster than this are shown together.
    static constexpr uint32_t kInversionShowMs = 250;

    MeasurementPage(PageServices& services, QString title, std::span<const ControlSpec> controls);
    ~MeasurementPage() override;

    // The graph before `graph` in the cycle; kNoGraph before the first.
    static uint32_t GraphBefore(uint32_t graph);

    // The work whose readings the page takes and shows; null for none.
    virtual void SetWork(WorkSession* work);
    virtual void ResetDisplayState() = 0;

    void OnSetActive() override;
    bool OnKillActive() override;

    // A key routed by the sheet, as the hand-held's key code.
    virtual void OnKeyDown(int code, bool autoRepeat);
    void StartAction();
    void FrequencyStep(int delta);

    // The engine's reports about the work this page shows.
    void OnStartAccepted();
    void OnSeriesChanged(bool started, SeriesEnd why);
    void OnBatteryRead(std::optional<uint32_t> voltage);
    void OnConnectionFailed(const std::string& why);
    void OnReadingStored(const StoredReading& stored);
    void OnReadingFailed();
    void OnProfileStart();
    void OnEndOfWork();
    void OnIdle();

    uint32_t FrequencyNumber() const { return frequency_; }
    uint32_t ShownGraph() const { return shownGraph_; }
    QString TitleText() const;
    QString FieldText(int id) const;
    bool RepaintPending() const { return repaintPending_; }
    const ValueSurface& Canvas() const { return canvas_; }
    const PopupLabel& Tooltip() const { return tooltip_; }
    // Whatever makes the two short beeps and the exclamation beep; tests count them.
    void SetBeeper(std::function<void()> beep) { beep_ = std::move(beep); }
    // The charge of the machine's battery; tests give their own.
    void SetBatteryReader(std::function<int()> read) { readBattery_ = std::move(read); }
    // Runs the status poll as if its timer had fired.
    void PollStatus();
    // The background inversion once "Инверсия" has been on with a work; else null.
    const WindowInversion* Inversion() const { return inversion_.get(); }
    // Where the inverted section last put its depths.
    const DepthScale& InvertedDepth() const { return invertedDepth_; }
    // "Инверсия: 120 из 400" while a session is being inverted, else empty.
    QString InversionProgressText() const;

protected:
    // The graph candidates of the page.
    virtual bool GraphAllowed(uint32_t graph) const = 0;
    // Where the graphs stand: the shown profile and station, or the shown reading.
    virtual GraphPosition ShownPosition() const = 0;
    virtual QString GraphTitle(uint32_t graph) const = 0;
    virtual void KeepOrDropShownGraph() = 0;
    virtual void MoveByKey(int code, bool autoRepeat) = 0;
    virtual void ShowCurrentPosition() = 0; // Enter: the graphs follow the current position
    // After a stored reading: the shown and current positions.
    virtual void AfterReading() = 0;
    virtual void PaintOverlay(QPainter& window);
    virtual void AddViewMenuItems(class QMenu& menu);
    virtual void OnViewCommand(int command);

    void LoadFromSettings() override;
    void StoreToSettings() override;
    void UpdateControls() override;
    void OnTapAndHold(QPoint point) override;
    void OnPress(QPoint point) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    void RequestRepaint(bool rebuild, bool progress);
    // The engine holds Start (and the keys) until what was asked for has been painted.
    void SetRepaintPending(bool pending);
    QRect GraphRect(uint32_t graph) const;
    PixelRect ToPixelRect(const QRect& rect) const;
    void Beep() const;
    // Brings the full-screen layout back after a message box.
    void RestoreLayout();
    bool SeriesRunning() const;

    WorkSession* work_ = nullptr;
    DataSet* data_ = nullptr;
    uint32_t frequency_ = 1;
    uint32_t shownGraph_ = 0;
    uint32_t lastFrequency_ = 0;
    bool rebuildGraphs_ = true;
    bool redrawProgress_ = true;
    bool active_ = false;
    int deviceBattery_ = -1;

private:
    bool Takes(Input input) const;
    // The unit of the values drawn and tapped, as the settings make them now.
    QString UnitText() const;
    // The unit of the inverted section's values, as the settings make them now.
    QString InvertedUnitText() const;
    // The background inversion while "Инверсия" is on and there is a work, started on first
    // use; null (everything of it forgotten) otherwise.
    WindowInversion* EnsureInversion();
    // That, following the settings and asked for every station not inverted yet.
    WindowInversion* FollowInversion();
    // A station's result was taken: the section and the progress are shown again, at most
    // every kInversionShowMs.
    void InversionTaken();
    void ShowInversion();
    // The next paint draws the graph on screen again, as it now is.
    void RedrawSameGraph();
    void UpdateStartButton();
    void SetBusyCursor(bool busy);
    void Tell(const std::string& text, platform::PromptIcon icon);
    void RebuildGraphs();
    void PenAt(QPoint point);
    ValueSurface canvas_;
    PopupLabel tooltip_;
    QBasicTimer statusTimer_;
    bool repaintPending_ = true;
    bool busyCursor_ = false;
    bool flashing_ = false;
    bool toldNotDurable_ = false; // the operator knows readings stay in memory only
    std::function<void()> beep_;
    std::function<int()> readBattery_;
    platform::Clock& ticks_;
    std::unique_ptr<WindowInversion> inversion_;
    DepthScale invertedDepth_;
    QBasicTimer inversionTimer_;
    uint32_t inversionShownAt_ = 0;
    bool toldNoInversion_ = false;
};
