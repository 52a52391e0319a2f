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
#include <algorithm>

#include "acquisition/AcquisitionEngine.h"
#include "conversion/ConversionSettings.h"
#include "conversion/ValueUnits.h"
#include "graphics/NoDataValue.h"
#include "graphics/SurfacePainter.h"
#include "platform/Clock.h"
#include "platform/DeviceBattery.h"
#include "settings/CSettings.h"
#include "session/WorkSession.h"
#include "survey/DataSet.h"
#include "ui/HardwareKeys.h"
#include "ui/MeasurementTexts.h"
#include "ui/SheetEvents.h"
#include "ui/UpDownControl.h"
#include "ui/WindowInversion.h"

namespace {

constexpr int kStartButton = 1041;
constexpr int kFrequencyEdit = 1043;
constexpr int kFrequencySpin = 1048;
constexpr int kTitle = 1075;
constexpr int kVoltage = 1074;
constexpr int kDeviceBattery = 1069;
constexpr int kProgressArea = 1040;

enum ViewCommand : int { kTrueProportions = 32805, kScaleMarks = 32808, kGrid = 32809 };

GraphKind KindOf(uint32_t graph)
{
    switch (graph) {
    case MeasurementPage::kMapGraph:
        return GraphKind::Map;
    case MeasurementPage::kSectionGraph:
        return GraphKind::Section;
    case MeasurementPage::kProfileCurveGraph:
        return GraphKind::ProfileCurve;
    case MeasurementPage::kInvertedSectionGraph:
        return GraphKind::InvertedSection;
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
      readBattery_([] { return platform::DeviceBatteryPercent(); }),
      ticks_(services.ticks != nullptr ? *services.ticks : platform::SystemTicks())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    connect(layout_.Get<QPushButton>(kStartButton), &QPushButton::clicked, this, &MeasurementPage::StartAction);
    // Start belongs to the page's keys and button; a focused button would take Space too.
    layout_.Get<QPushButton>(kStartButton)->setFocusPolicy(Qt::NoFocus);
    connect(layout_.Get<UpDownControl>(kFrequencySpin), &UpDownControl::DeltaPos, this,
            [this](int delta) { FrequencyStep(delta); });
    layout_.Get<QLabel>(kDeviceBattery)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

MeasurementPage::~MeasurementPage() = default;

uint32_t MeasurementPage::GraphBefore(uint32_t graph)
{
    const auto at = std::find(kGraphCycle.begin(), kGraphCycle.end(), graph);
    return at == kGraphCycle.end() || at == kGraphCycle.begin() ? kNoGraph : *(at - 1);
}

namespace {

// Where a graph stands in the cycle: 0 for none.
size_t CycleRank(uint32_t graph)
{
    const auto at = std::find(MeasurementPage::kGraphCycle.begin(), MeasurementPage::kGraphCycle.end(), graph);
    return at == MeasurementPage::kGraphCycle.end() ? 0 : size_t(at - MeasurementPage::kGraphCycle.begin()) + 1;
}

} // namespace

void MeasurementPage::SetWork(WorkSession* work)
{
    work_ = work;
    data_ = work != nullptr ? &work->Data() : nullptr;
    toldNotDurable_ = false;
    // Nothing of the work before reaches this one.
    if (inversion_)
        inversion_->Forget();
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

QString MeasurementPage::UnitText() const
{
    const ConversionSettings conversion = ConversionSettingsFrom(services_.settings);
    return QString::fromStdString(ValueUnit(conversion));
}

QString MeasurementPage::InvertedUnitText() const
{
    // The inverted grounds are conductivities whatever the readings are shown in.
    ConversionSettings conversion = ConversionSettingsFrom(services_.settings);
    conversion.unitMeasure = 1;
    return QString::fromStdString(ValueUnit(conversion));
}

void MeasurementPage::RedrawSameGraph()
{
    // One back, so the choice lands on the graph that was shown.
    shownGraph_ = GraphBefore(shownGraph_);
    rebuildGraphs_ = redrawProgress_ = true;
}

WindowInversion* MeasurementPage::FollowInversion()
{
    WindowInversion* inversion = EnsureInversion();
    if (inversion != nullptr)
        inversion->Follow(services_.settings, *data_, ShownPosition().profile);
    return inversion;
}

WindowInversion* MeasurementPage::EnsureInversion()
{
    if (services_.settings.inversionOn == 0 || data_ == nullptr) {
        if (inversion_)
            inversion_->Forget();
        return nullptr;
    }
    if (!inversion_) {
        inversion_ = std::make_unique<WindowInversion>([this] { InversionTaken(); });
        std::string error; // for lurctl; the operator can only restart
        if (!inversion_->Start(error) && !toldNoInversion_) {
            // Every station then comes back refused: the section stays blank.
            toldNoInversion_ = true;
            Tell("Инверсия невозможна: система не дала запустить потоки вычислений. Перезапустите программу.",
                 platform::PromptIcon::Error);
        }
    }
    return inversion_.get();
}

void MeasurementPage::InversionTaken()
{
    if (!active_)
        return; // shown when the page is
    const uint32_t since = ticks_.Now() - inversionShownAt_;
    if (since >= kInversionShowMs)
        ShowInversion();
    else if (!inversionTimer_.isActive())
        inversionTimer_.start(int(kInversionShowMs - since), this);
}

void MeasurementPage::ShowInversion()
{
    inversionShownAt_ = ticks_.Now();
    inversionTimer_.stop();
    if (shownGraph_ == kInvertedSectionGraph)
        RedrawSameGraph();
    update();
}

QString MeasurementPage::InversionProgressText() const
{
    if (!inversion_ || services_.settings.inversionOn == 0)
        return {};
    const BackgroundInversion& results = inversion_->Results();
    // One station after a reading goes by too fast to count.
    if (results.Asked() < 2 || results.Done() >= results.Asked())
        return {};
    return QString("Инверсия: %1 из %2").arg(results.Done()).arg(results.Asked());
}

void MeasurementPage::OnSetActive()
{
    // Settings may have changed, or readings come, while another page was shown.
    RedrawSameGraph();
    deviceBattery_ = readBattery_();
    statusTimer_.start(kStatusPollMs, this);
    CPropertyPageBase::OnSetActive();
    active_ = true;
    SendToSheet(UM_FULL_SCREEN, 1);
    SetRepaintPending(true);
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
    UpdateStartButton();
    UpdateData(true);
}

bool MeasurementPage::SeriesRunning() const
{
    return work_ != nullptr && services_.acquisition.SeriesRunning();
}

void MeasurementPage::UpdateStartButton()
{
    const AcquisitionEngine& engine = services_.acquisition;
    const bool mine = work_ != nullptr && engine.Work() == work_;
    const bool series = mine && engine.SeriesRunning();
    const bool reading = mine && engine.ExchangeRunning();
    auto* start = layout_.Get<QPushButton>(kStartButton);
    // A Start that was taken shows at once: a second press would otherwise look needed.
    start->setText(series ? "Стоп" : reading ? "Замер…" : "Старт");
    start->setEnabled(series || !reading);
}

void MeasurementPage::SetBusyCursor(bool busy)
{
    if (busy == busyCursor_)
        return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
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
    SetRepaintPending(true);
    rebuildGraphs_ = rebuildGraphs_ || rebuild;
    redrawProgress_ = redrawProgress_ || progress;
    update();
}

void MeasurementPage::SetRepaintPending(bool pending)
{
    repaintPending_ = pending;
    if (work_ != nullptr && services_.acquisition.Work() == work_)
        services_.acquisition.SetDrawPending(pending);
}

bool MeasurementPage::Takes(Input input) const
{
    if (work_ == nullptr)
        return input == Input::FrequencyKey;
    return services_.acquisition.RuleNow(input) == Rule::Take;
}

void MeasurementPage::OnKeyDown(int code, bool autoRepeat)
{
    using namespace hardware_key;
    switch (code) {
    case kStartA:
    case kStartB:
    case kStartF10:
        StartAction();
        break;
    case kEnter:
        if (Takes(Input::ShowKey))
            ShowCurrentPosition();
        break;
    case kLeft:
    case kUp:
    case kRight:
    case kDown:
        if (Takes(Input::StationKey) && data_ != nullptr)
            MoveByKey(code, autoRepeat);
        break;
    case kFrequencyDown:
        if (Takes(Input::FrequencyKey))
            FrequencyStep(1);
        break;
    case kFrequencyUp:
        if (Takes(Input::FrequencyKey))
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
    if (canvas_.Bits() != nullptr && (canvas_.Width() != width() || canvas_.Height() != height())) {
        canvas_.Release();
        RedrawSameGraph();
    }
}

void MeasurementPage::RebuildGraphs()
{
    auto* start = layout_.Get<QPushButton>(kStartButton);
    if (!SeriesRunning())
        start->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    tooltip_.Hide();
    redrawProgress_ = true;
    rebuildGraphs_ = false;
    canvas_.Clear();
    KeepOrDropShownGraph();
    const WindowInversion* inversion = FollowInversion();
    const InvertedResults inverted = [inversion](size_t slot) {
        return inversion != nullptr ? inversion->Results().Result(slot) : nullptr;
    };

    QString title = "Готов";
    if (data_ != nullptr) {
        SurfacePainter painter(canvas_);
        for (int pass = 0; pass < 2; ++pass) {
            bool drawn = false;
            for (uint32_t graph : kGraphCycle) {
                if (CycleRank(graph) <= CycleRank(shownGraph_) || !GraphAllowed(graph))
                    continue;
                if (graph == kInvertedSectionGraph && inversion == nullptr)
                    continue;
                GraphRequest request{KindOf(graph), ShownPosition(), static_cast<int>(frequency_) - 1,
                                     ToPixelRect(GraphRect(graph))};
                request.inverted = &inverted;
                request.depth = &invertedDepth_;
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
    // What the colours and the tapped values are.
    if (shownGraph_ == kInvertedSectionGraph) {
        title += ", " + InvertedUnitText();
    } else if (shownGraph_ != kNoGraph) {
        const ConversionSettings conversion = ConversionSettingsFrom(services_.settings);
        title += QString(", %1 (%2)")
                     .arg(QString::fromStdString(ValueUnit(conversion)), QString::fromStdString(ValueComponent(conversion)));
    }
    layout_.Get<QLabel>(kTitle)->setToolTip(title);
    layout_.Get<QLabel>(kTitle)->setText(title);
    UpdateStartButton();
    QApplication::restoreOverrideCursor();
}

void MeasurementPage::paintEvent(QPaintEvent*)
{
    SetRepaintPending(false);
    if (canvas_.Bits() == nullptr && !canvas_.Create(std::max(1, width()), std::max(1, height()), 32)) {
        QPainter(this).fillRect(rect(), Qt::white);
        services_.prompter.Ask(measurement_texts::kOutOfMemory, "", platform::PromptButtons::Ok,
                               platform::PromptIcon::Error);
        QCoreApplication::exit(32778);
        return;
    }
    if (rebuildGraphs_)
        RebuildGraphs();
    if (redrawProgress_ && data_ != nullptr) {
        redrawProgress_ = false;
        const QRect area = layout_.RectOf(kProgressArea);
        canvas_.FillBlock(ToPixelRect(area), 0x00FFFFFF, kNoDataValue);
        data_->PaintToBitmap(&canvas_, area.left(), area.top(), area.right() + 1, area.bottom() + 1);
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

void MeasurementPage::PaintOverlay(QPainter& window)
{
    const QString progress = InversionProgressText();
    if (progress.isEmpty())
        return;
    // At the graph's bottom left, on white so that it reads over any colour.
    const QRect graph = GraphRect(kMapGraph);
    QFont font = window.font();
    font.setPixelSize(std::max(8, graph.height() / 14));
    window.setFont(font);
    const QRect text = window.fontMetrics().boundingRect(progress).adjusted(-2, -1, 2, 1);
    const QRect box(graph.left() + 2, graph.bottom() - text.height() - 1, text.width(), text.height());
    window.fillRect(box, Qt::white);
    window.setPen(QColor(40, 40, 40));
    window.drawText(box, Qt::AlignCenter, progress);
}

void MeasurementPage::PenAt(QPoint point)
{
    if (shownGraph_ != kNoGraph && GraphRect(shownGraph_).contains(point)) {
        const float value = canvas_.GetValue(point.x(), point.y());
        if (value == kNoDataValue)
            return;
        if (shownGraph_ != kInvertedSectionGraph) {
            tooltip_.SetText(QString::asprintf("%.2lf ", static_cast<double>(value)) + UnitText());
        } else {
            QString text = QString::asprintf("%.2lf ", static_cast<double>(value)) + InvertedUnitText();
            // The colour bar beside the stations has values but no depth.
            if (invertedDepth_.Contains(point.x(), point.y()))
                text += QString::asprintf(", %.1f м", static_cast<double>(invertedDepth_.DepthAt(point.y())));
            tooltip_.SetText(text);
        }
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
    item("Истинные пропорции", kTrueProportions, s.realScaling != 0);
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
                    : command == kTrueProportions ? &s.realScaling
                                              : nullptr;
    if (flag == nullptr)
        return;
    *flag = *flag != 0 ? 0 : 1;
    shownGraph_ = GraphBefore(shownGraph_);
    RequestRepaint(true, true);
}

void MeasurementPage::Beep() const
{
    if (beep_)
        beep_();
}

void MeasurementPage::RestoreLayout()
{
    SetRepaintPending(true);
    SendToSheet(UM_FULL_SCREEN, 1);
    update();
}

void MeasurementPage::Tell(const std::string& text, platform::PromptIcon icon)
{
    services_.prompter.Ask(text, "", platform::PromptButtons::Ok, icon);
}

void MeasurementPage::StartAction()
{
    if (work_ != nullptr)
        services_.acquisition.Start();
}

void MeasurementPage::OnStartAccepted()
{
    SetBusyCursor(true);
    UpdateStartButton();
}

void MeasurementPage::OnSeriesChanged(bool started, SeriesEnd why)
{
    UpdateStartButton();
    if (started)
        return;
    if (why == SeriesEnd::TimerModeCleared) {
        Beep();
    } else if (why == SeriesEnd::TimerNotSet) {
        Tell(measurement_texts::kTimerNotSet, platform::PromptIcon::Error);
        RestoreLayout();
    }
}

void MeasurementPage::OnBatteryRead(std::optional<uint32_t> voltage)
{
    layout_.Get<QLabel>(kVoltage)->setText(voltage ? QString::asprintf("%.1fV", *voltage * 0.01) : QString("N/A"));
}

void MeasurementPage::OnConnectionFailed(const std::string& why)
{
    Tell(why, platform::PromptIcon::Error);
    RestoreLayout();
}

void MeasurementPage::OnReadingStored(const StoredReading& stored)
{
    // Only the stations just measured are inverted, off this thread; the section comes back
    // when they are done.
    if (WindowInversion* inversion = EnsureInversion())
        inversion->Renew(services_.settings, *data_, stored.startIndex, stored.store.stored);
    // The inverted section, once chosen, stays on screen reading after reading.
    const bool keepInverted = shownGraph_ == kInvertedSectionGraph;
    AfterReading();
    shownGraph_ = keepInverted ? GraphBefore(kInvertedSectionGraph) : kNoGraph;
    UpdateData(false);
    if (!stored.fromSeries || active_)
        RequestRepaint(true, true);
    if (stored.store.outcome == MeasureOutcome::StoredInMemory && !toldNotDurable_) {
        // The reading is good; only its copy on disk is missing, so say it once.
        toldNotDurable_ = true;
        Tell(measurement_texts::NotJournalled(work_->Journal().ErrorNumber()), platform::PromptIcon::Warning);
    }
    if (stored.store.leftOut > 0)
        Tell(measurement_texts::GridFull(stored.store.leftOut), platform::PromptIcon::Warning);
}

void MeasurementPage::OnReadingFailed()
{
    OnMeasurementFailed();
    if (active_)
        RestoreLayout();
}

void MeasurementPage::OnProfileStart()
{
    // Two beeps 100 ms apart: walk over to the next profile.
    Beep();
    QTimer::singleShot(100, this, [this] { Beep(); });
}

void MeasurementPage::OnEndOfWork()
{
    Tell(measurement_texts::kEndOfWork, platform::PromptIcon::None);
    if (active_)
        RestoreLayout();
}

void MeasurementPage::OnIdle()
{
    SetBusyCursor(false);
    UpdateStartButton();
}

void MeasurementPage::PollStatus()
{
    deviceBattery_ = readBattery_();
    RequestRepaint(false, false);
}

void MeasurementPage::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == statusTimer_.timerId())
        PollStatus();
    else if (event->timerId() == inversionTimer_.timerId())
        ShowInversion();
    else
        CPropertyPageBase::timerEvent(event);
}
