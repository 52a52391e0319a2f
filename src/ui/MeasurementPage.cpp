#include "ui/MeasurementPage.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>

#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
#include "instrument/CInstrument.h"
#include "platform/DeviceBattery.h"
#include "settings/CSettings.h"
#include "session/WorkSession.h"
#include "survey/DataSet.h"
#include "ui/HardwareKeys.h"
#include "ui/OffThreadCall.h"
#include "ui/SheetEvents.h"
#include "ui/UpDownControl.h"

namespace {

constexpr int kStartButton = 1041;
constexpr int kFrequencyEdit = 1043;
constexpr int kFrequencySpin = 1048;
constexpr int kTitle = 1075;
constexpr int kVoltage = 1074;
constexpr int kDeviceBattery = 1069;
constexpr int kProgressArea = 1040;

enum ViewCommand : int { kFullScreenView = 32805, kScaleMarks = 32808, kGrid = 32809 };

// The instrument's readings taken on a worker thread, so the window stays alive meanwhile.
class OffThreadSource final : public ReadingSource {
public:
    explicit OffThreadSource(CInstrument& instrument) : instrument_(instrument) {}
    bool RequestReading(MeasurementRecord& record, bool selected) override
    {
        return RunOffThread<bool>([&] { return instrument_.RequestReading(record, selected); });
    }
    bool RequestSeries(ReadingSeries& records) override
    {
        return RunOffThread<bool>([&] { return instrument_.RequestSeries(records); });
    }

private:
    CInstrument& instrument_;
};

GraphKind KindOf(uint32_t graph)
{
    switch (graph) {
    case MeasurementPage::kMapGraph:
        return GraphKind::Map;
    case MeasurementPage::kSectionGraph:
        return GraphKind::Section;
    case MeasurementPage::kProfileCurveGraph:
        return GraphKind::ProfileCurve;
    default:
        return GraphKind::SoundingCurve;
    }
}

} // namespace

MeasurementPage::MeasurementPage(PageServices& services, QString title, std::span<const ControlSpec> controls)
    : CPropertyPageBase(services, std::move(title), controls, DialogLayout::Scaling::Fill),
      beep_([this] {
          QApplication::beep();
          // Field laptops are often muted: the page flashes as well.
          flashing_ = true;
          update();
          QTimer::singleShot(kFlashMs, this, [this] {
              flashing_ = false;
              update();
          });
      }),
      readBattery_([] { return platform::DeviceBatteryPercent(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    connect(layout_.Get<QPushButton>(kStartButton), &QPushButton::clicked, this, &MeasurementPage::StartAction);
    connect(layout_.Get<UpDownControl>(kFrequencySpin), &UpDownControl::DeltaPos, this,
            [this](int delta) { FrequencyStep(delta); });
    layout_.Get<QLabel>(kDeviceBattery)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void MeasurementPage::SetWork(WorkSession* work)
{
    work_ = work;
    data_ = work != nullptr ? &work->Data() : nullptr;
    toldNotDurable_ = false;
}

QString MeasurementPage::TitleText() const
{
    return layout_.Get<QLabel>(kTitle)->text();
}

QString MeasurementPage::FieldText(int id) const
{
    QWidget* control = layout_.Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(control))
        return button->text();
    return {};
}

void MeasurementPage::OnSetActive()
{
    deviceBattery_ = readBattery_();
    statusTimer_.start(kStatusPollMs, this);
    CPropertyPageBase::OnSetActive();
    active_ = true;
    SendToSheet(UM_FULL_SCREEN, 1);
    repaintPending_ = true;
    update();
}

bool MeasurementPage::OnKillActive()
{
    statusTimer_.stop();
    tooltip_.Hide();
    if (!CPropertyPageBase::OnKillActive())
        return false;
    active_ = false;
    SendToSheet(UM_FULL_SCREEN, 0);
    return true;
}

void MeasurementPage::LoadFromSettings()
{
    frequency_ = static_cast<uint32_t>(PageFrequencyNumber(services_.settings));
}

void MeasurementPage::StoreToSettings()
{
    services_.settings.mapFrequencyNumber = static_cast<int32_t>(frequency_);
}

void MeasurementPage::UpdateControls()
{
    UpdateStartText();
    UpdateData(true);
}

void MeasurementPage::UpdateStartText()
{
    layout_.Get<QPushButton>(kStartButton)->setText(seriesRunning_ ? "Стоп" : "Старт");
}

void MeasurementPage::FrequencyStep(int delta)
{
    const auto& used = services_.settings.usedFrequencies;
    const auto isUsed = [&used](int index) { return used[static_cast<size_t>(index)] != 0; };
    if (delta > 0) {
        const int start = frequency_ < 2 ? 13 : static_cast<int>(frequency_) - 2;
        frequency_ = static_cast<uint32_t>(start + 1);
        for (int k = 0; k < kFrequencyCount; ++k) {
            const int index = (start - k + kFrequencyCount) % kFrequencyCount;
            if (isUsed(index)) {
                frequency_ = static_cast<uint32_t>(index + 1);
                break;
            }
        }
    } else if (delta < 0) {
        if (frequency_ >= 14)
            frequency_ = 0;
        const int start = static_cast<int>(frequency_);
        frequency_ += 1;
        for (int k = 0; k < kFrequencyCount; ++k) {
            const int index = (start + k) % kFrequencyCount;
            if (isUsed(index)) {
                frequency_ = static_cast<uint32_t>(index + 1);
                break;
            }
        }
    }
    UpdateData(false);
}

void MeasurementPage::RequestRepaint(bool rebuild, bool progress)
{
    repaintPending_ = true;
    rebuildGraphs_ = rebuildGraphs_ || rebuild;
    redrawProgress_ = redrawProgress_ || progress;
    update();
}

void MeasurementPage::OnKeyDown(int code, bool autoRepeat)
{
    using namespace hardware_key;
    if (!seriesRunning_ && repaintPending_)
        return;
    switch (code) {
    case kStartA:
    case kStartB:
    case kStartF10:
        StartAction();
        break;
    case kEnter:
        if (!seriesRunning_)
            ShowCurrentPosition();
        break;
    case kLeft:
    case kUp:
    case kRight:
    case kDown:
        if (!seriesRunning_ && data_ != nullptr)
            MoveByKey(code, autoRepeat);
        break;
    case kFrequencyDown:
        FrequencyStep(1);
        break;
    case kFrequencyUp:
        FrequencyStep(-1);
        break;
    default:
        break;
    }
}

QRect MeasurementPage::GraphRect(uint32_t graph) const
{
    return layout_.RectOf(static_cast<int>(graph));
}

PixelRect MeasurementPage::ToPixelRect(const QRect& rect) const
{
    return PixelRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

void MeasurementPage::resizeEvent(QResizeEvent* event)
{
    CPropertyPageBase::resizeEvent(event);
    // The canvas follows the page; its graphs are drawn again at the new size.
    if (!exchanging_ && canvas_.Bits() != nullptr && (canvas_.Width() != width() || canvas_.Height() != height())) {
        canvas_.Release();
        rebuildGraphs_ = redrawProgress_ = true;
    }
}

void MeasurementPage::RebuildGraphs()
{
    auto* start = layout_.Get<QPushButton>(kStartButton);
    if (!seriesRunning_)
        start->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    tooltip_.Hide();
    redrawProgress_ = true;
    rebuildGraphs_ = false;
    canvas_.Clear();
    KeepOrDropShownGraph();

    QString title = "Готов";
    if (data_ != nullptr) {
        SurfacePainter painter(canvas_);
        for (int pass = 0; pass < 2; ++pass) {
            bool drawn = false;
            for (uint32_t graph : {kMapGraph, kSectionGraph, kProfileCurveGraph, kSoundingGraph}) {
                if (graph <= shownGraph_ || !GraphAllowed(graph))
                    continue;
                const GraphRequest request{KindOf(graph), ShownPosition(), static_cast<int>(frequency_) - 1,
                                           ToPixelRect(GraphRect(graph))};
                if (PaintGraph(*data_, services_.settings, request, canvas_, painter.Context()) == GraphRefusal::None) {
                    shownGraph_ = graph;
                    title = GraphTitle(graph);
                    drawn = true;
                    break;
                }
            }
            if (drawn)
                break;
            if (shownGraph_ == kNoGraph)
                break;
            shownGraph_ = kNoGraph;
        }
    } else {
        shownGraph_ = kNoGraph;
    }
    if (shownGraph_ == kMapGraph || shownGraph_ == kSectionGraph)
        title += services_.settings.realScaling != 0 ? " (пропорция)" : " (на весь экран)";
    layout_.Get<QLabel>(kTitle)->setText(title);
    start->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void MeasurementPage::paintEvent(QPaintEvent*)
{
    repaintPending_ = false;
    if (canvas_.Bits() == nullptr && !canvas_.Create(std::max(1, width()), std::max(1, height()), 32)) {
        QPainter(this).fillRect(rect(), Qt::white);
        services_.prompter.Ask("Недостаточно памяти", "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
        QCoreApplication::exit(32778);
        return;
    }
    // During an exchange the data set is in the middle of a reading: show what was drawn.
    if (!exchanging_) {
        if (rebuildGraphs_)
            RebuildGraphs();
        if (redrawProgress_ && data_ != nullptr) {
            redrawProgress_ = false;
            const QRect area = layout_.RectOf(kProgressArea);
            canvas_.FillBlock(ToPixelRect(area), 0x00FFFFFF, kNoDataValue);
            data_->PaintToBitmap(&canvas_, area.left(), area.top(), area.right() + 1, area.bottom() + 1);
        }
    }
    const QImage frame(reinterpret_cast<const uchar*>(canvas_.Bits()), canvas_.Width(), canvas_.Height(),
                       canvas_.BytesPerLine(), QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
    // Over the window, not the canvas: the canvas keeps the graph's values for tapping.
    PaintOverlay(painter);
    if (flashing_) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(rect(), Qt::white);
    }
    layout_.Get<QLabel>(kDeviceBattery)
        ->setText(deviceBattery_ >= 0 && deviceBattery_ <= 100 ? QString("%1%").arg(deviceBattery_) : QString());
}

void MeasurementPage::PaintOverlay(QPainter&) {}

void MeasurementPage::PenAt(QPoint point)
{
    if (shownGraph_ != kNoGraph && GraphRect(shownGraph_).contains(point)) {
        const float value = canvas_.GetValue(point.x(), point.y());
        if (value == kNoDataValue)
            return;
        tooltip_.SetText(QString::asprintf("%.2lf", static_cast<double>(value)));
    } else if (layout_.RectOf(kDeviceBattery).contains(point)) {
        tooltip_.SetText(QString::asprintf("Заряд батареи: %d%%", deviceBattery_));
    } else {
        return;
    }
    const QPoint global = mapToGlobal(point);
    tooltip_.Show(global.x(), global.y(), this);
}

void MeasurementPage::OnPress(QPoint point)
{
    PenAt(point);
}

void MeasurementPage::mouseMoveEvent(QMouseEvent* event)
{
    CPropertyPageBase::mouseMoveEvent(event);
    if (event->buttons() & Qt::LeftButton)
        PenAt(event->position().toPoint());
}

void MeasurementPage::AddViewMenuItems(QMenu& menu)
{
    const CSettings& s = services_.settings;
    const auto item = [&menu](const char* text, int command, bool checked) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        action->setData(command);
        action->setCheckable(true);
        action->setChecked(checked);
    };
    item("Сетка", kGrid, s.showGrid != 0);
    item("Отметки", kScaleMarks, s.showScaleMarks != 0);
    menu.addSeparator();
    item("На весь экран", kFullScreenView, s.realScaling == 0);
}

void MeasurementPage::OnTapAndHold(QPoint point)
{
    QMenu menu(this);
    menu.setTitle("Просмотр");
    AddViewMenuItems(menu);
    if (QAction* chosen = ExecMenu(menu, point))
        OnViewCommand(chosen->data().toInt());
}

void MeasurementPage::OnViewCommand(int command)
{
    CSettings& s = services_.settings;
    int32_t* flag = command == kGrid          ? &s.showGrid
                    : command == kScaleMarks  ? &s.showScaleMarks
                    : command == kFullScreenView ? &s.realScaling
                                              : nullptr;
    if (flag == nullptr)
        return;
    *flag = *flag != 0 ? 0 : 1;
    --shownGraph_;
    RequestRepaint(true, true);
}

void MeasurementPage::Beep() const
{
    if (beep_)
        beep_();
}

bool MeasurementPage::Exchange(const std::function<bool()>& call)
{
    exchanging_ = true;
    const bool ok = RunOffThread<bool>(call);
    exchanging_ = false;
    return ok;
}

void MeasurementPage::RestoreLayout()
{
    repaintPending_ = true;
    SendToSheet(UM_FULL_SCREEN, 1);
    update();
}

void MeasurementPage::CheckEndOfWork() {}

void MeasurementPage::EndOfWork()
{
    if (seriesRunning_)
        StopSeries();
    services_.prompter.Ask("Работа завершена", "", platform::PromptButtons::Ok, platform::PromptIcon::None);
    if (active_)
        RestoreLayout();
}

void MeasurementPage::ConnectionFailed()
{
    services_.prompter.Ask("Ошибка подключения к устройству", "", platform::PromptButtons::Ok,
                           platform::PromptIcon::Error);
    RestoreLayout();
}

void MeasurementPage::StartAction()
{
    if (exchanging_ || (!seriesRunning_ && repaintPending_) || work_ == nullptr)
        return;
    CInstrument& instrument = services_.instrument;
    if (!instrument.IsConnected()) {
        if (!Exchange([&instrument] { return instrument.Connect(); }))
            return ConnectionFailed();
        RestoreLayout();
    }
    uint32_t voltage = 0;
    const bool read = Exchange([&] { return instrument.ReadBatteryVoltage(voltage); });
    layout_.Get<QLabel>(kVoltage)->setText(read ? QString::asprintf("%.1fV", voltage * 0.01) : QString("N/A"));
    if (services_.settings.timerModeOn != 0) {
        if (seriesRunning_) {
            StopSeries();
            return;
        }
        StartSeries();
        if (seriesRunning_)
            SeriesTick();
        return;
    }
    TakeReading(false);
}

void MeasurementPage::StartSeries()
{
    StopSeries();
    const int delay = services_.settings.timerDelayMs;
    if (delay < 0) {
        services_.prompter.Ask("Ошибка установки таймера", "", platform::PromptButtons::Ok, platform::PromptIcon::Error);
        RestoreLayout();
        return;
    }
    seriesTimer_.start(delay, this);
    seriesRunning_ = true;
    seriesReadings_ = 0;
    seriesDelay_ = static_cast<uint32_t>(delay);
    UpdateStartText();
}

void MeasurementPage::StopSeries()
{
    seriesRunning_ = false;
    seriesTimer_.stop();
    UpdateStartText();
}

void MeasurementPage::SeriesTick()
{
    if (!seriesRunning_)
        return;
    const CSettings& s = services_.settings;
    if (s.timerModeOn == 0) {
        StopSeries();
        Beep();
        return;
    }
    if (static_cast<uint32_t>(s.timerDelayMs) != seriesDelay_) {
        const uint32_t kept = seriesReadings_;
        StartSeries();
        seriesReadings_ = kept;
        if (!seriesRunning_)
            return;
    }
    TakeReading(true);
}

void MeasurementPage::TakeReading(bool fromSeries)
{
    auto* start = layout_.Get<QPushButton>(kStartButton);
    if (!seriesRunning_)
        start->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OffThreadSource source(services_.instrument);
    exchanging_ = true;
    const MeasureOutcome outcome = work_->Measure(source);
    exchanging_ = false;
    start->setEnabled(true);
    QApplication::restoreOverrideCursor();
    if (outcome == MeasureOutcome::Failed) {
        if (fromSeries)
            StopSeries();
        OnMeasurementFailed();
        services_.instrument.Disconnect();
        if (!fromSeries || active_)
            RestoreLayout();
        return;
    }
    if (outcome == MeasureOutcome::StoredInMemory && !toldNotDurable_) {
        // The reading is good; only its copy on disk is missing, so say it once.
        toldNotDurable_ = true;
        services_.prompter.Ask("Показания не записываются в журнал (" + work_->Journal().Error() +
                                   "). Они есть только в памяти: сохраните сессию.",
                               "", platform::PromptButtons::Ok, platform::PromptIcon::Warning);
    }
    AfterReading();
    shownGraph_ = kNoGraph;
    UpdateData(false);
    if (!fromSeries || active_)
        RequestRepaint(true, true);
    if (fromSeries && seriesRunning_ && ++seriesReadings_ == static_cast<uint32_t>(services_.settings.timerCount))
        StopSeries();
    CheckEndOfWork();
    if (seriesTickDue_) {
        seriesTickDue_ = false;
        QTimer::singleShot(0, this, [this] { SeriesTick(); });
    }
}

void MeasurementPage::StatusPoll()
{
    deviceBattery_ = readBattery_();
    RequestRepaint(false, false);
}

void MeasurementPage::FireTimer(int id)
{
    if (id == kSeriesTimerId)
        SeriesTick();
    else if (id == kStatusTimerId)
        StatusPoll();
}

void MeasurementPage::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == seriesTimer_.timerId()) {
        // A tick that falls due during an exchange is handled when the exchange is over.
        if (exchanging_)
            seriesTickDue_ = true;
        else
            SeriesTick();
    } else if (event->timerId() == statusTimer_.timerId()) {
        if (!exchanging_)
            StatusPoll();
    } else {
        CPropertyPageBase::timerEvent(event);
    }
}
